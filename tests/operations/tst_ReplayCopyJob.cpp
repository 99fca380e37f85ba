// The safe copy: whole files byte for byte, the replace question, and a
// failure that must leave the replay it was to replace as it was; never a
// write through a link, never a source that is no longer the replay chosen,
// holes kept, and a cancel that leaves nothing.

#include "catalogue/ScannedFile.h"
#include "operations/FileWorkProgress.h"
#include "operations/ReplayCopyJob.h"
#include "platform/FileContentCopy.h"
#include "platform/Prompter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#ifndef Q_OS_WIN
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using ReplayMaker::ReplayRecipe;
using namespace Qt::StringLiterals;

namespace {

QByteArray replayBytes(qint32 score, qint64 runRecords = 0)
{
    ReplayRecipe recipe;
    recipe.score = score;
    recipe.runRecords = runRecords;
    recipe.compressionLevel = 0; // stored blocks: a large file from a short run
    // Bytes after the name and comment are part of the file and are copied too.
    return ReplayMaker::replayFile(recipe, QByteArrayLiteral("name"), QByteArrayLiteral("comment"),
                                   QByteArrayLiteral("trailing bytes"));
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

using Outcome = CopyResult::Outcome;

// The identity the folder scan gives the file.
ReplayIdentity scannedIdentity(const QString &path)
{
    return ScannedFile::read(QFile::encodeName(path), {}, 0).identity;
}

// Progress that runs a hook at every report of bytes.
class HookedProgress : public FileWorkProgress {
public:
    std::function<void(qint64 done, qint64 total)> onAdvance;
    void advance(qint64 done, qint64 total) override
    {
        if (onAdvance)
            onAdvance(done, total);
    }
};

#ifndef Q_OS_WIN
qint64 allocatedBytes(const QString &path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? qint64(status.st_blocks) * 512 : -1;
}
#endif

} // namespace

Q_DECLARE_METATYPE(CopyResult::Outcome)

class TestReplayCopyJob : public QObject {
    Q_OBJECT

private slots:
    void init();

    void copiesWholeFile();
    void replace_data();
    void replace();
    void refusedDestinations_data();
    void refusedDestinations();
    void failedReplaceKeepsOldFile();
    void fifoSourceDoesNotBlock();
    void sourceFailingMidReadKeepsTarget();

    void neverWritesThroughLinks_data();
    void neverWritesThroughLinks();
    void changedSourceIsRefused_data();
    void changedSourceIsRefused();
    void cancelledCopyLeavesNothing_data();
    void cancelledCopyLeavesNothing();
    void holesStayHoles();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    QString m_storage; // with trailing "/"
};

void TestReplayCopyJob::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // A replaced file goes to a trash of the test's own.
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("home"))));
    qputenv("HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("home"))));
    qunsetenv("XDG_DATA_HOME");
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("game"))));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("storage"))));
    m_source = m_dir->filePath(QStringLiteral("game/qv_replay1.dat"));
    m_storage = m_dir->filePath(QStringLiteral("storage")) + QLatin1Char('/');
    // Over a megabyte: more than one chunk of the copy.
    QVERIFY(writeAll(m_source, replayBytes(1234, 100000)));
}

void TestReplayCopyJob::copiesWholeFile()
{
    ScriptedPrompter prompter;
    const QString destination = m_storage + QStringLiteral("記録.dat");
    const CopyResult result = ReplayCopyJob(m_source, destination).run(prompter, nullptr);
    QCOMPARE(result.outcome, Outcome::Copied);
    QCOMPARE(readAll(destination), readAll(m_source));
    QVERIFY(prompter.calls().empty()); // nothing to replace, nothing asked
    QCOMPARE(entries(m_storage), QStringList{QStringLiteral("記録.dat")});
}

void TestReplayCopyJob::replace_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("declined") << false << Outcome::Declined;
    QTest::newRow("confirmed") << true << Outcome::Copied;
}

void TestReplayCopyJob::replace()
{
    QFETCH(bool, yes);
    QFETCH(Outcome, outcome);
    const QString destination = m_dir->filePath(QStringLiteral("game/qv_replay7.dat"));
    const QByteArray old = replayBytes(99);
    QVERIFY(writeAll(destination, old));

    ScriptedPrompter prompter;
    prompter.answerReplace(yes);
    ReplayCopyJob job(m_source, destination);
    const SlotSummary slot{QStringLiteral("洞窟"), QStringLiteral("3 階"), QStringLiteral("剣士"),
                           QStringLiteral("99"), QStringLiteral("誰か")};
    job.setDestinationHolds(ReplayCopyJob::holdsText(slot));
    const CopyResult result = job.run(prompter, nullptr);

    QCOMPARE(result.outcome, outcome);
    QCOMPARE(prompter.count(ScriptedPrompter::Kind::ConfirmReplace), 1);
    const ScriptedPrompter::Call &asked = prompter.calls().front();
    QCOMPARE(asked.text, destination);
    for (const QString &part : {slot.dungeon, slot.floors, slot.chara, slot.score, slot.player})
        QVERIFY2(asked.holds.contains(part), qPrintable(asked.holds));
    QCOMPARE(readAll(destination), yes ? readAll(m_source) : old);
    QCOMPARE(entries(m_dir->filePath(QStringLiteral("game"))),
             (QStringList{QStringLiteral("qv_replay1.dat"), QStringLiteral("qv_replay7.dat")}));
    // The replaced file is kept in the trash, and undo can find it there.
    QCOMPARE(result.replaced.has_value(), yes);
#ifndef Q_OS_WIN // the Recycle Bin's shell call does not tell where a file went
    if (yes)
        QCOMPARE(readAll(QFile::decodeName(result.replaced->trashPath)), old);
#endif
}

void TestReplayCopyJob::refusedDestinations_data()
{
    QTest::addColumn<QString>("destination"); // under the temporary folder
    QTest::addColumn<QString>("reason");      // a part of the reason
    QTest::newRow("a folder") << QStringLiteral("storage/sub.dat") << QStringLiteral("フォルダ");
    QTest::newRow("the source itself") << QStringLiteral("game/qv_replay1.dat") << QStringLiteral("コピー元");
#ifndef Q_OS_WIN // symbolic links
    QTest::newRow("the source through a link") << QStringLiteral("storage/link.dat") << QStringLiteral("コピー元");
#endif
    QTest::newRow("read-only file") << QStringLiteral("storage/locked.dat") << QStringLiteral("読み取り専用");
    QTest::newRow("missing folder") << QStringLiteral("nowhere/a.dat") << QStringLiteral("書き込めません");
}

// Nothing is asked and nothing is written anywhere.
void TestReplayCopyJob::refusedDestinations()
{
    QFETCH(QString, destination);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(m_storage + QStringLiteral("sub.dat")));
#ifndef Q_OS_WIN
    // A symbolic link (QFile::link makes a shortcut under Windows).
    QVERIFY(QFile::link(m_source, m_storage + QStringLiteral("link.dat")));
#endif
    const QString locked = m_storage + QStringLiteral("locked.dat");
    QVERIFY(writeAll(locked, QByteArrayLiteral("locked")));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QStringList gameBefore = entries(m_dir->filePath(QStringLiteral("game")));
    const QStringList storageBefore = entries(m_storage);
    const QByteArray source = readAll(m_source);

    ScriptedPrompter prompter;
    const CopyResult result = ReplayCopyJob(m_source, m_dir->filePath(destination)).run(prompter, nullptr);
    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
    QVERIFY(prompter.calls().empty());
    QCOMPARE(entries(m_dir->filePath(QStringLiteral("game"))), gameBefore);
    QCOMPARE(entries(m_storage), storageBefore);
    QCOMPARE(readAll(m_source), source);
    QCOMPARE(readAll(locked), QByteArrayLiteral("locked"));
}

// A file-size limit makes the write fail part-way, as a full disk would (it
// binds root as well): the replay that was to be replaced stays as it was and
// no temporary file is left.
void TestReplayCopyJob::failedReplaceKeepsOldFile()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file-size limits (setrlimit) stand in for a full disk");
#else
    const QString destination = m_storage + QStringLiteral("old.dat");
    const QByteArray old = replayBytes(5);
    QVERIFY(writeAll(destination, old));
    const qint64 sourceSize = QFileInfo(m_source).size();
    QVERIFY(sourceSize > 3 * 64 * 1024); // several chunks of the copy

    ScriptedPrompter prompter;
    prompter.answerReplace(true);
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(sourceSize - 10);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const CopyResult result = ReplayCopyJob(m_source, destination).run(prompter, nullptr);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY(!result.reason.isEmpty());
    QCOMPARE(readAll(destination), old);
    QCOMPARE(entries(m_storage), QStringList{QStringLiteral("old.dat")});
#endif
}

void TestReplayCopyJob::fifoSourceDoesNotBlock()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: FIFOs");
#else
    const QString fifo = m_dir->filePath(QStringLiteral("game/qv_replay2.dat"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ScriptedPrompter prompter;
    const CopyResult result = ReplayCopyJob(fifo, m_storage + QStringLiteral("a.dat")).run(prompter, nullptr);
    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY(result.reason.contains(QStringLiteral("qv_replay2.dat")));
    QVERIFY(entries(m_storage).isEmpty());
#endif
}

void TestReplayCopyJob::neverWritesThroughLinks_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("toExistingFile");
    QTest::newRow("storage: link to nothing") << u"storage"_s << false;
    QTest::newRow("storage: link to a file outside") << u"storage"_s << true;
    QTest::newRow("game: link to nothing") << u"game"_s << false;
    QTest::newRow("game: link to a file outside") << u"game"_s << true;
}

// A link planted in either folder is replaced itself, after the usual
// question (declined first, then accepted); nothing outside is written.
void TestReplayCopyJob::neverWritesThroughLinks()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: symbolic links (QFile::link makes a shortcut under Windows)");
#else
    QFETCH(QString, folder);
    QFETCH(bool, toExistingFile);
    const QString outside = m_dir->filePath(u"outside"_s);
    QVERIFY(QDir().mkpath(outside));
    const QString victim = outside + u"/victim.dat"_s;
    if (toExistingFile)
        QVERIFY(writeAll(victim, "the player's other file"));
    const QString link = m_dir->filePath(folder + u"/qv_replay3.dat"_s);
    QVERIFY(QFile::link(victim, link));
    const QStringList outsideBefore = entries(outside);

    ScriptedPrompter prompter;
    prompter.answerReplace(false);
    prompter.answerReplace(true);
    ReplayCopyJob job(m_source, link);
    job.expectReplay(scannedIdentity(m_source));
    QCOMPARE(job.run(prompter, nullptr).outcome, Outcome::Declined);
    QVERIFY(QFileInfo(link).isSymbolicLink());
    const CopyResult result = job.run(prompter, nullptr);
    QCOMPARE(result.outcome, Outcome::Copied);

    QCOMPARE(prompter.count(ScriptedPrompter::Kind::ConfirmReplace), 2);
    QVERIFY(!QFileInfo(link).isSymbolicLink());
    QCOMPARE(readAll(link), readAll(m_source));
    QVERIFY(!result.replaced); // a link holds no replay: nothing to keep
    QCOMPARE(entries(outside), outsideBefore);
    if (toExistingFile)
        QCOMPARE(readAll(victim), "the player's other file");
#endif
}

void TestReplayCopyJob::changedSourceIsRefused_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("cut inside the stream") << u"half"_s << Outcome::Failed;
    QTest::newRow("replaced by a text file") << u"text"_s << Outcome::Failed;
    QTest::newRow("replaced by another replay") << u"other"_s << Outcome::Failed;
    QTest::newRow("cut while it is copied") << u"cut while copying"_s << Outcome::Failed;
    QTest::newRow("rewritten while it is copied") << u"rewritten while copying"_s << Outcome::Failed;
    QTest::newRow("only its name and comment changed") << u"texts"_s << Outcome::Copied;
}

// The source changes after the dialog showed it: the slot it was to replace
// stays as it was unless the copy is still the same replay.
void TestReplayCopyJob::changedSourceIsRefused()
{
    QFETCH(QString, change);
    QFETCH(Outcome, outcome);
    const QString destination = m_dir->filePath(u"game/qv_replay5.dat"_s);
    const QByteArray old = replayBytes(5);
    QVERIFY(writeAll(destination, old));
    ReplayCopyJob job(m_source, destination);
    job.expectReplay(scannedIdentity(m_source));

    const QByteArray original = readAll(m_source);
    QFile source(m_source);
    QVERIFY(source.open(QIODevice::ReadWrite));
    if (change == u"half"_s)
        QVERIFY(source.resize(original.size() / 2));
    else if (change == u"text"_s)
        QVERIFY(writeAll(m_source, "a plain text file\n"));
    else if (change == u"other"_s)
        QVERIFY(writeAll(m_source, replayBytes(777, 100000)));
    else if (change == u"texts"_s)
        QVERIFY(writeAll(m_source, original.left(original.size() - 1054 - 14) + ReplayMaker::textFields("new", "new")));
    // After the first chunk, the end of the source changes.
    HookedProgress progress;
    bool first = true;
    progress.onAdvance = [&](qint64, qint64) {
        if (!std::exchange(first, false))
            return;
        if (change == u"cut while copying"_s)
            QVERIFY(source.resize(original.size() - 2000));
        if (change == u"rewritten while copying"_s)
            QVERIFY(source.seek(original.size() - 5000) && source.write(QByteArray(100, 'x')) == 100 && source.flush());
    };

    ScriptedPrompter prompter;
    prompter.answerReplace(true);
    const CopyResult result = job.run(prompter, nullptr, &progress);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(entries(m_dir->filePath(u"game"_s)), (QStringList{u"qv_replay1.dat"_s, u"qv_replay5.dat"_s}));
    if (outcome == Outcome::Copied) {
        QCOMPARE(readAll(destination), readAll(m_source));
    } else {
        QVERIFY2(result.reason.contains(u"qv_replay1.dat"_s), qPrintable(result.reason));
        QCOMPARE(readAll(destination), old);
    }
}

void TestReplayCopyJob::cancelledCopyLeavesNothing_data()
{
    QTest::addColumn<bool>("replacing");
    QTest::addColumn<bool>("whileChecking"); // else while copying
    QTest::newRow("new name, while copying") << false << false;
    QTest::newRow("replacing, while copying") << true << false;
    QTest::newRow("replacing, while checking the copy") << true << true;
}

void TestReplayCopyJob::cancelledCopyLeavesNothing()
{
    QFETCH(bool, replacing);
    QFETCH(bool, whileChecking);
    const QString destination = m_storage + u"copy.dat"_s;
    if (replacing)
        QVERIFY(writeAll(destination, replayBytes(9)));
    const QStringList before = entries(m_storage);
    const qint64 size = QFileInfo(m_source).size();

    HookedProgress progress;
    qint64 last = 0;
    progress.onAdvance = [&](qint64 done, qint64 total) {
        QVERIFY(done >= last && done <= total);
        last = done;
        if (!whileChecking || done > size)
            progress.cancel();
    };
    ReplayCopyJob job(m_source, destination);
    job.expectReplay(scannedIdentity(m_source));
    const CopyResult result = job.copy(&progress);
    QCOMPARE(result.outcome, Outcome::Cancelled);
    QVERIFY(last < 2 * size); // stopped before the end
    QCOMPARE(entries(m_storage), before);
    if (replacing)
        QCOMPARE(readAll(destination), replayBytes(9));
}

// A replay with a long empty tail is copied without writing the tail.
void TestReplayCopyJob::holesStayHoles()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: holes (Windows keeps them only in files marked sparse, which replays are not)");
#else
    constexpr qint64 Tail = 64 * 1024 * 1024;
    const QString source = m_dir->filePath(u"game/qv_replay4.dat"_s);
    QVERIFY(writeAll(source, replayBytes(4)));
    QVERIFY(::truncate(QFile::encodeName(source).constData(), QFileInfo(source).size() + Tail) == 0);
    if (allocatedBytes(source) > Tail / 2)
        QSKIP("the file system here keeps no holes");

    ReplayCopyJob job(source, m_storage + u"sparse.dat"_s);
    job.expectReplay(scannedIdentity(source));
    ScriptedPrompter prompter;
    QCOMPARE(job.run(prompter, nullptr).outcome, Outcome::Copied);
    const QString copy = m_storage + u"sparse.dat"_s;
    QCOMPARE(QFileInfo(copy).size(), QFileInfo(source).size());
    QVERIFY2(allocatedBytes(copy) < 1024 * 1024, qPrintable(QString::number(allocatedBytes(copy))));
    QCOMPARE(readAll(copy), readAll(source));
#endif
}

// A source that fails halfway through (here: its descriptor can no longer be
// read after the first chunk) leaves the file it would replace byte for byte,
// and no temporary file beside it.
void TestReplayCopyJob::sourceFailingMidReadKeepsTarget()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: a descriptor swapped underneath the copy (dup2, /proc/self/fd)");
#else
    const QString target = m_storage + QStringLiteral("kept.dat");
    const QByteArray old = replayBytes(7, 20000);
    QVERIFY(writeAll(target, old));
    const QString source = m_dir->filePath(QStringLiteral("big.dat"));
    QVERIFY(writeAll(source, QByteArray(3 * CopyChunkBytes, 'r')));

    HookedProgress progress;
    progress.onAdvance = [&](qint64, qint64) {
        const QString canonical = QFileInfo(source).canonicalFilePath();
        const int unreadable = ::open(QFile::encodeName(source).constData(), O_WRONLY);
        QVERIFY(unreadable >= 0);
        for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System)) {
            if (fd.symLinkTarget() == canonical && fd.fileName().toInt() != unreadable)
                ::dup2(unreadable, fd.fileName().toInt());
        }
        ::close(unreadable);
    };
    ScriptedPrompter prompter;
    prompter.answerReplace(true);
    const CopyResult result = ReplayCopyJob(source, target).run(prompter, nullptr, &progress);
    QCOMPARE(result.outcome, CopyResult::Outcome::Failed);
    QCOMPARE(readAll(target), old);
    QCOMPARE(QDir(m_storage).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.dat")});
#endif
}

QTEST_GUILESS_MAIN(TestReplayCopyJob)
#include "tst_ReplayCopyJob.moc"

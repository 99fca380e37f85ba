// The safe copy: whole files byte for byte, the replace question, and a
// failure that must leave the replay it was to replace as it was.

#include "operations/ReplayCopyJob.h"
#include "platform/Prompter.h"
#include "tests/replay/FailDevice.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using ReplayMaker::ReplayRecipe;

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

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    QString m_storage; // with trailing "/"
};

void TestReplayCopyJob::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("game"))));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("storage"))));
    m_source = m_dir->filePath(QStringLiteral("game/qv_replay1.dat"));
    m_storage = m_dir->filePath(QStringLiteral("storage")) + QLatin1Char('/');
    QVERIFY(writeAll(m_source, replayBytes(1234, 40000)));
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
}

void TestReplayCopyJob::refusedDestinations_data()
{
    QTest::addColumn<QString>("destination"); // under the temporary folder
    QTest::addColumn<QString>("reason");      // a part of the reason
    QTest::newRow("a folder") << QStringLiteral("storage/sub.dat") << QStringLiteral("フォルダ");
    QTest::newRow("the source itself") << QStringLiteral("game/qv_replay1.dat") << QStringLiteral("コピー元");
    QTest::newRow("the source through a link") << QStringLiteral("storage/link.dat") << QStringLiteral("コピー元");
    QTest::newRow("read-only file") << QStringLiteral("storage/locked.dat") << QStringLiteral("読み取り専用");
    QTest::newRow("missing folder") << QStringLiteral("nowhere/a.dat") << QStringLiteral("書き込めません");
}

// Nothing is asked and nothing is written anywhere.
void TestReplayCopyJob::refusedDestinations()
{
    QFETCH(QString, destination);
    QFETCH(QString, reason);
    QVERIFY(QDir().mkpath(m_storage + QStringLiteral("sub.dat")));
    QVERIFY(QFile::link(m_source, m_storage + QStringLiteral("link.dat")));
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
}

void TestReplayCopyJob::fifoSourceDoesNotBlock()
{
    const QString fifo = m_dir->filePath(QStringLiteral("game/qv_replay2.dat"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ScriptedPrompter prompter;
    const CopyResult result = ReplayCopyJob(fifo, m_storage + QStringLiteral("a.dat")).run(prompter, nullptr);
    QCOMPARE(result.outcome, Outcome::Failed);
    QVERIFY(result.reason.contains(QStringLiteral("qv_replay2.dat")));
    QVERIFY(entries(m_storage).isEmpty());
}

// A source that fails halfway through leaves the file it would replace byte
// for byte, and no temporary file beside it.
void TestReplayCopyJob::sourceFailingMidReadKeepsTarget()
{
    const QString target = m_storage + QStringLiteral("kept.dat");
    const QByteArray old = replayBytes(7, 20000);
    QVERIFY(writeAll(target, old));
    FailDevice source(-1, 70000);
    source.setData(QByteArray(300000, 'r')); // more than one chunk
    QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QVERIFY(source.seek(0)); // from here reads fail after 70,000 bytes
    const CopyResult result = ReplayCopyJob::copyInto(source, target, QStringLiteral("qv_replay1.dat"));
    QCOMPARE(result.outcome, CopyResult::Outcome::Failed);
    QVERIFY2(result.reason.contains(QStringLiteral("「qv_replay1.dat」を読み込めません")), qPrintable(result.reason));
    QCOMPARE(readAll(target), old);
    QCOMPARE(QDir(m_storage).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("kept.dat")});
}

QTEST_GUILESS_MAIN(TestReplayCopyJob)
#include "tst_ReplayCopyJob.moc"

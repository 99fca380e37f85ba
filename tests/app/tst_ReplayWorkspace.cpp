// The window's working data without a window: the name and comment of one
// replay, in memory and in its file, and the signals that tell of changes.

#include "app/ReplayWorkspace.h"
#include "catalogue/ScanCache.h"
#include "replay/ShiftJisText.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <QThread>

#include <cstring>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

struct Texts {
    char name[PlayerNameSize]{};
    char comment[CommentSize]{};
};

Texts texts(const QByteArray &name, const QByteArray &comment)
{
    Texts t;
    std::memcpy(t.name, name.constData(), size_t(qMin(name.size(), qsizetype(PlayerNameSize))));
    std::memcpy(t.comment, comment.constData(), size_t(qMin(comment.size(), qsizetype(CommentSize))));
    return t;
}

} // namespace

class TestReplayWorkspace : public QObject {
    Q_OBJECT

private slots:
    void textInMemoryThenFile_data();
    void textInMemoryThenFile();
    void rewriteNeedsNoReread();
    void renameToDecodedNames();
    void reloadAskedForDuringAScan();
    void liveReload_data();
    void liveReload();
};

void TestReplayWorkspace::textInMemoryThenFile_data()
{
    QTest::addColumn<bool>("fromStorage");
    QTest::addColumn<bool>("fileWritable");
    QTest::newRow("game slot") << false << true;
    QTest::newRow("storage file") << true << true;
    QTest::newRow("game slot, write refused") << false << false;
    QTest::newRow("storage file, write refused") << true << false;
}

void TestReplayWorkspace::textInMemoryThenFile()
{
    QFETCH(bool, fromStorage);
    QFETCH(bool, fileWritable);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    const QString name = fromStorage ? QStringLiteral("Mixed.dat") : QStringLiteral("qv_replay4.dat");
    const QString path = folder + name;
    QVERIFY(ReplayMaker::writeFile(path, ReplayMaker::replayFile({}, "old", "old comment")));
    const QByteArray before = readAll(path);

    ReplayWorkspace workspace;
    QSignalSpy changed(&workspace, fromStorage ? &ReplayWorkspace::storageContentChanged
                                               : &ReplayWorkspace::tarnelContentChanged);
    workspace.setFolders({folder, folder});
    QCOMPARE(changed.count(), 0); // a folder alone reads nothing
    workspace.reloadTarnelFolder(nullptr);
    workspace.reloadStorageFolder(nullptr);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(workspace.storagePath(name), path);

    // Nothing that does not exist is changed or written.
    const Texts edit = texts(QByteArray(PlayerNameSize, 'N'), "line 1\r\nline 2");
    QVERIFY(!workspace.setSlotText(10, edit.name, edit.comment));
    QVERIFY(!workspace.setStorageText(QStringLiteral("mixed.dat"), edit.name, edit.comment)); // exact names
    QVERIFY(!workspace.writeSlotText(-1));
    QVERIFY(!workspace.writeStorageText(QStringLiteral("mixed.dat")));
    QCOMPARE(changed.count(), 1);

    QVERIFY(fromStorage ? workspace.setStorageText(name, edit.name, edit.comment)
                        : workspace.setSlotText(4, edit.name, edit.comment));
    QCOMPARE(changed.count(), 2);
    const ReplayInfo held = fromStorage ? workspace.Replays().itemByName(name)->info() : workspace.Slots()[4];
    QCOMPARE(QByteArray(held.PlayerName, PlayerNameSize), QByteArray(PlayerNameSize, 'N'));
    QCOMPARE(readAll(path), before); // memory first, the file only on request

    if (!fileWritable)
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    const bool written = fromStorage ? workspace.writeStorageText(name) : workspace.writeSlotText(4);
    QCOMPARE(written, fileWritable);
    if (!fileWritable) {
        QCOMPARE(readAll(path), before);
        QCOMPARE(QByteArray(held.PlayerName, PlayerNameSize), QByteArray(PlayerNameSize, 'N')); // kept in memory
        return;
    }
    const QByteArray after = readAll(path);
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.right(ReplayTextSize), ReplayMaker::textFields(QByteArray(PlayerNameSize, 'N'), "line 1\r\nline 2"));
    QCOMPARE(after.left(after.size() - ReplayTextSize), before.left(before.size() - ReplayTextSize));
}

void TestReplayWorkspace::rewriteNeedsNoReread()
{
    // The program's own rewrite updates memory and cache: neither a reload in
    // this run nor the next run reads the file again, and both see the new texts.
    QTemporaryDir dir;
    QTemporaryDir cacheDir;
    QVERIFY(dir.isValid() && cacheDir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    for (const char *name : {"a.dat", "b.dat", "qv_replay0.dat"})
        QVERIFY(ReplayMaker::writeFile(folder + QLatin1String(name), ReplayMaker::replayFile({}, "old", "old")));
    QThread::msleep(60);
    const QString cachePath = cacheDir.filePath(QStringLiteral("cache.sqlite"));
    const Texts edit = texts("new name", "new comment");

    {
        ScanCache cache(cachePath);
        ReplayWorkspace workspace;
        workspace.setScanCache(&cache);
        workspace.scanner().setSettleTime(50'000'000);
        workspace.setFolders({folder, folder});
        QCOMPARE(workspace.reloadStorageFolder(nullptr).read, 3);
        QCOMPARE(workspace.reloadTarnelFolder(nullptr).read, 0); // the same folder: already read
        QVERIFY(workspace.setStorageText(QStringLiteral("b.dat"), edit.name, edit.comment));
        QVERIFY(workspace.writeStorageText(QStringLiteral("b.dat")));
        QVERIFY(workspace.setSlotText(0, edit.name, edit.comment));
        QVERIFY(workspace.writeSlotText(0));
        QCOMPARE(workspace.reloadStorageFolder(nullptr).read, 0);
        QCOMPARE(workspace.reloadTarnelFolder(nullptr).read, 0);
        QCOMPARE(ShiftJisText::decodeField(workspace.Slots()[0].Comment, CommentSize), QStringLiteral("new comment"));

        // The program's own copy is read once, though it has not settled.
        QVERIFY(ReplayMaker::writeFile(folder + QStringLiteral("copy.dat"), ReplayMaker::replayFile({}, "c", "")));
        workspace.noteCopiedInto(folder, QStringLiteral("copy.dat"));
        QCOMPARE(workspace.reloadStorageFolder(nullptr).read, 1);
        QCOMPARE(workspace.reloadStorageFolder(nullptr).read, 0);
    }
    ScanCache cache(cachePath);
    ReplayWorkspace workspace;
    workspace.setScanCache(&cache);
    workspace.setFolders({folder, folder});
    QCOMPARE(workspace.reloadStorageFolder(nullptr).read, 0);
    const ReplayListItem *item = workspace.Replays().itemByName(QStringLiteral("b.dat"));
    QVERIFY(item);
    QCOMPARE(fieldBytes(item->info().PlayerName, PlayerNameSize), QByteArrayLiteral("new name"));
    QCOMPARE(fieldBytes(item->info().Comment, CommentSize), QByteArrayLiteral("new comment"));
}

void TestReplayWorkspace::renameToDecodedNames()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file names that are not UTF-8 (Windows names are UTF-16)");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto cleanUp = qScopeGuard([&dir] { removeNonUtf8Names(dir.path()); });
    const QString folder = dir.path() + QLatin1Char('/');
    const QByteArray raw = QFile::encodeName(folder);
    const QByteArray test = QByteArray::fromHex("836583588367") + ".dat";  // テスト.dat
    const QByteArray taken = QByteArray::fromHex("8c4a") + ".dat";          // 繰.dat, which exists already
    const QByteArray undecodable = "\xff\xfe.dat";
    QVERIFY(writeRawFile(raw + test, ReplayMaker::replayFile({}, "sjis", "")));
    QVERIFY(writeRawFile(raw + taken, ReplayMaker::replayFile({}, "twin", "")));
    QVERIFY(ReplayMaker::writeFile(folder + QStringLiteral("繰.dat"), ReplayMaker::replayFile({}, "here first", "")));
    QVERIFY(writeRawFile(raw + undecodable, ReplayMaker::replayFile({}, "x", "")));

    ReplayWorkspace workspace;
    QSignalSpy leftOutChanged(&workspace, &ReplayWorkspace::leftOutFilesChanged);
    workspace.setFolders({folder, folder});
    workspace.reloadStorageFolder(nullptr);
    QCOMPARE(leftOutChanged.count(), 1);
    QCOMPARE(workspace.Replays().Count(), 1);
    QList<QByteArray> names;
    for (const LeftOutFile &file : workspace.leftOutFiles()) {
        QCOMPARE(file.reasonText, QStringLiteral("ファイル名が Shift-JIS など別の文字コードで書かれています"));
        names << file.nameBytes;
    }
    QCOMPARE(names.size(), 3);

    const QList<DecodedNameRename::Result> results = workspace.renameToDecodedNames(names, nullptr);
    QCOMPARE(results.size(), 3);
    QStringList outcome;
    for (const DecodedNameRename::Result &result : results)
        outcome << QStringLiteral("%1 %2 %3 %4").arg(QString::fromLatin1(result.name.toHex()), result.newName)
                       .arg(result.renamed).arg(result.reason);
    outcome.sort();
    QCOMPARE(outcome, (QStringList{
        QStringLiteral("8365835883672e646174 テスト.dat 1 "),
        QStringLiteral("8c4a2e646174 繰.dat 0 同じ名前のファイル「繰.dat」が既にあります"),
        QStringLiteral("fffe2e646174  0 ファイル名を Shift-JIS として正しく読めません"),
    }));

    // The renamed file is read like any other; the others stay as they were.
    const ReplayListItem *renamed = workspace.Replays().itemByName(QStringLiteral("テスト.dat"));
    QVERIFY(renamed);
    QCOMPARE(fieldBytes(renamed->info().PlayerName, PlayerNameSize), QByteArrayLiteral("sjis"));
    QCOMPARE(fieldBytes(workspace.Replays().itemByName(QStringLiteral("繰.dat"))->info().PlayerName, PlayerNameSize),
             QByteArrayLiteral("here first"));
    QCOMPARE(int(workspace.leftOutFiles().size()), 2);
    QCOMPARE(leftOutChanged.count(), 2);
    QVERIFY(::access((raw + undecodable).constData(), F_OK) == 0);
#endif
}

void TestReplayWorkspace::reloadAskedForDuringAScan()
{
    // A scan lets events be handled; a reload asked for from one of them
    // waits for the running scan and then runs.
    class NestingProgress : public ScanProgress {
    public:
        ReplayWorkspace *workspace = nullptr;
        QString addPath;
        int starts = 0;
        void start(int, const QString &) override
        {
            if (++starts == 1) {
                QVERIFY(ReplayMaker::writeFile(addPath, ReplayMaker::replayFile({}, "late", "")));
                const ScanCounts nested = workspace->reloadStorageFolder(this);
                QCOMPARE(nested.read + nested.reused, 0); // not now
            }
        }
        void step(int, const QString &, const QString &) override {}
        void finish() override {}
    };

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    QVERIFY(ReplayMaker::writeFile(folder + QStringLiteral("a.dat"), ReplayMaker::replayFile({}, "a", "")));
    ReplayWorkspace workspace;
    QSignalSpy changed(&workspace, &ReplayWorkspace::storageContentChanged);
    workspace.setFolders({folder, folder});
    NestingProgress progress;
    progress.workspace = &workspace;
    progress.addPath = folder + QStringLiteral("b.dat");
    workspace.reloadStorageFolder(&progress);
    QCOMPARE(progress.starts, 2);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(workspace.Replays().Count(), 2);
}

void TestReplayWorkspace::liveReload_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("mayHold");
    QTest::addColumn<int>("quietMs");
    QTest::addColumn<int>("graceMs");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("listed");  // storage names, or present slot files
    QTest::addColumn<QStringList>("leftOut");

    using R = ReplayWorkspace::LiveResult;
    const QStringList a{u"a.dat"_s};
    const QStringList ab{u"a.dat"_s, u"b.dat"_s};
    const QStringList b{u"b.dat"_s};
    const QStringList slot0{u"qv_replay0.dat"_s};
    QTest::newRow("nothing") << u"none"_s << true << 0 << 0 << int(R::Unchanged) << a << QStringList();
    QTest::newRow("own rewrite") << u"own rewrite"_s << true << 0 << 0 << int(R::Unchanged) << a << QStringList();
    QTest::newRow("added") << u"add"_s << true << 0 << 0 << int(R::Updated) << ab << QStringList();
    QTest::newRow("added, still being written") << u"add"_s << true << 60000 << 0 << int(R::Held) << a
                                                 << QStringList();
    QTest::newRow("cut short, young") << u"half"_s << true << 0 << 60000 << int(R::Held) << a << QStringList();
    QTest::newRow("cut short, taken as it is") << u"half"_s << false << 0 << 60000 << int(R::Updated) << a << b;
    QTest::newRow("cut short, written long ago") << u"half"_s << true << 0 << 0 << int(R::Updated) << a << b;
    QTest::newRow("folder removed") << u"remove folder"_s << true << 0 << 0 << int(R::Updated) << QStringList()
                                    << QStringList();
    QTest::newRow("slot added") << u"slot"_s << true << 0 << 0 << int(R::Updated)
                                << (slot0 + QStringList{u"qv_replay1.dat"_s}) << QStringList();
    QTest::newRow("slot cut short, young") << u"slot half"_s << true << 0 << 60000 << int(R::Held) << slot0
                                           << QStringList();
    QTest::newRow("slot cut short, written long ago") << u"slot half"_s << true << 0 << 0 << int(R::Updated) << slot0
                                                      << QStringList();
}

void TestReplayWorkspace::liveReload()
{
    // Another program's change is read when it is whole; the program's own,
    // read already, and a file still being written are not.
    QFETCH(QString, change);
    QFETCH(bool, mayHold);
    QFETCH(int, quietMs);
    QFETCH(int, graceMs);
    QFETCH(int, result);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, leftOut);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString game = dir.filePath(u"game/"_s);
    const QString storage = dir.filePath(u"storage/"_s);
    QVERIFY(QDir().mkpath(game) && QDir().mkpath(storage));
    // A stream long enough that a file cut short ends inside it.
    ReplayMaker::ReplayRecipe recipe;
    recipe.runRecords = 4000;
    const QByteArray replay = ReplayMaker::replayFile(recipe, "x", "");
    const qsizetype cut = ReplayMaker::compressedStream(recipe).size() / 2;
    QVERIFY(ReplayMaker::writeFile(storage + u"a.dat"_s, replay));
    QVERIFY(ReplayMaker::writeFile(game + u"qv_replay0.dat"_s, replay));

    ReplayWorkspace workspace;
    workspace.setFolders({game, storage});
    workspace.reloadTarnelFolder(nullptr);
    workspace.reloadStorageFolder(nullptr);
    workspace.setWriteTimes(quietMs, graceMs);
    const bool gameChange = change.startsWith(u"slot"_s);
    QSignalSpy changed(&workspace, gameChange ? &ReplayWorkspace::tarnelContentChanged
                                         : &ReplayWorkspace::storageContentChanged);

    if (change == u"own rewrite"_s) {
        const Texts edit = texts("mine", "");
        QVERIFY(workspace.setStorageText(u"a.dat"_s, edit.name, edit.comment));
        QVERIFY(workspace.writeStorageText(u"a.dat"_s));
        changed.clear();
    } else if (change == u"add"_s) {
        QVERIFY(ReplayMaker::writeFile(storage + u"b.dat"_s, replay));
    } else if (change == u"half"_s) {
        QVERIFY(ReplayMaker::writeFile(storage + u"b.dat"_s, replay.left(cut)));
    } else if (change == u"remove folder"_s) {
        QVERIFY(QDir(storage).removeRecursively());
    } else if (change == u"slot"_s) {
        QVERIFY(ReplayMaker::writeFile(game + u"qv_replay1.dat"_s, replay));
    } else if (change == u"slot half"_s) {
        QVERIFY(ReplayMaker::writeFile(game + u"qv_replay1.dat"_s, replay.left(cut)));
    }
    const FolderKind folder = gameChange ? FolderKind::Game : FolderKind::Storage;
    QCOMPARE(workspace.changedOnDisk(folder), result != 0);

    const ReplayWorkspace::LiveResult got = workspace.liveReload(folder, nullptr, mayHold);
    QCOMPARE(int(got), result);
    QCOMPARE(changed.count(), got == ReplayWorkspace::LiveResult::Updated ? 1 : 0);
    QStringList names;
    QStringList leftNames;
    if (gameChange) {
        for (int slot = 0; slot < ReplaySlotCount; ++slot) {
            if (workspace.Slots()[size_t(slot)].PlayDate != 0)
                names << slotFileName(slot);
        }
    } else {
        for (qint32 id = 1; id <= workspace.Replays().Count(); ++id)
            names << workspace.Replays().itemById(id)->FileName;
        for (const LeftOutFile &file : workspace.leftOutFiles())
            leftNames << file.name;
    }
    names.sort();
    QCOMPARE(names, listed);
    QCOMPARE(leftNames, leftOut);
    if (change == u"remove folder"_s)
        QCOMPARE(workspace.storageSeen().state, FolderSnapshot::State::Missing);
    // Once read, the folder is as the program last saw it.
    if (got == ReplayWorkspace::LiveResult::Updated)
        QVERIFY(!workspace.changedOnDisk(folder));
}

QTEST_MAIN(TestReplayWorkspace)
#include "tst_ReplayWorkspace.moc"

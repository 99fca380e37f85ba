// The window's working data without a window: reloads and their signals, and
// the name and comment of one replay, in memory and in its file.

#include "app/ReplayWorkspace.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

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
    void reloadsFollowTheFolders();
    void textInMemoryThenFile_data();
    void textInMemoryThenFile();
};

void TestReplayWorkspace::reloadsFollowTheFolders()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString one = dir.filePath(QStringLiteral("one")) + QLatin1Char('/');
    const QString two = dir.filePath(QStringLiteral("two")) + QLatin1Char('/');
    QVERIFY(QDir().mkpath(one) && QDir().mkpath(two));
    const ReplayMaker::ReplayRecipe recipe;
    QVERIFY(ReplayMaker::writeFile(one + QStringLiteral("qv_replay2.dat"), ReplayMaker::replayFile(recipe, "g", "")));
    QVERIFY(ReplayMaker::writeFile(one + QStringLiteral("a.dat"), ReplayMaker::replayFile(recipe, "a", "")));
    QVERIFY(ReplayMaker::writeFile(two + QStringLiteral("b.dat"), ReplayMaker::replayFile(recipe, "b", "")));

    ReplayWorkspace workspace;
    QSignalSpy game(&workspace, &ReplayWorkspace::tarnelContentChanged);
    QSignalSpy storage(&workspace, &ReplayWorkspace::storageContentChanged);
    workspace.setFolders({one, one});
    QCOMPARE(game.count() + storage.count(), 0); // a folder alone reads nothing

    workspace.reloadTarnelFolder(nullptr);
    workspace.reloadStorageFolder(nullptr);
    QCOMPARE(game.count(), 1);
    QCOMPARE(storage.count(), 1);
    QVERIFY(workspace.Slots()[2].PlayDate != 0);
    QCOMPARE(workspace.Replays().Count(), 2); // the slot file is a storage replay too
    QVERIFY(workspace.Replays().itemByName(QStringLiteral("a.dat")));

    // Another folder: the old content goes entirely.
    workspace.setTarnelDir(two);
    workspace.setStorageDir(two);
    QCOMPARE(workspace.slotPath(2), two + QStringLiteral("qv_replay2.dat"));
    QCOMPARE(workspace.storagePath(QStringLiteral("b.dat")), two + QStringLiteral("b.dat"));
    workspace.reloadTarnelFolder(nullptr);
    workspace.reloadStorageFolder(nullptr);
    QCOMPARE(workspace.Slots()[2].PlayDate, 0);
    QCOMPARE(workspace.Replays().Count(), 1);
    QVERIFY(workspace.Replays().itemByName(QStringLiteral("b.dat")));

    workspace.clearStorage();
    QCOMPARE(workspace.Replays().LastId(), 0);
    QCOMPARE(storage.count(), 3);
}

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
    workspace.setFolders({folder, folder});
    workspace.reloadTarnelFolder(nullptr);
    workspace.reloadStorageFolder(nullptr);
    QSignalSpy changed(&workspace, fromStorage ? &ReplayWorkspace::storageContentChanged
                                               : &ReplayWorkspace::tarnelContentChanged);

    // Nothing that does not exist is changed or written.
    const Texts edit = texts(QByteArray(PlayerNameSize, 'N'), "line 1\r\nline 2");
    QVERIFY(!workspace.setSlotText(10, edit.name, edit.comment));
    QVERIFY(!workspace.setStorageText(QStringLiteral("mixed.dat"), edit.name, edit.comment)); // exact names
    QVERIFY(!workspace.writeSlotText(-1));
    QVERIFY(!workspace.writeStorageText(QStringLiteral("mixed.dat")));
    QCOMPARE(changed.count(), 0);

    QVERIFY(fromStorage ? workspace.setStorageText(name, edit.name, edit.comment)
                        : workspace.setSlotText(4, edit.name, edit.comment));
    QCOMPARE(changed.count(), 1);
    const ReplayInfo &held = fromStorage ? workspace.Replays().itemByName(name)->Info : workspace.Slots()[4];
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

QTEST_MAIN(TestReplayWorkspace)
#include "tst_ReplayWorkspace.moc"

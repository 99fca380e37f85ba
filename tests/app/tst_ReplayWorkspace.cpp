// The window's working data without a window: the name and comment of one
// replay, in memory and in its file, and the signals that tell of changes.

#include "app/ReplayWorkspace.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

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
    void textInMemoryThenFile_data();
    void textInMemoryThenFile();
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

#include "platform/FileSystem.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Cause = FileError::Cause;

// The file-system steps that differ between Linux and Windows, with names
// beyond ASCII (UTF-16 under Windows, UTF-8 bytes here).
class tst_FileSystem : public QObject {
    Q_OBJECT

private slots:
    void renameNoReplace_data();
    void renameNoReplace();
    void sameFile();
    void flushToDisk();
};

void tst_FileSystem::renameNoReplace_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<bool>("sourceExists");
    QTest::addColumn<Cause>("cause");
    QTest::newRow("free name") << false << true << Cause::None;
    QTest::newRow("name taken") << true << true << Cause::Exists;
    QTest::newRow("source gone") << false << false << Cause::Missing;
}

void tst_FileSystem::renameNoReplace()
{
    QFETCH(bool, targetExists);
    QFETCH(bool, sourceExists);
    QFETCH(Cause, cause);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString from = dir.filePath(QStringLiteral("テスト.dat"));
    const QString to = dir.filePath(QStringLiteral("新しい名前.dat"));
    if (sourceExists)
        QVERIFY(writeAll(from, "source"));
    if (targetExists)
        QVERIFY(writeAll(to, "taken"));

    const FileError result = FileSystem::renameNoReplace(QFile::encodeName(from), QFile::encodeName(to));
    QCOMPARE(result.cause, cause);
    if (!result.failed()) {
        QVERIFY(!QFile::exists(from));
        QCOMPARE(readAll(to), QByteArray("source"));
    } else {
        // Nothing is replaced or lost.
        QCOMPARE(readAll(to), targetExists ? QByteArray("taken") : QByteArray());
        QCOMPARE(QFile::exists(from), sourceExists);
    }
}

void tst_FileSystem::sameFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString a = dir.filePath(QStringLiteral("リプレイ.dat"));
    const QString b = dir.filePath(QStringLiteral("copy.dat"));
    QVERIFY(writeAll(a, "same bytes"));
    QVERIFY(writeAll(b, "same bytes"));
    QVERIFY(FileSystem::isSameFile(a, a));
    QVERIFY(FileSystem::isSameFile(a, QDir(dir.path()).filePath(QStringLiteral("./リプレイ.dat"))));
    QVERIFY(!FileSystem::isSameFile(a, b));
    QVERIFY(!FileSystem::isSameFile(a, dir.filePath(QStringLiteral("missing.dat"))));
    QVERIFY(FileSystem::identity(dir.filePath(QStringLiteral("missing.dat"))).isEmpty());
    // A folder has an identity too, and a replaced folder has another one.
    const QString folder = dir.filePath(QStringLiteral("フォルダ"));
    QVERIFY(QDir().mkdir(folder));
    const QByteArray before = FileSystem::identity(folder);
    QVERIFY(!before.isEmpty());
    QVERIFY(QDir(dir.path()).rename(QStringLiteral("フォルダ"), QStringLiteral("old")));
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(FileSystem::identity(folder) != before);
    QCOMPARE(FileSystem::identity(dir.filePath(QStringLiteral("old"))), before);
}

void tst_FileSystem::flushToDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("flushed.dat")));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QCOMPARE(file.write("bytes"), qint64(5));
    QVERIFY(FileSystem::flushToDisk(file));
}

QTEST_GUILESS_MAIN(tst_FileSystem)
#include "tst_FileSystem.moc"

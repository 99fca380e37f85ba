#include "platform/FileError.h"
#include "replay/ReplayTextWriter.h"
#include "tests/replay/FailDevice.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace ReplayMaker;

namespace {

// The two fields as RewriteReplayText takes them, NUL-padded.
struct TextFields {
    char name[PlayerNameSize]{};
    char comment[CommentSize]{};

    TextFields(const QByteArray &n, const QByteArray &c)
    {
        std::memcpy(name, n.constData(), size_t(qMin<qsizetype>(n.size(), PlayerNameSize)));
        std::memcpy(comment, c.constData(), size_t(qMin<qsizetype>(c.size(), CommentSize)));
    }
};

const QByteArray NewName = QByteArrayLiteral("\x83\x65\x83\x58\x83\x67 Player"); // "テスト Player"
const QByteArray NewComment = QByteArrayLiteral("first line\r\nsecond line");

ReplayRecipe runSpec(qint64 runRecords, int level = 6)
{
    ReplayRecipe recipe;
    recipe.runRecords = runRecords;
    recipe.compressionLevel = level;
    recipe.score = 123456;
    return recipe;
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                               QDir::Name);
}

} // namespace

Q_DECLARE_METATYPE(ReplayMaker::ReplayRecipe)

class TestReplayTextWriter : public QObject
{
    Q_OBJECT

private slots:
    void rewritesFile_data();
    void rewritesFile();
    void rewritesLongName();
    void refusesFile_data();
    void refusesFile();
    void writeFailureIsReported_data();
    void writeFailureIsReported();
    void readBackFailureIsReported();
    void keepsPermissions_data();
    void keepsPermissions();
    void followsSymbolicLink();
    void unwritableFolderLeavesFileAlone();
    void fullDiskLeavesFileAlone_data();
    void fullDiskLeavesFileAlone();
};

void TestReplayTextWriter::rewritesFile_data()
{
    QTest::addColumn<ReplayRecipe>("recipe");
    QTest::addColumn<QByteArray>("tail");

    const QByteArray fields = textFields("old name", "old comment");
    QTest::newRow("stream only grows by both fields") << runSpec(50) << QByteArray();
    QTest::newRow("ends inside the name") << runSpec(50) << QByteArray("0123456789");
    QTest::newRow("ends inside the comment") << runSpec(50) << fields.left(PlayerNameSize + 10);
    QTest::newRow("old fields replaced") << runSpec(50) << fields;
    QTest::newRow("2000 trailing bytes removed") << runSpec(50) << fields + QByteArray(2000, 'x');
    // Stored without compression the stream spans several copy chunks.
    QTest::newRow("stream of many chunks") << runSpec(40000, 0) << fields + QByteArray(3, '\xff');
}

void TestReplayTextWriter::rewritesFile()
{
    QFETCH(ReplayRecipe, recipe);
    QFETCH(QByteArray, tail);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("replay.dat"));
    const QByteArray stream = compressedStream(recipe);
    QVERIFY(writeFile(path, stream + tail));

    const TextFields fields(NewName, NewComment);
    QVERIFY(RewriteReplayText(path, fields.name, fields.comment));

    const QByteArray after = readAll(path);
    QCOMPARE(after.size(), stream.size() + ReplayTextSize);
    QVERIFY(after.startsWith(stream));
    QCOMPARE(after.mid(stream.size()), textFields(NewName, NewComment));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("replay.dat")});
}

// A name the copy itself makes, near the file system's limit of 255 bytes:
// the temporary name beside it does not grow with it.
void TestReplayTextWriter::rewritesLongName()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = QString(83, QChar(u'記')) + QStringLiteral("a.dat"); // 3 bytes each
    QCOMPARE(QFile::encodeName(name).size(), 254);
    const QString path = dir.filePath(name);
    const QByteArray stream = compressedStream(runSpec(50));
    QVERIFY(writeFile(path, stream + textFields("old", "old")));

    const TextFields fields(NewName, NewComment);
    QString reason;
    QVERIFY2(RewriteReplayText(path, fields.name, fields.comment, &reason), qPrintable(reason));
    QCOMPARE(readAll(path), stream + textFields(NewName, NewComment));
    QCOMPARE(entries(dir.path()), QStringList{name});
}

void TestReplayTextWriter::refusesFile_data()
{
    QTest::addColumn<QString>("kind"); // "file", "missing" or "folder"
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("readOnly");

    const QString file = QStringLiteral("file");
    const QByteArray fields = textFields("old name", "old comment");
    QTest::newRow("missing file") << QStringLiteral("missing") << QByteArray() << false;
    QTest::newRow("folder") << QStringLiteral("folder") << QByteArray() << false;
    QTest::newRow("empty file") << file << brokenFile(Damage::Empty) << false;
    QTest::newRow("plain text") << file << brokenFile(Damage::PlainText) << false;
    QTest::newRow("truncated stream") << file << brokenFile(Damage::TruncatedStream, runSpec(500)) << false;
    QTest::newRow("bad checksum") << file << brokenFile(Damage::BadAdler, runSpec(500)) << false;
    QTest::newRow("raw deflate") << file << brokenFile(Damage::RawDeflate, runSpec(500)) << false;
    QTest::newRow("read-only replay") << file << replayFile(runSpec(50), fields + "tail") << true;
}

void TestReplayTextWriter::refusesFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(bool, readOnly);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("replay.dat"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("replay.dat")));
    else if (kind == QLatin1String("file"))
        QVERIFY(writeFile(path, content));
    if (readOnly)
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const QStringList before = entries(dir.path());

    const TextFields fields(NewName, NewComment);
    QString reason;
    QVERIFY(!RewriteReplayText(path, fields.name, fields.comment, &reason));
    QVERIFY(!reason.isEmpty());

    QCOMPARE(entries(dir.path()), before);
    if (kind == QLatin1String("file"))
        QCOMPARE(readAll(path), content);
}

void TestReplayTextWriter::writeFailureIsReported_data()
{
    QTest::addColumn<qint64>("failAfter"); // bytes the target accepts, relative to L
    QTest::addColumn<bool>("relativeToEnd");

    QTest::newRow("nothing written") << qint64(0) << false;
    QTest::newRow("one byte") << qint64(1) << false;
    QTest::newRow("stream short by one") << qint64(-1) << true;
    QTest::newRow("stream only") << qint64(0) << true;
    QTest::newRow("name short by one") << qint64(PlayerNameSize - 1) << true;
    QTest::newRow("name only") << qint64(PlayerNameSize) << true;
    QTest::newRow("comment short by one") << qint64(ReplayTextSize - 1) << true;
}

void TestReplayTextWriter::writeFailureIsReported()
{
    QFETCH(qint64, failAfter);
    QFETCH(bool, relativeToEnd);

    const QByteArray stream = compressedStream(runSpec(20000, 0));
    QByteArray content = stream + textFields("old", "old");
    QBuffer source(&content);
    QVERIFY(source.open(QIODevice::ReadOnly));
    FailDevice target(relativeToEnd ? stream.size() + failAfter : failAfter);
    QVERIFY(target.open(QIODevice::WriteOnly | QIODevice::Unbuffered));

    const TextFields fields(NewName, NewComment);
    QVERIFY(!RewriteReplayText(source, target, fields.name, fields.comment));

    // The same device with room for everything succeeds: the limit was the only cause.
    QVERIFY(source.seek(0));
    FailDevice roomy(stream.size() + ReplayTextSize);
    QVERIFY(roomy.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QVERIFY(RewriteReplayText(source, roomy, fields.name, fields.comment));
    QCOMPARE(roomy.data(), stream + textFields(NewName, NewComment));
}

void TestReplayTextWriter::readBackFailureIsReported()
{
    const QByteArray stream = compressedStream(runSpec(20000, 0));
    FailDevice source(-1, stream.size() / 2);
    source.setData(stream + textFields("old", "old"));
    QVERIFY(source.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QBuffer target;
    QVERIFY(target.open(QIODevice::WriteOnly));

    const TextFields fields(NewName, NewComment);
    QVERIFY(!RewriteReplayText(source, target, fields.name, fields.comment));
}

void TestReplayTextWriter::keepsPermissions_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("0600") << 0600;
    QTest::newRow("0640") << 0640;
    QTest::newRow("0666") << 0666;
    QTest::newRow("0754") << 0754;
}

void TestReplayTextWriter::keepsPermissions()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: permission bits");
#else
    QFETCH(int, mode);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("replay.dat"));
    QVERIFY(writeFile(path, replayFile(runSpec(50), textFields("old", "old"))));
    const QByteArray native = QFile::encodeName(path);
    QCOMPARE(::chmod(native.constData(), mode_t(mode)), 0);

    const TextFields fields(NewName, NewComment);
    QVERIFY(RewriteReplayText(path, fields.name, fields.comment));

    struct stat st {};
    QCOMPARE(::stat(native.constData(), &st), 0);
    QCOMPARE(int(st.st_mode & 07777), mode);
#endif
}

void TestReplayTextWriter::followsSymbolicLink()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: symbolic links (QFile::link makes a shortcut under Windows)");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("store")));
    const QString target = dir.filePath(QStringLiteral("store/real.dat"));
    const QString link = dir.filePath(QStringLiteral("link.dat"));
    const QByteArray stream = compressedStream(runSpec(50));
    QVERIFY(writeFile(target, stream + textFields("old", "old") + "tail"));
    QVERIFY(QFile::link(target, link));

    const TextFields fields(NewName, NewComment);
    QVERIFY(RewriteReplayText(link, fields.name, fields.comment));

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(readAll(target), stream + textFields(NewName, NewComment));
    QCOMPARE(entries(dir.filePath(QStringLiteral("store"))), QStringList{QStringLiteral("real.dat")});
#endif
}

void TestReplayTextWriter::unwritableFolderLeavesFileAlone()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: folder permission bits");
#else
    if (::geteuid() == 0)
        QSKIP("root writes into any folder; fullDiskLeavesFileAlone covers the failing write");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("replay.dat"));
    const QByteArray content = replayFile(runSpec(50), textFields("old", "old"));
    QVERIFY(writeFile(path, content));
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const TextFields fields(NewName, NewComment);
    const bool written = RewriteReplayText(path, fields.name, fields.comment);
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                  | QFileDevice::ExeOwner));
    QVERIFY(!written);
    QCOMPARE(readAll(path), content);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("replay.dat")});
#endif
}

void TestReplayTextWriter::fullDiskLeavesFileAlone_data()
{
    QTest::addColumn<qint64>("limit"); // largest file size allowed, relative to L
    QTest::newRow("inside the stream") << qint64(-200000);
    // The last bytes only reach the disk when the new file is committed.
    QTest::newRow("inside the comment") << qint64(PlayerNameSize + 500);
}

// A file-size limit makes the new file's write fail part-way, as a full disk
// would, and it binds root as well.
void TestReplayTextWriter::fullDiskLeavesFileAlone()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file-size limits (setrlimit) stand in for a full disk");
#else
    QFETCH(qint64, limit);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("replay.dat"));
    const QByteArray stream = compressedStream(runSpec(40000, 0));
    const QByteArray content = stream + textFields("old", "old") + QByteArray(500, 'z');
    QVERIFY(writeFile(path, content));

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(stream.size() + limit);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);

    const TextFields fields(NewName, NewComment);
    QString reason;
    const bool written = RewriteReplayText(path, fields.name, fields.comment, &reason);

    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QCOMPARE(reason, FileError::fromSystem(EFBIG).reasonText()); // the limit's own words
    QCOMPARE(readAll(path), content);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("replay.dat")});
#endif
}

QTEST_GUILESS_MAIN(TestReplayTextWriter)
#include "tst_ReplayTextWriter.moc"

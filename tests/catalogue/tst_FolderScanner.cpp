// Scans that read only what changed: against a full scan under every kind of
// change, with the cache in memory and on disk, with a damaged cache; the
// worker threads' order; every left-out file with its reason; identities.

#include "catalogue/FolderScanner.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ScanCache.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace ReplayMaker;
using Outcome = ScannedFile::Outcome;

namespace {

// Every file of a fixture has a stream of this length, so that one replay can
// stand in for another at the same size.
constexpr qint64 StreamLength = 3000;
// Fixtures are written this long before they are first read, so that the
// scanner trusts them; the scanner waits only this long for files to settle.
constexpr int SettleMs = 30;

QByteArray replayBytes(qint32 score, const QByteArray &name = "name", const QByteArray &comment = "comment")
{
    ReplayRecipe recipe;
    recipe.score = score;
    return compressedStreamOfLength(recipe, StreamLength) + textFields(name, comment);
}

QByteArray path(const QTemporaryDir &dir, const QByteArray &name)
{
    return QFile::encodeName(dir.path()) + '/' + name;
}

#ifndef Q_OS_WIN
// Sets the modification time and leaves the change time to the system.
bool setMtime(const QByteArray &path, const struct timespec &mtime)
{
    const struct timespec times[2] = {{0, UTIME_OMIT}, mtime};
    return ::utimensat(AT_FDCWD, path.constData(), times, 0) == 0;
}

struct timespec mtimeOf(const QByteArray &path)
{
    struct stat status {};
    ::stat(path.constData(), &status);
    return status.st_mtim;
}
#endif

// Everything a storage scan gives, as one comparable text: the catalogue in
// Id order (name, every head field, both texts, identity) and the left-out
// files.
QStringList snapshot(const ReplayList &list, const std::vector<LeftOutFile> &leftOut)
{
    QStringList lines;
    for (qint32 id = 1; id <= list.Count(); ++id) {
        const ReplayListItem *item = list.itemById(id);
        const QByteArray head(reinterpret_cast<const char *>(&item->Head),
                              sizeof(ReplayHead));
        lines << QStringLiteral("%1 %2 %3 %4 %5 %6")
                     .arg(item->Id)
                     .arg(item->FileName, QString::fromLatin1(head.toHex()),
                          QString::fromLatin1(QByteArray(item->info().PlayerName, PlayerNameSize).toHex()),
                          QString::fromLatin1(QByteArray(item->info().Comment, CommentSize).toHex()),
                          QString::fromLatin1(item->Identity.toHex()));
    }
    for (const LeftOutFile &file : leftOut)
        lines << QStringLiteral("left out %1 %2").arg(QString::fromLatin1(file.nameBytes.toHex()), file.reasonText);
    return lines;
}

QStringList scanStorage(FolderScanner &scanner, const QTemporaryDir &dir, ScanCounts *counts = nullptr)
{
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    const ScanCounts got = scanner.scanStorage(dir.path() + QLatin1Char('/'), list, leftOut, nullptr);
    if (counts)
        *counts = got;
    return snapshot(list, leftOut);
}

QStringList fullScan(const QTemporaryDir &dir)
{
    FolderScanner fresh;
    return scanStorage(fresh, dir);
}

// A fixture folder of replays with a left-out file among them.
void writeFixture(const QTemporaryDir &dir, int count)
{
    for (int i = 0; i < count; ++i)
        QVERIFY(writeRawFile(path(dir, "r" + QByteArray::number(i) + ".dat"), replayBytes(100 + i)));
    QVERIFY(writeRawFile(path(dir, "text.dat"), "not a replay"));
    QThread::msleep(SettleMs + 10);
}

class RecordingProgress : public ScanProgress {
public:
    QStringList calls;
    int waits = 0;
    void start(int maximum, const QString &) override { calls << QStringLiteral("start %1").arg(maximum); }
    void step(int position, const QString &countText, const QString &fileName) override
    {
        calls << QStringLiteral("step %1 %2 %3").arg(position).arg(countText, fileName);
    }
    void waiting() override { ++waits; }
    void finish() override { calls << QStringLiteral("finish"); }
};

} // namespace

class tst_FolderScanner : public QObject {
    Q_OBJECT
private slots:
    void changesAgainstFullScan_data();
    void changesAgainstFullScan();
    void largeFolderAgainstFullScan();
    void freshFileReadAgain();
    void unchangedFilesStepOnce();
    void damagedCache_data();
    void damagedCache();
    void moreFilesThanThreadsAndOneHuge();
    void leftOutReasons_data();
    void leftOutReasons();
    void identities();
};

void tst_FolderScanner::changesAgainstFullScan_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("reads"); // files the second scan must read

    const QStringList changes{QStringLiteral("none"), QStringLiteral("added"), QStringLiteral("removed"),
                              QStringLiteral("rewritten in place, same size and mtime"), QStringLiteral("touched"),
                              QStringLiteral("renamed"), QStringLiteral("replaced by another replay, same size and mtime"),
                              QStringLiteral("became unreadable text")};
    const QList<int> reads{0, 1, 0, 1, 1, 1, 1, 1};
    for (bool viaDisk : {false, true}) {
        for (int i = 0; i < changes.size(); ++i) {
            const QString row = changes[i] + (viaDisk ? QStringLiteral(", next run (cache on disk)")
                                                      : QStringLiteral(", same run (memory)"));
            QTest::newRow(qPrintable(row)) << changes[i] + (viaDisk ? QStringLiteral("|disk") : QString()) << reads[i];
        }
    }
}

void tst_FolderScanner::changesAgainstFullScan()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: nanosecond file times set with utimensat");
#else
    QFETCH(QString, change);
    QFETCH(int, reads);
    const bool viaDisk = change.endsWith(QStringLiteral("|disk"));
    change.remove(QStringLiteral("|disk"));

    QTemporaryDir dir;
    QTemporaryDir cacheDir;
    QVERIFY(dir.isValid() && cacheDir.isValid());
    writeFixture(dir, 6);
    const QString cachePath = cacheDir.filePath(QStringLiteral("cache.sqlite"));

    auto cache = std::make_unique<ScanCache>(cachePath);
    auto scanner = std::make_unique<FolderScanner>(cache.get());
    scanner->setSettleTime(SettleMs * 1000000LL);
    ScanCounts counts;
    QCOMPARE(scanStorage(*scanner, dir, &counts), fullScan(dir));
    QCOMPARE(counts.read, 7);
    QThread::msleep(SettleMs + 10); // what follows happens after the files were read

    const QByteArray r2 = path(dir, "r2.dat");
    const struct timespec oldMtime = mtimeOf(r2);
    if (change == QStringLiteral("added")) {
        QVERIFY(writeRawFile(path(dir, "new.dat"), replayBytes(7)));
    } else if (change == QStringLiteral("removed")) {
        QVERIFY(::unlink(r2.constData()) == 0);
    } else if (change.startsWith(QStringLiteral("rewritten"))) {
        QFile file(QFile::decodeName(r2));
        QVERIFY(file.open(QIODevice::ReadWrite)); // same inode, no truncation
        QVERIFY(file.write(replayBytes(999, "other", "other comment")) == file.size());
        file.close();
        QVERIFY(setMtime(r2, oldMtime));
    } else if (change == QStringLiteral("touched")) {
        QVERIFY(setMtime(r2, {oldMtime.tv_sec + 60, oldMtime.tv_nsec}));
    } else if (change == QStringLiteral("renamed")) {
        QVERIFY(::rename(r2.constData(), path(dir, "renamed.dat").constData()) == 0);
    } else if (change.startsWith(QStringLiteral("replaced"))) {
        const QByteArray other = path(dir, "other.tmp");
        QVERIFY(writeRawFile(other, replayBytes(555, "someone", "else")));
        QVERIFY(setMtime(other, oldMtime));
        QVERIFY(::rename(other.constData(), r2.constData()) == 0);
    } else if (change == QStringLiteral("became unreadable text")) {
        QFile file(QFile::decodeName(r2));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.write(QByteArray(int(file.size()), 'x')) == file.size());
    }

    if (viaDisk) {
        // The next run: nothing in memory, the same cache file.
        scanner.reset();
        cache = std::make_unique<ScanCache>(cachePath);
        scanner = std::make_unique<FolderScanner>(cache.get());
        scanner->setSettleTime(SettleMs * 1000000LL);
    }
    const QStringList expected = fullScan(dir);
    QCOMPARE(scanStorage(*scanner, dir, &counts), expected);
    QCOMPARE(counts.read, reads);
    QCOMPARE(counts.reused, 7 - (change == QStringLiteral("removed") ? 1 : reads) + (change == QStringLiteral("added")));
    // And once more: the memory that scan left serves the same catalogue.
    QThread::msleep(SettleMs + 10);
    QCOMPARE(scanStorage(*scanner, dir, &counts), expected);
    QVERIFY(counts.read <= reads);
#endif
}

void tst_FolderScanner::largeFolderAgainstFullScan()
{
    // A folder large enough to be looked up on two threads: every unchanged
    // file is taken from memory, wherever it is listed, and a change at
    // either end of the listing is read.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    constexpr int Count = 5000;
    for (int i = 0; i < Count; ++i) {
        const QByteArray bytes = i % 1000 == 0 ? replayBytes(i) : "text " + QByteArray::number(i);
        QVERIFY(writeRawFile(path(dir, QByteArray::number(i) + ".dat"), bytes));
    }
    QThread::msleep(SettleMs + 10);
    FolderScanner scanner;
    scanner.setSettleTime(SettleMs * 1000000LL);
    ScanCounts counts;
    QCOMPARE(scanStorage(scanner, dir, &counts), fullScan(dir));
    QCOMPARE(counts.read, Count);
    QCOMPARE(scanStorage(scanner, dir, &counts), fullScan(dir));
    QCOMPARE(counts.reused, Count);

    const QStringList listed = QDir(dir.path()).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Unsorted);
    QCOMPARE(listed.size(), Count);
    // The catalogue against the listing itself: the replays in listing
    // order, each with its own head.
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    scanner.scanStorage(dir.path() + QLatin1Char('/'), list, leftOut, nullptr);
    QStringList replays;
    for (const QString &name : listed) {
        if (name.chopped(4).toInt() % 1000 == 0)
            replays << name;
    }
    QCOMPARE(list.Count(), replays.size());
    for (qint32 id = 1; id <= list.Count(); ++id) {
        QCOMPARE(list.itemById(id)->FileName, replays[id - 1]);
        QCOMPARE(list.itemById(id)->Head.Score, replays[id - 1].chopped(4).toInt());
    }
    QCOMPARE(leftOut.size(), size_t(Count - replays.size()));
    QThread::msleep(SettleMs + 10);
    for (const QString &name : {listed.first(), listed.last()})
        QVERIFY(writeRawFile(path(dir, QFile::encodeName(name)), replayBytes(7, "changed")));
    QCOMPARE(scanStorage(scanner, dir, &counts), fullScan(dir));
    QCOMPARE(counts.read, 2);
    QCOMPARE(counts.reused, Count - 2);
}

void tst_FolderScanner::freshFileReadAgain()
{
    // A file changed just before it was read may change again within the
    // same time stamp: it is read again next time, not served from memory.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeRawFile(path(dir, "a.dat"), replayBytes(1)));
    FolderScanner scanner; // the default settle time
    ScanCounts counts;
    scanStorage(scanner, dir, &counts);
    QCOMPARE(counts.read, 1);
    scanStorage(scanner, dir, &counts);
    QCOMPARE(counts.read, 1);
    QCOMPARE(counts.reused, 0);
}

void tst_FolderScanner::unchangedFilesStepOnce()
{
    // A start over a large folder has a hundred thousand unchanged files:
    // they are counted, but only the last of them has a step of its own.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFixture(dir, 6);
    FolderScanner scanner;
    scanner.setSettleTime(SettleMs * 1000000LL);
    const auto scan = [&] {
        ReplayList list;
        std::vector<LeftOutFile> leftOut;
        RecordingProgress progress;
        scanner.scanStorage(dir.path() + QLatin1Char('/'), list, leftOut, &progress);
        return progress.calls;
    };
    QCOMPARE(scan().size(), 9); // start, seven steps, finish
    QThread::msleep(SettleMs + 10);
    QVERIFY(writeRawFile(path(dir, "r2.dat"), replayBytes(555)));
    // Step k names the k-th file listed: the changed file takes one more
    // step when it is listed among the first six.
    const QStringList calls = scan();
    QVERIFY2(calls.size() == 4 || calls.size() == 5, qPrintable(calls.join(QLatin1Char('|'))));
    QVERIFY(calls.filter(QStringLiteral("step 6 6 / 7 ")).size() == 1);
    QVERIFY(calls[calls.size() - 2].startsWith(QStringLiteral("step 7 7 / 7 ")));
}

void tst_FolderScanner::damagedCache_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("recovers"); // the cache serves again after the damage

    QTest::newRow("not a database") << QStringLiteral("not a database") << true;
    QTest::newRow("garbage in the middle") << QStringLiteral("garbage") << true;
    QTest::newRow("truncated") << QStringLiteral("truncated") << true;
    QTest::newRow("locked by another user") << QStringLiteral("locked") << true;
    QTest::newRow("another layout") << QStringLiteral("foreign") << true;
    QTest::newRow("a record altered behind its checksum") << QStringLiteral("altered") << true;
    QTest::newRow("folder cannot be made") << QStringLiteral("no folder") << false;
}

void tst_FolderScanner::damagedCache()
{
    QFETCH(QString, damage);
    QFETCH(bool, recovers);

    QTemporaryDir dir;
    QTemporaryDir cacheDir;
    QVERIFY(dir.isValid() && cacheDir.isValid());
    writeFixture(dir, 20);
    const QStringList expected = fullScan(dir);
    QString cachePath = cacheDir.filePath(QStringLiteral("cache.sqlite"));
    {
        ScanCache cache(cachePath);
        FolderScanner scanner(&cache);
        scanner.setSettleTime(SettleMs * 1000000LL);
        scanStorage(scanner, dir);
    }

    const QString lockName = QStringLiteral("tst-lock");
    QFile file(cachePath);
    if (damage == QStringLiteral("not a database")) {
        QVERIFY(writeFile(cachePath, "just some text, not what the cache wrote"));
    } else if (damage == QStringLiteral("garbage")) {
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.size() > 8192);
        QVERIFY(file.seek(file.size() / 2));
        file.write(QByteArray(4096, '\x5a'));
        file.close();
    } else if (damage == QStringLiteral("truncated")) {
        QVERIFY(file.resize(file.size() / 2));
    } else if (damage == QStringLiteral("locked")) {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
        other.setDatabaseName(cachePath);
        QVERIFY(other.open());
        QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    } else if (damage == QStringLiteral("foreign")) {
        QVERIFY(QFile::remove(cachePath));
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
        other.setDatabaseName(cachePath);
        QVERIFY(other.open());
        QSqlQuery query(other);
        QVERIFY(query.exec(QStringLiteral("CREATE TABLE files(folder, name, payload)")));
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version = 99")));
        other.close();
    } else if (damage == QStringLiteral("altered")) {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
        other.setDatabaseName(cachePath);
        QVERIFY(other.open());
        QSqlQuery query(other);
        QVERIFY(query.exec(QStringLiteral("SELECT bucket, records FROM buckets LIMIT 1")));
        QVERIFY(query.next());
        const qint64 bucket = query.value(0).toLongLong();
        QByteArray records = query.value(1).toByteArray();
        query.finish();
        // A bit of the head of the bucket's first record: behind the name and two lengths.
        const int at = 2 + quint8(records[0]) + 2 + 100;
        records[at] = char(records[at] ^ 1);
        query.prepare(QStringLiteral("UPDATE buckets SET records = ? WHERE bucket = ?"));
        query.addBindValue(records);
        query.addBindValue(bucket);
        QVERIFY(query.exec());
        QCOMPARE(query.numRowsAffected(), 1);
        other.close();
    } else if (damage == QStringLiteral("no folder")) {
        QVERIFY(writeFile(cacheDir.filePath(QStringLiteral("plain")), "a file where a folder should be"));
        cachePath = cacheDir.filePath(QStringLiteral("plain/cache.sqlite"));
    }

    {
        // Never a reason to fail: the files are read instead.
        ScanCache cache(cachePath);
        FolderScanner scanner(&cache);
        scanner.setSettleTime(SettleMs * 1000000LL);
        ScanCounts counts;
        QCOMPARE(scanStorage(scanner, dir, &counts), expected);
        QVERIFY(counts.read > 0);
    }
    if (damage == QStringLiteral("locked")) {
        QSqlDatabase::database(lockName).rollback();
        QSqlDatabase::database(lockName).close();
    }
    QSqlDatabase::removeDatabase(lockName);

    // Within two runs the cache serves every file again.
    ScanCounts counts;
    for (int run = 0; run < 2; ++run) {
        ScanCache cache(cachePath);
        FolderScanner scanner(&cache);
        scanner.setSettleTime(SettleMs * 1000000LL);
        QCOMPARE(scanStorage(scanner, dir, &counts), expected);
    }
    QCOMPARE(counts.read, recovers ? 0 : 21);
}

void tst_FolderScanner::moreFilesThanThreadsAndOneHuge()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ReplayRecipe recipe;
    recipe.score = 424242;
    // About 100 KB on disk that inflate to 100 MB: read in chunks, for long.
    QVERIFY(writeRawFile(path(dir, "m_huge.dat"), compressedStreamWithZeros(recipe, 100LL * 1000 * 1000)
                                                  + textFields("huge", "")));
    for (int i = 0; i < 40; ++i) {
        const QByteArray name = QByteArray::number((i * 37) % 41) + "_" + QByteArray::number(i) + ".dat";
        QVERIFY(writeRawFile(path(dir, name), i % 9 == 4 ? QByteArray("broken") : replayBytes(i)));
    }

    // The listing's own order.
    QStringList listed;
    for (const ListedFile &file : FolderListing::list(QFile::encodeName(dir.path() + QLatin1Char('/'))))
        listed << file.name;
    QCOMPARE(listed.size(), 41);

    FolderScanner scanner;
    scanner.setThreads(3);
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    RecordingProgress progress;
    scanner.scanStorage(dir.path() + QLatin1Char('/'), list, leftOut, &progress);

    QStringList steps{QStringLiteral("start 41")};
    for (int k = 1; k <= 41; ++k)
        steps << QStringLiteral("step %1 %1 / 41 %2").arg(k).arg(listed[k - 1]);
    steps << QStringLiteral("finish");
    QCOMPARE(progress.calls, steps);
    QVERIFY(progress.waits > 0); // the window was given time to draw

    QStringList accepted;
    QStringList rejected;
    for (const QString &name : listed)
        (name.contains(QLatin1Char('_')) && name.section(QLatin1Char('_'), 1).section(QLatin1Char('.'), 0, 0).toInt() % 9 == 4
             ? rejected
             : accepted)
            << name;
    QCOMPARE(list.Count(), accepted.size());
    for (qint32 id = 1; id <= list.Count(); ++id)
        QCOMPARE(list.itemById(id)->FileName, accepted[id - 1]);
    QCOMPARE(list.itemByName(QStringLiteral("m_huge.dat"))->Head.Score, 424242);
    QCOMPARE(int(leftOut.size()), rejected.size());
    for (size_t i = 0; i < leftOut.size(); ++i)
        QCOMPARE(leftOut[i].name, rejected[qsizetype(i)]);
}

void tst_FolderScanner::leftOutReasons_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("content"); // "fifo", "link" and "unreadable" make special entries
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("reason");

    const QString notReplay = QStringLiteral("リプレイファイルではありません");
    const QString broken = QStringLiteral("リプレイのデータが壊れているか、途中で切れています");
    const QString notUtf8 = QStringLiteral("ファイル名が Shift-JIS など別の文字コードで書かれています");
    const auto row = [](const char *title, const QByteArray &name, const QByteArray &content, const QString &shown,
                        Outcome outcome, const QString &reason) {
        QTest::newRow(title) << name << content << shown << int(outcome) << reason;
    };
    row("text", "t.dat", "hello", QStringLiteral("t.dat"), Outcome::NotReplay, notReplay);
    row("lower-case version", "v.dat", brokenFile(Damage::LowerCasePrefix), QStringLiteral("v.dat"), Outcome::NotReplay,
        notReplay);
    row("gzip", "g.dat", brokenFile(Damage::GzipWrapper), QStringLiteral("g.dat"), Outcome::NotReplay, notReplay);
    row("preset dictionary", "p.dat", brokenFile(Damage::PresetDictionary), QStringLiteral("p.dat"),
        Outcome::NotReplay, notReplay);
    row("empty", "e.DAT", QByteArray(), QStringLiteral("e.DAT"), Outcome::Empty, QStringLiteral("空のファイルです"));
    row("truncated", "cut.dat", brokenFile(Damage::TruncatedStream), QStringLiteral("cut.dat"), Outcome::Broken, broken);
    row("bad checksum", "sum.dat", brokenFile(Damage::BadAdler), QStringLiteral("sum.dat"), Outcome::Broken, broken);
#ifndef Q_OS_WIN
    // FIFOs, symbolic links, permission bits and names that are not UTF-8
    // are POSIX only: Windows names are UTF-16.
    row("FIFO", "pipe.dat", "fifo", QStringLiteral("pipe.dat"), Outcome::NotRegular,
        QStringLiteral("通常のファイルではありません（名前付きパイプ）"));
    row("link to nothing", "link.dat", "link", QStringLiteral("link.dat"), Outcome::DanglingLink,
        QStringLiteral("リンク先のファイルがありません"));
    row("no permission", "locked.dat", "unreadable", QStringLiteral("locked.dat"), Outcome::CannotOpen,
        QStringLiteral("ファイルを開く権限がありません"));
    row("Shift-JIS name", QByteArray::fromHex("836583588367") + ".dat", replayBytes(1), QStringLiteral("テスト.dat"),
        Outcome::NameNotUtf8, notUtf8);
    row("Latin-1 name", "caf\xe9.dat", replayBytes(1), QString(), Outcome::NameNotUtf8, notUtf8);
    row("invalid bytes", "\xff\xfe\x80.dat", "hello", QString(), Outcome::NameNotUtf8, notUtf8);
#endif
}

void tst_FolderScanner::leftOutReasons()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    QFETCH(int, outcome);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto cleanUp = qScopeGuard([&dir] { removeNonUtf8Names(dir.path()); });
    const QByteArray file = path(dir, name);
#ifndef Q_OS_WIN
    if (content == "fifo") {
        QCOMPARE(::mkfifo(file.constData(), 0600), 0);
    } else if (content == "link") {
        QCOMPARE(::symlink("nowhere.dat", file.constData()), 0);
    } else if (content == "unreadable") {
        if (::geteuid() == 0)
            QSKIP("root opens any file");
        QVERIFY(writeRawFile(file, replayBytes(1)));
        QVERIFY(::chmod(file.constData(), 0) == 0);
    } else
#endif
    {
        QVERIFY(writeRawFile(file, content));
    }
    // A replay beside it, and files not named like replays, are not listed.
    QVERIFY(writeRawFile(path(dir, "ok.dat"), replayBytes(2)));
    QVERIFY(writeRawFile(path(dir, "notes.txt"), "x"));
    QVERIFY(writeRawFile(path(dir, "\x83\x65.txt"), "x"));
    QVERIFY(writeRawFile(path(dir, ".hidden.dat"), "x"));

    FolderScanner scanner;
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    scanner.scanStorage(dir.path() + QLatin1Char('/'), list, leftOut, nullptr);
    QCOMPARE(list.Count(), 1);
    QCOMPARE(list.itemById(1)->FileName, QStringLiteral("ok.dat"));
    QCOMPARE(int(leftOut.size()), 1);
    QCOMPARE(leftOut[0].nameBytes, name);
    if (!shown.isEmpty())
        QCOMPARE(leftOut[0].name, shown);
    QCOMPARE(int(leftOut[0].reason), outcome);
    QCOMPARE(leftOut[0].reasonText, reason);
}

void tst_FolderScanner::identities()
{
    QTemporaryDir game;
    QTemporaryDir storage;
    QVERIFY(game.isValid() && storage.isValid());
    ReplayRecipe recipe;
    recipe.score = 5;
    const QByteArray stream = compressedStream(recipe);
    // The same stream behind other texts is the same replay; another score is not.
    QVERIFY(writeRawFile(path(storage, "a.dat"), stream + textFields("Alice", "mine")));
    QVERIFY(writeRawFile(path(storage, "b.dat"), stream + textFields("Bob", "a copy")));
    recipe.score = 6;
    QVERIFY(writeRawFile(path(storage, "c.dat"), compressedStream(recipe) + textFields("Alice", "mine")));
    QVERIFY(writeRawFile(path(game, "qv_replay7.dat"), stream));

    FolderScanner scanner;
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    scanner.scanStorage(storage.path() + QLatin1Char('/'), list, leftOut, nullptr);
    ReplaySlots gameSlots;
    SlotIdentities slotIds;
    scanner.scanTarnel(game.path() + QLatin1Char('/'), gameSlots, slotIds, nullptr);

    const ReplayIdentity a = list.itemByName(QStringLiteral("a.dat"))->Identity;
    QCOMPARE(a, ReplayIdentityDigest::of(stream));
    QCOMPARE(list.itemByName(QStringLiteral("b.dat"))->Identity, a);
    QVERIFY(list.itemByName(QStringLiteral("c.dat"))->Identity != a);
    QCOMPARE(slotIds[7], a);
    for (int i = 0; i < ReplaySlotCount; ++i)
        QCOMPARE(slotIds[size_t(i)].isNull(), i != 7);
}

QTEST_GUILESS_MAIN(tst_FolderScanner)
#include "tst_FolderScanner.moc"

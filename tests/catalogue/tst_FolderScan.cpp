#include "catalogue/FolderScan.h"
#include "catalogue/FolderListing.h"
#include "catalogue/FolderScanner.h"
#include "catalogue/ReplayList.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <functional>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace ReplayMaker;

namespace {

// A full scan without memory or cache, as at the first start.
void scanTarnel(const QString &tarnelDir, ReplaySlots &tarnelSlots, ScanProgress *progress)
{
    SlotIdentities identities;
    FolderScanner().scanTarnel(tarnelDir, tarnelSlots, identities, progress);
}

void scanStorage(const QString &storageDir, ReplayList &list, ScanProgress *progress)
{
    std::vector<LeftOutFile> leftOut;
    FolderScanner().scanStorage(storageDir, list, leftOut, progress);
}

// Records every call as one line of text, so whole sequences compare at once.
class RecordingProgress : public ScanProgress {
public:
    QStringList calls;
    std::function<void()> onStart; // runs once the scan has listed the folder

    void start(int maximum, const QString &heading) override
    {
        calls << QStringLiteral("start %1 %2").arg(maximum).arg(heading);
        if (onStart)
            onStart();
    }
    void step(int position, const QString &countText, const QString &fileName) override
    {
        calls << QStringLiteral("step %1 %2 %3").arg(position).arg(countText, fileName);
    }
    void finish() override { calls << QStringLiteral("finish"); }
};

ReplayRecipe recipeWith(qint32 score, qint32 playDate = 1200000000)
{
    ReplayRecipe recipe;
    recipe.score = score;
    recipe.playDate = playDate;
    return recipe;
}

QByteArray replay(qint32 score, const QByteArray &name = QByteArrayLiteral("name"),
                  const QByteArray &comment = QByteArrayLiteral("comment"))
{
    return replayFile(recipeWith(score), name, comment);
}

// Every field zero (the record's tail padding is no field).
bool isEmptyRecord(const ReplayInfo &info)
{
    const ReplayInfo zero{};
    return std::memcmp(static_cast<const ReplayHead *>(&info), static_cast<const ReplayHead *>(&zero),
                       sizeof(ReplayHead)) == 0
        && std::memcmp(info.PlayerName, zero.PlayerName, PlayerNameSize) == 0
        && std::memcmp(info.Comment, zero.Comment, CommentSize) == 0;
}

QStringList tarnelSteps()
{
    QStringList calls{QStringLiteral("start 10 Tarnelリプレイフォルダ読み込み中")};
    for (int i = 0; i < 10; ++i)
        calls << QStringLiteral("step %1 %1 / 10 qv_replay%2.dat").arg(i + 1).arg(i);
    calls << QStringLiteral("finish");
    return calls;
}

// The names the listing delivers, unsorted, as the scan must see them.
QStringList listedReplays(const QString &dir)
{
    return QDir(dir).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Unsorted);
}

QStringList ids(const ReplayList &list)
{
    QStringList names;
    for (qint32 id = 1; id <= list.Count(); ++id)
        names << list.itemById(id)->FileName;
    return names;
}

ReplaySlots garbageSlots()
{
    ReplaySlots tarnelSlots;
    std::memset(static_cast<void *>(tarnelSlots.data()), 0x5a, sizeof(ReplayInfo) * tarnelSlots.size());
    return tarnelSlots;
}

} // namespace

class tst_FolderScan : public QObject {
    Q_OBJECT
private slots:
    void slotNames();
    void tarnelOnlySlot3();
    void tarnelSlotContent_data();
    void tarnelSlotContent();
    void tarnelMissingFolder();
    void tarnelSpecialEntries();
    void storageWithoutReplays();
    void storageThreeFilesOneRejected();
    void storageSpecialEntries();
    void storageCaseOfExtension();
    void storageScanTwice();
    void storageListingOrder();
    void largeListing();
    void storageFileAddedDuringScan();
    void stampsDiffer_data();
    void stampsDiffer();
    void snapshotsCompared_data();
    void snapshotsCompared();
};

void tst_FolderScan::slotNames()
{
    QCOMPARE(slotFileName(0), QStringLiteral("qv_replay0.dat"));
    QCOMPARE(slotFileName(9), QStringLiteral("qv_replay9.dat"));
}

void tst_FolderScan::tarnelOnlySlot3()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("qv_replay3.dat")),
                      replay(777, QByteArrayLiteral("Alice"), QByteArrayLiteral("first run"))));

    ReplaySlots tarnelSlots = garbageSlots();
    RecordingProgress progress;
    scanTarnel(dir.path() + QLatin1Char('/'), tarnelSlots, &progress);

    QCOMPARE(progress.calls, tarnelSteps());
    for (int i = 0; i < ReplaySlotCount; ++i) {
        if (i != 3)
            QVERIFY2(isEmptyRecord(tarnelSlots[size_t(i)]), qPrintable(QString::number(i)));
    }
    const ReplayInfo &slot = tarnelSlots[3];
    QCOMPARE(versionText(slot), QByteArrayLiteral("QVreplay Ver107 "));
    QCOMPARE(slot.Score, 777);
    QCOMPARE(slot.PlayDate, 1200000000);
    QCOMPARE(fieldBytes(slot.PlayerName, PlayerNameSize), QByteArrayLiteral("Alice"));
    QCOMPARE(fieldBytes(slot.Comment, CommentSize), QByteArrayLiteral("first run"));
}

void tst_FolderScan::tarnelSlotContent_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("headKept");
    QTest::addColumn<qint32>("playDate");
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("replay") << replay(5, QByteArrayLiteral("Bob")) << true << 1200000000 << QByteArrayLiteral("Bob");
    QTest::newRow("PlayDate 0 kept but absent")
        << replayFile(recipeWith(5, 0), QByteArrayLiteral("Bob"), QByteArray()) << true << 0 << QByteArrayLiteral("Bob");
    QTest::newRow("stream only, no texts") << replayFile(recipeWith(5)) << true << 1200000000 << QByteArray();
    QTest::newRow("truncated stream") << brokenFile(Damage::TruncatedStream, recipeWith(5)) << false << 0 << QByteArray();
    QTest::newRow("bad checksum") << brokenFile(Damage::BadAdler, recipeWith(5)) << false << 0 << QByteArray();
    QTest::newRow("raw deflate") << brokenFile(Damage::RawDeflate, recipeWith(5)) << false << 0 << QByteArray();
    QTest::newRow("gzip") << brokenFile(Damage::GzipWrapper, recipeWith(5)) << false << 0 << QByteArray();
    QTest::newRow("empty file") << brokenFile(Damage::Empty) << false << 0 << QByteArray();
    QTest::newRow("text") << brokenFile(Damage::PlainText) << false << 0 << QByteArray();
    QTest::newRow("lower-case prefix") << brokenFile(Damage::LowerCasePrefix, recipeWith(5)) << false << 0 << QByteArray();
}

void tst_FolderScan::tarnelSlotContent()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, headKept);
    QFETCH(qint32, playDate);
    QFETCH(QByteArray, name);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A rejected file must not leave a text behind, even with bytes after it.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("qv_replay5.dat")), content));

    ReplaySlots tarnelSlots = garbageSlots();
    RecordingProgress progress;
    scanTarnel(dir.path() + QLatin1Char('/'), tarnelSlots, &progress);

    QCOMPARE(progress.calls, tarnelSteps()); // a damaged file is still counted
    const ReplayInfo &slot = tarnelSlots[5];
    if (!headKept) {
        QVERIFY(isEmptyRecord(slot));
        return;
    }
    QCOMPARE(versionText(slot), QByteArrayLiteral("QVreplay Ver107 "));
    QCOMPARE(slot.Score, 5);
    QCOMPARE(slot.PlayDate, playDate);
    QCOMPARE(fieldBytes(slot.PlayerName, PlayerNameSize), name);
}

void tst_FolderScan::tarnelMissingFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ReplaySlots tarnelSlots = garbageSlots();
    RecordingProgress progress;
    scanTarnel(dir.filePath(QStringLiteral("missing")) + QLatin1Char('/'), tarnelSlots, &progress);
    QCOMPARE(progress.calls, tarnelSteps());
    for (const ReplayInfo &slot : tarnelSlots)
        QVERIFY(isEmptyRecord(slot));
}

void tst_FolderScan::tarnelSpecialEntries()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: FIFOs and symbolic links");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("real.dat")), replay(9)));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("qv_replay0.dat")));
    // A FIFO in a slot would block a plain open for good.
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("qv_replay1.dat"))).constData(), 0600), 0);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(QStringLiteral("qv_replay2.dat"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("real.dat")), dir.filePath(QStringLiteral("qv_replay3.dat"))));

    ReplaySlots tarnelSlots = garbageSlots();
    scanTarnel(dir.path() + QLatin1Char('/'), tarnelSlots, nullptr);
    QVERIFY(isEmptyRecord(tarnelSlots[0]));
    QVERIFY(isEmptyRecord(tarnelSlots[1]));
    QVERIFY(isEmptyRecord(tarnelSlots[2]));
    QCOMPARE(tarnelSlots[3].Score, 9);
#endif
}

void tst_FolderScan::storageWithoutReplays()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("notes.txt")), replay(1)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("a.dat.bak")), replay(1)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("dat")), replay(1)));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.dat")));

    for (const QString &path : {dir.path() + QLatin1Char('/'), dir.filePath(QStringLiteral("missing/"))}) {
        ReplayList list;
        RecordingProgress progress;
        scanStorage(path, list, &progress);
        QCOMPARE(progress.calls, QStringList());
        QCOMPARE(list.Count(), 0);
        QCOMPARE(list.LastId(), 0);
    }
}

void tst_FolderScan::storageThreeFilesOneRejected()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("a.dat")), replay(1, QByteArrayLiteral("A"), QByteArrayLiteral("ca"))));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("b.dat")), brokenFile(Damage::PlainText)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("c.dat")), replay(3, QByteArrayLiteral("C"), QByteArrayLiteral("cc"))));

    const QStringList listed = listedReplays(dir.path());
    QCOMPARE(listed.size(), 3);

    ReplayList list;
    RecordingProgress progress;
    scanStorage(dir.path() + QLatin1Char('/'), list, &progress);

    QStringList expected{QStringLiteral("start 3 ")};
    for (int k = 1; k <= 3; ++k)
        expected << QStringLiteral("step %1 %1 / 3 %2").arg(k).arg(listed[k - 1]);
    expected << QStringLiteral("finish");
    QCOMPARE(progress.calls, expected);

    QStringList replays = listed;
    replays.removeAll(QStringLiteral("b.dat"));
    QCOMPARE(ids(list), replays);
    QCOMPARE(list.LastId(), 2);

    ReplayInfo info{};
    QVERIFY(list.FindReplayListByName(QStringLiteral("c.dat"), &info));
    QCOMPARE(info.Score, 3);
    QCOMPARE(fieldBytes(info.PlayerName, PlayerNameSize), QByteArrayLiteral("C"));
    QCOMPARE(fieldBytes(info.Comment, CommentSize), QByteArrayLiteral("cc"));
    QVERIFY(!list.FindReplayListByName(QStringLiteral("b.dat"), nullptr));
}

void tst_FolderScan::storageSpecialEntries()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: FIFOs and symbolic links");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir d(dir.path());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("real.dat")), replay(1)));
    QVERIFY(d.mkdir(QStringLiteral("x.dat")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral(".x.dat")), replay(2)));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("y.dat"))).constData(), 0600), 0);
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere.dat")), dir.filePath(QStringLiteral("z.dat"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("x.dat")), dir.filePath(QStringLiteral("todir.dat"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("y.dat")), dir.filePath(QStringLiteral("tofifo.dat"))));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("real.dat")), dir.filePath(QStringLiteral("link.dat"))));
    // A read-only file is read like any other.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("readonly.dat")), replay(3)));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("readonly.dat")), QFile::ReadOwner));

    ReplayList list;
    RecordingProgress progress;
    scanStorage(dir.path() + QLatin1Char('/'), list, &progress);

    QCOMPARE(progress.calls.first(), QStringLiteral("start 3 "));
    QCOMPARE(progress.calls.size(), 5);
    QStringList names = ids(list);
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("link.dat"), QStringLiteral("readonly.dat"), QStringLiteral("real.dat")}));
    QCOMPARE(list.itemByName(QStringLiteral("link.dat"))->Head.Score, 1);
    QCOMPARE(list.itemByName(QStringLiteral("readonly.dat"))->Head.Score, 3);
#endif
}

void tst_FolderScan::storageCaseOfExtension()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("UPPER.DAT")), replay(1)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("Mixed.Dat")), replay(2)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("lower.dat")), replay(3)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("日本語の名前.dat")), replay(4)));

    ReplayList list;
    scanStorage(dir.path() + QLatin1Char('/'), list, nullptr);
    QStringList names = ids(list);
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("Mixed.Dat"), QStringLiteral("UPPER.DAT"), QStringLiteral("lower.dat"),
                                 QStringLiteral("日本語の名前.dat")}));
    // The stored name is spelled as listed; a lookup must use that spelling.
    QVERIFY(list.FindReplayListByName(QStringLiteral("UPPER.DAT"), nullptr));
    QVERIFY(!list.FindReplayListByName(QStringLiteral("UPPER.dat"), nullptr));
    QCOMPARE(list.itemByName(QStringLiteral("日本語の名前.dat"))->Head.Score, 4);
}

void tst_FolderScan::storageScanTwice()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (int i = 0; i < 4; ++i)
        QVERIFY(writeFile(dir.filePath(QStringLiteral("r%1.dat").arg(i)), replay(i)));

    ReplayList list;
    scanStorage(dir.path() + QLatin1Char('/'), list, nullptr);
    const QStringList first = ids(list);
    QCOMPARE(first.size(), 4);

    list.ClearReplayList();
    scanStorage(dir.path() + QLatin1Char('/'), list, nullptr);
    QCOMPARE(list.LastId(), 4);
    QCOMPARE(ids(list), first);
}

void tst_FolderScan::storageListingOrder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Names whose sorted order is unlikely to be the listing's.
    for (int i = 0; i < 40; ++i)
        QVERIFY(writeFile(dir.filePath(QStringLiteral("%1_%2.dat").arg((i * 37) % 41).arg(i)), replay(i)));

    ReplayList list;
    RecordingProgress progress;
    scanStorage(dir.path() + QLatin1Char('/'), list, &progress);

    const QStringList listed = listedReplays(dir.path());
    QCOMPARE(ids(list), listed);
    for (int k = 1; k <= listed.size(); ++k)
        QCOMPARE(progress.calls[k], QStringLiteral("step %1 %1 / 40 %2").arg(k).arg(listed[k - 1]));
}

void tst_FolderScan::largeListing()
{
    // Enough entries to be stamped on two threads: each in the system's
    // order, once, with its own stamp; a folder named like a replay is none.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    constexpr int Count = 3000;
    for (int i = 0; i < Count; ++i)
        QVERIFY(writeFile(dir.filePath(QStringLiteral("%1.dat").arg(i)), QByteArray(i % 17, 'x')));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.dat")));
#ifndef Q_OS_WIN
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), dir.filePath(QStringLiteral("dangling.dat"))));
#endif

    const std::vector<ListedFile> listed = FolderListing::list(QFile::encodeName(dir.path() + QLatin1Char('/')));
    QStringList names;
    for (const ListedFile &file : listed) {
        names << file.name;
        QCOMPARE(QFile::encodeName(file.name), file.nameBytes);
        if (file.danglingLink)
            continue;
        QVERIFY2(file.status, qPrintable(file.name));
        QCOMPARE(file.stamp.size, qint64(file.name.chopped(4).toInt() % 17));
    }
    QStringList expected = QDir(dir.path()).entryList({QStringLiteral("*.dat")}, QDir::Files | QDir::System,
                                                      QDir::Unsorted);
    QCOMPARE(names, expected);
#ifndef Q_OS_WIN
    QCOMPARE(std::count_if(listed.cbegin(), listed.cend(), [](const ListedFile &f) { return f.danglingLink; }), 1);
#endif
}

void tst_FolderScan::storageFileAddedDuringScan()
{
    // The count and the names come from one listing: a file that appears
    // once the scan shows its progress waits for the next scan.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(QStringLiteral("a.dat")), replay(1)));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("b.dat")), replay(2)));

    ReplayList list;
    RecordingProgress progress;
    progress.onStart = [&] { QVERIFY(writeFile(dir.filePath(QStringLiteral("c.dat")), replay(3))); };
    scanStorage(dir.path() + QLatin1Char('/'), list, &progress);

    QCOMPARE(progress.calls.first(), QStringLiteral("start 2 "));
    QCOMPARE(progress.calls.size(), 4);
    QCOMPARE(list.Count(), 2);
    progress.onStart = nullptr;
    list.ClearReplayList();
    scanStorage(dir.path() + QLatin1Char('/'), list, &progress);
    QCOMPARE(ids(list), listedReplays(dir.path()));
    QCOMPARE(list.Count(), 3);
}

// A file is read again when any part of its stamp differs, each alone: a
// file replaced within one tick of the clock differs only in its inode, one
// rewritten in place may differ only in its size.
void tst_FolderScan::stampsDiffer_data()
{
    QTest::addColumn<int>("part");
    QTest::newRow("size") << 0;
    QTest::newRow("modification time") << 1;
    QTest::newRow("change time") << 2;
    QTest::newRow("inode") << 3;
}

void tst_FolderScan::stampsDiffer()
{
    QFETCH(int, part);
    const FileStamp then{1000, 2000, 3000, 4000};
    FileStamp now = then;
    QCOMPARE(now, then);
    switch (part) {
    case 0: ++now.size; break;
    case 1: ++now.mtimeNs; break;
    case 2: ++now.ctimeNs; break;
    default: ++now.inode; break;
    }
    QVERIFY(!(now == then));
}

namespace {

// From "a1 b2": a snapshot of a.dat and b.dat, listed in that order, stamped
// with the sizes 1 and 2.
FolderSnapshot snapshotOf(const QString &files)
{
    std::vector<ListedFile> entries;
    for (const QString &file : files.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        ListedFile &entry = entries.emplace_back();
        entry.nameBytes = file.left(1).toLatin1() + ".dat";
        entry.stamp.size = file.mid(1).toLongLong();
    }
    return FolderSnapshot::of(FolderSnapshot::State::Present, entries);
}

} // namespace

void tst_FolderScan::snapshotsCompared_data()
{
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("edit"); // "-b" forgets b.dat, "+b" gives it the size 1
    QTest::addColumn<QString>("changed");

    QTest::newRow("same") << "a1 b2 c3" << "" << "";
    QTest::newRow("same names, another order") << "c3 a1 b2" << "" << "";
    QTest::newRow("a stamp differs") << "a1 b9 c3" << "" << "b";
    QTest::newRow("a name more") << "a1 b2 c3 d4" << "" << "d";
    QTest::newRow("a name less") << "a1 c3" << "" << "";
    QTest::newRow("a name forgotten") << "a1 b2 c3" << "-b" << "";
    QTest::newRow("forgotten and stamped again") << "a1 b5 c3" << "-b +b" << "b";
    QTest::newRow("one forgotten, another added") << "a1 b2 c3" << "-c +d" << "d";
}

void tst_FolderScan::snapshotsCompared()
{
    QFETCH(QString, now);
    QFETCH(QString, edit);
    QFETCH(QString, changed);

    const FolderSnapshot before = snapshotOf(QStringLiteral("a1 b2 c3"));
    FolderSnapshot snapshot = snapshotOf(now);
    for (const QString &step : edit.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QByteArray name = step.mid(1).toLatin1() + ".dat";
        if (step.startsWith(QLatin1Char('-')))
            snapshot.remove(name);
        else
            snapshot.setStamp(name, FileStamp{1, 0, 0, 0});
        QCOMPARE(snapshot.contains(name), step.startsWith(QLatin1Char('+')));
    }
    const QByteArrayList changedNames = before.changedIn(snapshot);
    QCOMPARE(changedNames, changed.isEmpty() ? QByteArrayList{} : QByteArrayList{changed.toLatin1() + ".dat"});
    QCOMPARE(snapshot == before, changed.isEmpty() && snapshot.size() == before.size());
    QCOMPARE(before == snapshot, snapshot == before);
}

QTEST_GUILESS_MAIN(tst_FolderScan)
#include "tst_FolderScan.moc"

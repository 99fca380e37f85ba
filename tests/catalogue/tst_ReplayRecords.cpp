// The records of a hand-made collection: which run is best, how unknown
// dungeons and characters group, slots and storage together, one run kept in
// two files, and an empty collection.

#include "catalogue/ReplayList.h"
#include "catalogue/ReplayRecords.h"

#include <QTest>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// One replay of the collection; slot >= 0 puts it in that game slot, else
// into the storage catalogue under `file`.
struct Run {
    QString file;
    int slot = -1;
    qint32 dungeon = 0;
    qint32 chara = 0;
    qint32 score = 0;
    qint32 date = 1200000000;
    qint32 floor = 1;
    QByteArray player = "p";
};

ReplayHead headOf(const Run &run)
{
    ReplayHead head{};
    std::memcpy(head.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
    head.Dungeon = run.dungeon;
    head.Floor = run.floor;
    head.Chara = run.chara;
    head.Score = run.score;
    head.PlayDate = run.date;
    return head;
}

struct Collection {
    ReplaySlots gameSlots{};
    ReplayList list;

    explicit Collection(const QList<Run> &runs)
    {
        for (const Run &run : runs) {
            char name[PlayerNameSize] = {};
            char comment[CommentSize] = {};
            std::memcpy(name, run.player.constData(), size_t(qMin<qsizetype>(run.player.size(), PlayerNameSize)));
            if (run.slot >= 0) {
                ReplayInfo &info = gameSlots[size_t(run.slot)];
                static_cast<ReplayHead &>(info) = headOf(run);
                std::memcpy(info.PlayerName, name, PlayerNameSize);
            } else {
                QVERIFY(list.AddReplayList(run.file, headOf(run), name, comment) > 0);
            }
        }
    }

    ReplayRecords records() const { return ReplayRecords::compute(gameSlots, list); }
};

} // namespace

Q_DECLARE_METATYPE(QList<Run>)

class TestReplayRecords : public QObject {
    Q_OBJECT

private slots:
    void bestOfOneGroup_data();
    void bestOfOneGroup();
    void unknownNumbersGroupTogether();
    void sameRunInTwoFilesCountsOnce();
    void emptyCollection();
    void seriesByCharacterAndDate();
};

void TestReplayRecords::bestOfOneGroup_data()
{
    // Every run is dungeon 7, character 2: one group, one best run.
    QTest::addColumn<QList<Run>>("runs");
    QTest::addColumn<QString>("bestFile");
    QTest::addColumn<int>("bestSlot");

    QTest::newRow("highest score") << QList<Run>{{u"a.dat"_s, -1, 7, 2, 100}, {u"b.dat"_s, -1, 7, 2, 300},
                                                 {u"c.dat"_s, -1, 7, 2, 200}}
                                   << u"b.dat"_s << -1;
    QTest::newRow("equal scores: the earlier date")
        << QList<Run>{{u"a.dat"_s, -1, 7, 2, 500, 1300000000}, {u"b.dat"_s, -1, 7, 2, 500, 1200000000}}
        << u"b.dat"_s << -1;
    QTest::newRow("equal score and date: storage before a slot")
        << QList<Run>{{{}, 0, 7, 2, 500, 1200000000, 3}, {u"z.dat"_s, -1, 7, 2, 500, 1200000000, 4}} << u"z.dat"_s
        << -1;
    QTest::newRow("equal score and date: file name, letter case ignored")
        << QList<Run>{{u"b.dat"_s, -1, 7, 2, 500, 1200000000, 3}, {u"A.dat"_s, -1, 7, 2, 500, 1200000000, 4},
                      {u"c.dat"_s, -1, 7, 2, 500, 1200000000, 5}}
        << u"A.dat"_s << -1;
    QTest::newRow("a slot beats the storage") << QList<Run>{{u"a.dat"_s, -1, 7, 2, 100}, {{}, 4, 7, 2, 900}}
                                              << u"qv_replay4.dat"_s << 4;
    QTest::newRow("negative scores") << QList<Run>{{u"a.dat"_s, -1, 7, 2, -5}, {u"b.dat"_s, -1, 7, 2, -50}}
                                     << u"a.dat"_s << -1;
}

void TestReplayRecords::bestOfOneGroup()
{
    QFETCH(QList<Run>, runs);
    QFETCH(QString, bestFile);
    QFETCH(int, bestSlot);
    const Collection collection(runs);
    const ReplayRecords records = collection.records();
    QCOMPARE(records.best().size(), size_t(1));
    const RecordBest &best = records.best().front();
    QCOMPARE(best.dungeon, 7);
    QCOMPARE(best.chara, 2);
    QCOMPARE(best.run.fileName, bestFile);
    QCOMPARE(best.run.slot, bestSlot);
    QCOMPARE(best.runs, int(runs.size()));
}

void TestReplayRecords::unknownNumbersGroupTogether()
{
    // Dungeons 14, -1 and 20 are all "unknown", and so are characters 6, -1
    // and 1000; the unknown groups come after the known ones.
    const Collection collection({
        {u"u1.dat"_s, -1, 14, 0, 10},
        {u"u2.dat"_s, -1, -1, 0, 30},
        {u"u3.dat"_s, -1, 20, 0, 20},
        {u"k1.dat"_s, -1, 3, 6, 5},
        {u"k2.dat"_s, -1, 3, -1, 7},
        {u"k3.dat"_s, -1, 3, 1000, 6},
        {u"n.dat"_s, -1, 3, 5, 1, 1200000000, 24}, // floor 24 of 23: cleared
        {u"m.dat"_s, -1, 0, 1, 1},
        {{}, 2, 99, 77, 2}, // both unknown, in a game slot
    });
    const ReplayRecords records = collection.records();

    QList<std::tuple<int, int, QString, int>> best; // dungeon, chara, file, runs
    for (const RecordBest &b : records.best())
        best.append({b.dungeon, b.chara, b.run.fileName, b.runs});
    const QList<std::tuple<int, int, QString, int>> expected{
        {0, 1, u"m.dat"_s, 1},  {3, 5, u"n.dat"_s, 1},  {3, 6, u"k2.dat"_s, 3},
        {14, 0, u"u2.dat"_s, 3}, {14, 6, u"qv_replay2.dat"_s, 1},
    };
    QCOMPARE(best, expected);
    QCOMPARE(ReplayRecords::dungeonGroupName(14), u"unknown"_s);
    QCOMPARE(ReplayRecords::charaGroupName(6), u"unknown"_s);

    QCOMPARE(records.dungeonCounts()[3].runs, 4);
    QCOMPARE(records.dungeonCounts()[3].cleared, 1);
    QCOMPARE(records.dungeonCounts()[14].runs, 4);
    QCOMPARE(records.dungeonCounts()[14].cleared, 0); // an unknown dungeon is never cleared
    QCOMPARE(records.charaCounts()[0].runs, 3);
    QCOMPARE(records.charaCounts()[6].runs, 4);
    int total = 0;
    for (const RecordCount &count : records.charaCounts())
        total += count.runs;
    QCOMPARE(total, 9);
    QCOMPARE(records.fileCount(), 9);
}

void TestReplayRecords::sameRunInTwoFilesCountsOnce()
{
    // The game slot's run was stored twice under other names and player
    // names; only the decoded head tells copies apart from runs.
    const Collection collection({
        {{}, 1, 9, 3, 4000, 1250000000, 12, "Slot"},
        {u"mine.dat"_s, -1, 9, 3, 4000, 1250000000, 12, "Renamed"},
        {u"Copy.dat"_s, -1, 9, 3, 4000, 1250000000, 12, "Other"},
        {u"next.dat"_s, -1, 9, 3, 4000, 1250000000, 13}, // one floor more: another run
    });
    const ReplayRecords records = collection.records();
    QCOMPARE(records.fileCount(), 4);
    QCOMPARE(records.runs().size(), size_t(2));
    QCOMPARE(records.charaCounts()[3].runs, 2);
    QCOMPARE(records.best().size(), size_t(1));
    QCOMPARE(records.best().front().runs, 2);
    // Shown under the storage file that comes first, with its texts.
    const RecordRun &shown = records.best().front().run;
    QCOMPARE(shown.fileName, u"Copy.dat"_s);
    QCOMPARE(shown.playerName, u"Other"_s);
    QCOMPARE(shown.files, 3);
}

void TestReplayRecords::emptyCollection()
{
    const Collection collection({});
    const ReplayRecords records = collection.records();
    QCOMPARE(records.fileCount(), 0);
    QVERIFY(records.runs().empty());
    QVERIFY(records.best().empty());
    for (int d = 0; d < ReplayRecords::DungeonGroups; ++d) {
        QCOMPARE(records.dungeonCounts()[size_t(d)].runs, 0);
        QVERIFY(records.series(d).empty());
    }
}

void TestReplayRecords::seriesByCharacterAndDate()
{
    const Collection collection({
        {u"c.dat"_s, -1, 5, 4, 30, 1300000000},
        {u"a.dat"_s, -1, 5, 1, 10, 1200000000},
        {u"b.dat"_s, -1, 5, 4, 20, 1100000000},
        {u"other.dat"_s, -1, 6, 4, 99, 1000000000},
        {{}, 0, 5, 4, 40, 1250000000},
    });
    const std::vector<RecordSeries> series = collection.records().series(5);
    QCOMPARE(series.size(), size_t(2));
    QCOMPARE(series[0].chara, 1);
    QCOMPARE(series[0].points.size(), size_t(1));
    QCOMPARE(series[1].chara, 4);
    QList<qint32> scores;
    for (const RecordPoint &point : series[1].points)
        scores.append(point.score);
    QCOMPARE(scores, (QList<qint32>{20, 40, 30})); // by play date
}

QTEST_APPLESS_MAIN(TestReplayRecords)
#include "tst_ReplayRecords.moc"

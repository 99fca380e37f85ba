#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "catalogue/ReplayTableSort.h"
#include "platform/TextCompare.h"
#include "replay/ContentTables.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

namespace {

struct Entry {
    QString name;
    qint32 score = 0;
    qint32 dungeon = 0;
    qint32 chara = 0;
};
using Entries = QList<Entry>;

ReplayHead headOf(const Entry &e)
{
    ReplayHead head{};
    std::memcpy(head.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
    head.Score = e.score;
    head.Dungeon = e.dungeon;
    head.Chara = e.chara;
    head.Floor = 1;
    head.PlayDate = 1200000000;
    return head;
}

void fillList(ReplayList &list, const Entries &entries)
{
    static const char name[PlayerNameSize] = {};
    static const char comment[CommentSize] = {};
    list.ClearReplayList();
    for (const Entry &e : entries)
        QVERIFY(list.AddReplayList(e.name, headOf(e), name, comment) > 0);
}

QStringList fileColumn(const ReplayTableModel &table)
{
    QStringList names;
    for (int r = 1; r < table.rowCountWithHeader(); ++r)
        names << table.cell(r, 0);
    return names;
}

QStringList catalogueOrder(const Entries &entries)
{
    QStringList names;
    for (const Entry &e : entries)
        names << e.name;
    return names;
}

Entries scored(const QStringList &names, const QList<qint32> &scores)
{
    Entries entries;
    for (qsizetype i = 0; i < names.size(); ++i)
        entries.append({names[i], scores.value(i), 0, 0});
    return entries;
}

// The table's quicksort written out literally on whole rows, with each score
// looked up in the catalogue at every comparison: the order the fast sort must reproduce.
class ReferenceSort {
public:
    ReferenceSort(std::vector<ReplayTableRow> &rows, const ReplayList &list, int mode)
        : m_rows(rows), m_list(list), m_mode(mode) {}

    void sort(int lo, int hi)
    {
        if (lo >= hi)
            return;
        const int mid = (lo + hi) / 2;
        const ReplayTableRow pivot = row(mid);
        row(mid) = row(lo);
        int last = lo;
        for (int i = lo + 1; i <= hi; ++i) {
            if (comesBefore(row(i), pivot)) {
                ++last;
                std::swap(row(last), row(i));
            }
        }
        row(lo) = row(last);
        row(last) = pivot;
        sort(lo, last - 1);
        sort(last + 1, hi);
    }

private:
    ReplayTableRow &row(int gridRow) { return m_rows[size_t(gridRow - 1)]; }

    qint32 scoreOf(const QString &name) const
    {
        const ReplayListItem *item = m_list.itemByName(name);
        return item ? item->Head.Score : 0;
    }

    bool comesBefore(const ReplayTableRow &r, const ReplayTableRow &p) const
    {
        switch (m_mode) {
        case 1: return compareTextIgnoreCase(p[0], r[0]) > 0;
        case 2: return compareTextIgnoreCase(p[0], r[0]) < 0;
        case 3: return scoreOf(p[0]) > scoreOf(r[0]);
        case 4: return scoreOf(p[0]) < scoreOf(r[0]);
        default: return false;
        }
    }

    std::vector<ReplayTableRow> &m_rows;
    const ReplayList &m_list;
    int m_mode;
};

// Fills the table in catalogue order and applies a mode, as the program does.
QStringList sortedNames(ReplayTableModel &table, const ReplayList &list, int mode)
{
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);
    ReplayTableSort(table, list).vSortReplayTbl(mode);
    return fileColumn(table);
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestReplayTableSort : public QObject {
    Q_OBJECT
private slots:
    void orders_data();
    void orders();
    void singleEntryIsNeverSorted();
    void noneAfterScoreRestoresCatalogueOrder();
    void matchesLiteralQuicksort_data();
    void matchesLiteralQuicksort();
    void manyEqualScores();
    void everyModeKeepsEveryRowOnce();
    void rowsMoveWhole();
    void swapRow();
};

void TestReplayTableSort::orders_data()
{
    QTest::addColumn<Entries>("entries");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("expected");

    const QStringList abc{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    const QStringList bac{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")};
    QTest::newRow("equal scores ascending") << scored(abc, {1, 1, 1}) << 3 << bac;
    QTest::newRow("equal scores descending") << scored(abc, {1, 1, 1}) << 4 << bac;

    const QStringList abcd{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};
    QTest::newRow("four equal scores") << scored(abcd, {5, 5, 5, 5}) << 3
                                       << QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A"),
                                                      QStringLiteral("D")};

    const QStringList lower{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")};
    QTest::newRow("scores ascending") << scored(lower, {10, 20, 10, 5}) << 3
                                      << QStringList{QStringLiteral("d"), QStringLiteral("a"), QStringLiteral("c"),
                                                     QStringLiteral("b")};
    QTest::newRow("scores descending, not the reverse")
        << scored(lower, {10, 20, 10, 5}) << 4
        << QStringList{QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a"), QStringLiteral("d")};
    QTest::newRow("negative scores") << scored(lower, {0, -5, 7, -2147483647 - 1}) << 3
                                     << QStringList{QStringLiteral("d"), QStringLiteral("b"), QStringLiteral("a"),
                                                    QStringLiteral("c")};

    const QStringList files{QStringLiteral("b.dat"), QStringLiteral("A.dat"), QStringLiteral("c.dat")};
    QTest::newRow("file names ascending ignore case")
        << scored(files, {}) << 1 << QStringList{QStringLiteral("A.dat"), QStringLiteral("b.dat"), QStringLiteral("c.dat")};
    QTest::newRow("file names descending ignore case")
        << scored(files, {}) << 2 << QStringList{QStringLiteral("c.dat"), QStringLiteral("b.dat"), QStringLiteral("A.dat")};

    // a.dat and A.dat compare equal; the quicksort's steps decide their order.
    const QStringList dup{QStringLiteral("b.dat"), QStringLiteral("a.dat"), QStringLiteral("A.dat")};
    QTest::newRow("names equal but for case")
        << scored(dup, {}) << 1 << QStringList{QStringLiteral("a.dat"), QStringLiteral("A.dat"), QStringLiteral("b.dat")};
    // Same names, distinct replays: each score is found by its exact name.
    QTest::newRow("scores of names equal but for case")
        << scored(dup, {3, 2, 1}) << 3 << QStringList{QStringLiteral("A.dat"), QStringLiteral("a.dat"), QStringLiteral("b.dat")};

    QTest::newRow("no order") << scored(files, {3, 2, 1}) << 0 << files;

    // Three replays of the fourth episode interleaved with one of the first.
    const Entries episodes{{QStringLiteral("e4a"), 0, 3, 0},
                           {QStringLiteral("e1"), 0, 0, 0},
                           {QStringLiteral("e4b"), 0, 3, 0},
                           {QStringLiteral("e4c"), 0, 3, 0}};
    QTest::newRow("dungeon groups") << episodes << 5
                                    << QStringList{QStringLiteral("e1"), QStringLiteral("e4a"), QStringLiteral("e4b"),
                                                   QStringLiteral("e4c")};

    const Entries dungeons{{QStringLiteral("heiz"), 0, 13, 0},    {QStringLiteral("odd1"), 0, 20, 0},
                           {QStringLiteral("tower"), 0, 7, 0},    {QStringLiteral("odd2"), 0, -1, 0},
                           {QStringLiteral("story7"), 0, 6, 0},   {QStringLiteral("odd3"), 0, 14, 0},
                           {QStringLiteral("tower2"), 0, 7, 0}};
    QTest::newRow("unknown dungeons follow the groups")
        << dungeons << 5
        << QStringList{QStringLiteral("story7"), QStringLiteral("tower"), QStringLiteral("tower2"),
                       QStringLiteral("heiz"), QStringLiteral("odd1"), QStringLiteral("odd2"), QStringLiteral("odd3")};

    const Entries charas{{QStringLiteral("c5"), 0, 0, 5},   {QStringLiteral("c0a"), 0, 0, 0},
                         {QStringLiteral("cx"), 0, 0, -1},  {QStringLiteral("c3"), 0, 0, 3},
                         {QStringLiteral("c0b"), 0, 0, 0},  {QStringLiteral("c1"), 0, 0, 1},
                         {QStringLiteral("cy"), 0, 0, 6},   {QStringLiteral("c2"), 0, 0, 2},
                         {QStringLiteral("c4"), 0, 0, 4}};
    QTest::newRow("character groups, unknown last")
        << charas << 6
        << QStringList{QStringLiteral("c0a"), QStringLiteral("c0b"), QStringLiteral("c1"), QStringLiteral("c2"),
                       QStringLiteral("c3"), QStringLiteral("c4"), QStringLiteral("c5"), QStringLiteral("cx"),
                       QStringLiteral("cy")};
}

void TestReplayTableSort::orders()
{
    QFETCH(Entries, entries);
    QFETCH(int, mode);
    QFETCH(QStringList, expected);

    ReplayList list;
    fillList(list, entries);
    ReplayTableModel table(FolderKind::Storage);
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(sortedNames(table, list, mode), expected);
}

void TestReplayTableSort::singleEntryIsNeverSorted()
{
    ReplayList list;
    fillList(list, {{QStringLiteral("only.dat"), 5, 20, -1}});
    ReplayTableModel table(FolderKind::Storage);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);
    // A stale second row (never left by a fill) shows that no sort runs at all.
    table.setRowCountWithHeader(3);
    table.setCell(2, 0, QStringLiteral("a.dat"));

    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    for (int mode = 0; mode <= 6; ++mode) {
        ReplayTableSort(table, list).vSortReplayTbl(mode);
        QCOMPARE(fileColumn(table), (QStringList{QStringLiteral("only.dat"), QStringLiteral("a.dat")}));
    }
    QCOMPARE(changed.count(), 0);
}

void TestReplayTableSort::noneAfterScoreRestoresCatalogueOrder()
{
    const Entries entries = scored({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("w")},
                                   {30, 10, 20, 40});
    ReplayList list;
    fillList(list, entries);
    ReplayTableModel table(FolderKind::Storage);
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
    int replayRow = 3;
    fillStorageTable(table, list, true, replayRow);
    // The view's selected row stays where it was: it shows whichever replay
    // the sort puts there.
    QItemSelectionModel selection(&table);
    selection.setCurrentIndex(table.index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    fillStorageTable(table, list, false, replayRow);
    ReplayTableSort(table, list).vSortReplayTbl(SortScoreAscending);
    QCOMPARE(fileColumn(table),
             (QStringList{QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("x"), QStringLiteral("w")}));
    QCOMPARE(selection.currentIndex(), table.index(2, 0));
    QVERIFY(selection.isRowSelected(2, {}));
    replayRow = 3;

    // A sort button refills in place and applies the new mode.
    fillStorageTable(table, list, false, replayRow);
    ReplayTableSort(table, list).vSortReplayTbl(SortNone);
    QCOMPARE(fileColumn(table), catalogueOrder(entries));
    QCOMPARE(replayRow, 3);
}

void TestReplayTableSort::matchesLiteralQuicksort_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("distinctScores");
    QTest::newRow("names ascending") << 1 << 1000;
    QTest::newRow("names descending") << 2 << 1000;
    QTest::newRow("scores ascending, many equal") << 3 << 7;
    QTest::newRow("scores descending, many equal") << 4 << 7;
    QTest::newRow("scores ascending, mostly distinct") << 3 << 100000;
    QTest::newRow("scores descending, mostly distinct") << 4 << 100000;
}

void TestReplayTableSort::matchesLiteralQuicksort()
{
    QFETCH(int, mode);
    QFETCH(int, distinctScores);

    QRandomGenerator random(20240601u + quint32(mode));
    Entries entries;
    for (int i = 0; i < 400; ++i) {
        // Names with mixed letter case, some equal but for case, some digits.
        QString name = QStringLiteral("Rep_%1.dat").arg(random.bounded(300), 4, 10, QLatin1Char('0'));
        if (random.bounded(2))
            name = name.toLower();
        entries.append({name, qint32(random.bounded(distinctScores)) - distinctScores / 2, 0, 0});
    }
    ReplayList list;
    fillList(list, entries);

    ReplayTableModel table(FolderKind::Storage);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);
    std::vector<ReplayTableRow> expected = table.rows();
    ReferenceSort(expected, list, mode).sort(1, int(expected.size()));

    ReplayTableSort(table, list).vSortReplayTbl(mode);
    QCOMPARE(table.rows().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        QCOMPARE(table.rows()[i], expected[i]);
}

void TestReplayTableSort::manyEqualScores()
{
    // Every partition is lopsided; plain recursion would go 20,000 deep.
    Entries entries;
    for (int i = 0; i < 20000; ++i)
        entries.append({QStringLiteral("r%1.dat").arg(i), 7, 0, 0});
    ReplayList list;
    fillList(list, entries);
    ReplayTableModel table(FolderKind::Storage);
    for (int mode : {SortScoreAscending, SortScoreDescending}) {
        const QStringList names = sortedNames(table, list, mode);
        QCOMPARE(names.size(), entries.size());
        // With all keys equal each partition moves the middle row to the front.
        QCOMPARE(names.first(), QStringLiteral("r9999.dat"));
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), entries.size());
    }

    // The literal recursion agrees on a smaller table.
    entries.resize(2000);
    fillList(list, entries);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);
    std::vector<ReplayTableRow> expected = table.rows();
    ReferenceSort(expected, list, SortScoreAscending).sort(1, int(expected.size()));
    ReplayTableSort(table, list).vSortReplayTbl(SortScoreAscending);
    QVERIFY(table.rows() == expected);
}

void TestReplayTableSort::everyModeKeepsEveryRowOnce()
{
    QRandomGenerator random(77u);
    Entries entries;
    for (int i = 0; i < 300; ++i)
        entries.append({QStringLiteral("f%1.DAT").arg(i), qint32(random.bounded(20)),
                        qint32(random.bounded(-2, 17)), qint32(random.bounded(-1, 8))});
    ReplayList list;
    fillList(list, entries);
    ReplayTableModel table(FolderKind::Storage);
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QStringList all = catalogueOrder(entries);
    all.sort();
    for (int mode = 0; mode <= 6; ++mode) {
        QStringList names = sortedNames(table, list, mode);
        names.sort();
        QCOMPARE(names, all);
    }
}

void TestReplayTableSort::rowsMoveWhole()
{
    // Every cell of a row travels with its file name, in every mode.
    QRandomGenerator random(5u);
    Entries entries;
    for (int i = 0; i < 60; ++i)
        entries.append({QStringLiteral("m%1.dat").arg(random.bounded(1000)), qint32(random.bounded(50)),
                        qint32(random.bounded(0, 16)), qint32(random.bounded(0, 7))});
    ReplayList list;
    fillList(list, entries);
    ReplayTableModel table(FolderKind::Storage);
    for (int mode = 1; mode <= 6; ++mode) {
        sortedNames(table, list, mode);
        for (int r = 1; r < table.rowCountWithHeader(); ++r) {
            const ReplayListItem *item = list.itemByName(table.cell(r, 0));
            QVERIFY(item);
            QCOMPARE(table.cell(r, 1), FormatScore(item->Head.Score));
            QCOMPARE(table.cell(r, 2), DungeonName(item->Head.Dungeon));
            QCOMPARE(table.cell(r, 4), CharaName(item->Head.Chara));
        }
    }
}

void TestReplayTableSort::swapRow()
{
    ReplayList list;
    fillList(list, scored({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}, {1, 2, 3}));
    ReplayTableModel table(FolderKind::Storage);
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);
    const ReplayTableRow first = table.row(1);
    const ReplayTableRow third = table.row(3);
    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    ReplayTableSort(table, list).vSwapReplayTblRow(1, 3);
    QCOMPARE(table.row(1), third);
    QCOMPARE(table.row(3), first);
    QCOMPARE(changed.count(), 2);
}

QTEST_GUILESS_MAIN(TestReplayTableSort)
#include "tst_ReplayTableSort.moc"

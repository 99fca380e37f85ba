#include "catalogue/ReplayCellDelegate.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "replay/ContentTables.h"
#include "tests/support/ShownText.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

namespace {

ReplayHead replayHead(qint32 score, qint32 dungeon, qint32 floor, qint32 chara)
{
    ReplayHead head{};
    std::memcpy(head.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
    head.Score = score;
    head.Dungeon = dungeon;
    head.Floor = floor;
    head.Chara = chara;
    head.PlayDate = 1200000000;
    return head;
}

void addReplays(ReplayList &list, const QStringList &names)
{
    static const char name[PlayerNameSize] = "player";
    static const char comment[CommentSize] = {};
    for (const QString &fileName : names)
        QVERIFY(list.AddReplayList(fileName, replayHead(int(list.Count()) * 100, 0, 1, 0), name, comment) > 0);
}

QStringList fileColumn(const ReplayTableModel &table)
{
    QStringList names;
    for (int r = 1; r < table.rowCountWithHeader(); ++r)
        names << table.cell(r, 0);
    return names;
}

bool rowIsEmpty(const ReplayTableModel &table, int gridRow, int fromColumn = 0)
{
    for (int c = fromColumn; c < ReplayTableColumns; ++c)
        if (!table.cell(gridRow, c).isEmpty())
            return false;
    return true;
}

} // namespace

class TestReplayTableModel : public QObject {
    Q_OBJECT
private slots:
    void headers();
    void alignment_data();
    void alignment();
    void backgroundsAndFixedCells();
    void deletionMarks();
    void neverEditable();
    void rowTexts_data();
    void rowTexts();
    void gameTableWithAbsentSlot();
    void emptyStorage();
    void rebuildAndRefillInPlace();
    void cellPainting_data();
    void cellPainting();
    void storedMark();
};

void TestReplayTableModel::headers()
{
    for (auto tag : {FolderKind::Game, FolderKind::Storage}) {
        ReplayTableModel table(tag);
        QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(table.columnCount(), 6);
        const QStringList expected{QStringLiteral("ファイル名"), QStringLiteral("スコア"),
                                   QStringLiteral("ダンジョン名"), QStringLiteral("達成階数"),
                                   QStringLiteral("使用キャラ"), QStringLiteral("プレイヤー名")};
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(table.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), expected[c]);
            QCOMPARE(table.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
            QCOMPARE(table.cell(0, c), expected[c]); // grid row 0 is the header row
        }
    }
    ReplayTableModel game(FolderKind::Game);
    QCOMPARE(game.rowCount(), 10);
    QCOMPARE(game.cell(1, 0), QStringLiteral("qv_replay0.dat"));
    QCOMPARE(game.cell(10, 0), QStringLiteral("qv_replay9.dat"));
    ReplayTableModel storage(FolderKind::Storage);
    QCOMPARE(storage.rowCount(), 1);
    QCOMPARE(storage.rowCountWithHeader(), 2);
}

void TestReplayTableModel::alignment_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("horizontal");
    const int left = Qt::AlignLeft, right = Qt::AlignRight, centre = Qt::AlignHCenter;
    const int expected[2][6] = {{centre, right, centre, centre, centre, left},
                                {left, right, centre, centre, centre, left}};
    for (int tag = 0; tag < 2; ++tag)
        for (int c = 0; c < 6; ++c)
            QTest::addRow("%s column %d", tag ? "storage" : "game", c) << tag << c << expected[tag][c];
}

void TestReplayTableModel::alignment()
{
    QFETCH(int, tag);
    QFETCH(int, column);
    QFETCH(int, horizontal);
    ReplayTableModel table{FolderKind(tag)};
    for (int row : {0, 5, 9}) {
        const int value = table.data(table.index(row, column), Qt::TextAlignmentRole).toInt();
        QCOMPARE(value & Qt::AlignHorizontal_Mask, horizontal);
        QCOMPARE(value & Qt::AlignVertical_Mask, int(Qt::AlignVCenter));
        if (FolderKind(tag) == FolderKind::Storage)
            break; // one data row only
    }
}

void TestReplayTableModel::backgroundsAndFixedCells()
{
    ReplayTableModel game(FolderKind::Game);
    QAbstractItemModelTester tester(&game, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int gridRow = 1; gridRow <= 10; ++gridRow) {
        for (int c = 0; c < 6; ++c) {
            const QModelIndex at = game.index(gridRow - 1, c);
            const QVariant background = game.data(at, Qt::BackgroundRole);
            if (gridRow % 2 == 0)
                QCOMPARE(background.value<QColor>(), QColor(218, 252, 221));
            else
                QVERIFY(!background.isValid()); // the view's base colour
            QCOMPARE(game.data(at, ReplayTableModel::FixedCellRole).toBool(), c == 0);
        }
    }
    ReplayTableModel storage(FolderKind::Storage);
    storage.setRowCountWithHeader(4);
    QVERIFY(!storage.data(storage.index(0, 0), ReplayTableModel::FixedCellRole).toBool());
    QCOMPARE(storage.data(storage.index(1, 3), Qt::BackgroundRole).value<QColor>(), QColor(218, 252, 221));
    QVERIFY(!storage.data(storage.index(2, 3), Qt::BackgroundRole).isValid());
}

void TestReplayTableModel::deletionMarks()
{
    ReplayList list;
    addReplays(list, {QStringLiteral("one.dat"), QStringLiteral("Two.dat"), QStringLiteral("three.dat"),
                      QStringLiteral("four.dat")});
    ReplayTableModel table(FolderKind::Storage);
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);

    // "ONE.DAT" differs from "one.dat" in letter case only: another file.
    const QStringList marks{QStringLiteral("Two.dat"), QStringLiteral("four.dat"), QStringLiteral("gone.dat"),
                            QStringLiteral("ONE.DAT")};
    const QColor red(255, 128, 128);
    const QColor green(218, 252, 221);

    // Off: the list is kept but nothing shows.
    table.setDeleteMarks(false, marks);
    for (int r = 1; r <= 4; ++r)
        QVERIFY(!table.isMarked(r));
    QCOMPARE(table.data(table.index(1, 0), Qt::BackgroundRole).value<QColor>(), green);

    QSignalSpy changed(&table, &QAbstractItemModel::dataChanged);
    table.setDeleteMarks(true, marks);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).toModelIndex(), table.index(0, 0));
    QCOMPARE(changed.first().at(1).toModelIndex(), table.index(3, 5));

    const bool expected[] = {false, true, false, true};
    for (int r = 1; r <= 4; ++r) {
        QCOMPARE(table.isMarked(r), expected[r - 1]);
        for (int c = 0; c < 6; ++c) {
            const QModelIndex at = table.index(r - 1, c);
            QCOMPARE(table.data(at, ReplayTableModel::MarkedRole).toBool(), expected[r - 1]);
            const QVariant background = table.data(at, Qt::BackgroundRole);
            if (expected[r - 1])
                QCOMPARE(background.value<QColor>(), red);
            else if (r % 2 == 0)
                QCOMPARE(background.value<QColor>(), green);
            else
                QVERIFY(!background.isValid());
        }
    }

    // Names compare exactly, beyond ASCII as well.
    table.setCell(3, 0, QStringLiteral("ärger.dat"));
    table.setDeleteMarks(true, {QStringLiteral("ÄRGER.DAT")});
    QVERIFY(!table.isMarked(3));
    table.setDeleteMarks(true, {QStringLiteral("ärger.dat")});
    QVERIFY(table.isMarked(3));
    table.setDeleteMarks(true, marks);

    // Marks follow file names, not row positions.
    table.swapRows(1, 2);
    QVERIFY(table.isMarked(1));
    QVERIFY(!table.isMarked(2));

    table.setDeleteMarks(true, {});
    for (int r = 1; r <= 4; ++r)
        QVERIFY(!table.isMarked(r));
}

void TestReplayTableModel::neverEditable()
{
    ReplayTableModel game(FolderKind::Game);
    const Qt::ItemFlags flags = game.flags(game.index(3, 2));
    QVERIFY(flags & Qt::ItemIsEnabled);
    QVERIFY(flags & Qt::ItemIsSelectable);
    QVERIFY(!(flags & Qt::ItemIsEditable));
    QVERIFY(!game.setData(game.index(3, 2), QStringLiteral("x")));
}

void TestReplayTableModel::rowTexts_data()
{
    QTest::addColumn<qint32>("score");
    QTest::addColumn<qint32>("dungeon");
    QTest::addColumn<qint32>("floor");
    QTest::addColumn<qint32>("chara");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("cleared") << 1234567 << 0 << 16 << 0 << QByteArray("abc")
                             << QStringList{QStringLiteral("1,234,567"), QStringLiteral("ストーリー　第１話"),
                                            QStringLiteral("クリア"), QStringLiteral("ミルダ"), QStringLiteral("abc")};
    QTest::newRow("last floor") << 999 << 0 << 15 << 5 << QByteArray()
                                << QStringList{QStringLiteral("999"), QStringLiteral("ストーリー　第１話"),
                                               QStringLiteral("15 階"), QStringLiteral("ユーマ"), QString()};
    QTest::newRow("unknown dungeon and character")
        << 0 << 20 << 999 << -1 << QByteArray("\x83\x7e\x83\x8b\x83\x5f") // ミルダ in Shift-JIS
        << QStringList{QStringLiteral("0"), QStringLiteral("unknown"), QStringLiteral("999 階"),
                       QStringLiteral("unknown"), QStringLiteral("ミルダ")};
    const QByteArray full("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123");
    QTest::newRow("30-byte name without NUL")
        << 1000 << 13 << 61 << 6 << full
        << QStringList{QStringLiteral("1,000"), QStringLiteral("ヘイズダンジョン"), QStringLiteral("クリア"),
                       QStringLiteral("unknown"), QString::fromLatin1(full)};
}

void TestReplayTableModel::rowTexts()
{
    QFETCH(qint32, score);
    QFETCH(qint32, dungeon);
    QFETCH(qint32, floor);
    QFETCH(qint32, chara);
    QFETCH(QByteArray, name);
    QFETCH(QStringList, expected);

    ReplayInfo info{};
    static_cast<ReplayHead &>(info) = replayHead(score, dungeon, floor, chara);
    QVERIFY(name.size() <= PlayerNameSize);
    std::memcpy(info.PlayerName, name.constData(), size_t(name.size()));
    // The comment that follows the name must never leak into it.
    std::memset(info.Comment, 'X', CommentSize);

    const ReplayTableRow row = replayRowTexts(QStringLiteral("f.dat"), info);
    QCOMPARE(row[0], QStringLiteral("f.dat"));
    for (int c = 1; c < 6; ++c)
        QCOMPARE(row[size_t(c)], expected[c - 1]);
}

void TestReplayTableModel::gameTableWithAbsentSlot()
{
    ReplaySlots gameSlots{};
    for (int i = 0; i < ReplaySlotCount; ++i) {
        if (i == 4)
            continue;
        static_cast<ReplayHead &>(gameSlots[size_t(i)]) = replayHead(i * 10, 1, i + 1, i % 6);
        std::memcpy(gameSlots[size_t(i)].PlayerName, "p", 1);
    }
    ReplayTableModel game(FolderKind::Game);
    QAbstractItemModelTester tester(&game, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fillGameTable(game, gameSlots);
    QCOMPARE(game.rowCount(), 10);
    for (int r = 1; r <= 10; ++r) {
        QCOMPARE(game.cell(r, 0), QStringLiteral("qv_replay%1.dat").arg(r - 1));
        if (r == 5) {
            QVERIFY(rowIsEmpty(game, r, 1));
        } else {
            QCOMPARE(game.cell(r, 1), FormatScore((r - 1) * 10));
            QCOMPARE(game.cell(r, 3), QStringLiteral("%1 階").arg(r));
            QCOMPARE(game.cell(r, 5), QStringLiteral("p"));
        }
    }

    // Refilled after slot 0 went away: its old texts go.
    gameSlots[0] = ReplayInfo{};
    fillGameTable(game, gameSlots);
    QCOMPARE(game.cell(1, 0), QStringLiteral("qv_replay0.dat"));
    QVERIFY(rowIsEmpty(game, 1, 1));
    QCOMPARE(game.rowCount(), 10);
}

void TestReplayTableModel::emptyStorage()
{
    ReplayList list;
    ReplayTableModel table(FolderKind::Storage);
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);

    // A folder that had replays and now has none.
    addReplays(list, {QStringLiteral("a.dat"), QStringLiteral("b.dat"), QStringLiteral("c.dat")});
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);
    QCOMPARE(table.rowCount(), 3);
    replayRow = 3;
    list.ClearReplayList();
    fillStorageTable(table, list, true, replayRow);
    QCOMPARE(table.rowCountWithHeader(), 2);
    QCOMPARE(table.rowCount(), 1);
    QVERIFY(rowIsEmpty(table, 1));
    QCOMPARE(replayRow, 1);

    // In place with an empty catalogue: exactly row 1 is emptied, the count stays.
    table.setRowCountWithHeader(3);
    table.setRow(1, {QStringLiteral("x.dat"), QStringLiteral("1")});
    table.setRow(2, {QStringLiteral("y.dat"), QStringLiteral("2")});
    replayRow = 2;
    fillStorageTable(table, list, false, replayRow);
    QCOMPARE(table.rowCountWithHeader(), 3);
    QVERIFY(rowIsEmpty(table, 1));
    QCOMPARE(table.cell(2, 0), QStringLiteral("y.dat"));
    QCOMPARE(replayRow, 2);
}

void TestReplayTableModel::rebuildAndRefillInPlace()
{
    ReplayList list;
    addReplays(list, {QStringLiteral("e.dat"), QStringLiteral("d.dat"), QStringLiteral("c.dat"),
                      QStringLiteral("b.dat"), QStringLiteral("a.dat")});
    ReplayTableModel table(FolderKind::Storage);
    QAbstractItemModelTester tester(&table, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&table, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&table, &QAbstractItemModel::modelReset);

    int replayRow = 4;
    fillStorageTable(table, list, true, replayRow);
    QCOMPARE(replayRow, 1);
    QCOMPARE(table.rowCountWithHeader(), 6);
    QCOMPARE(fileColumn(table), (QStringList{QStringLiteral("e.dat"), QStringLiteral("d.dat"), QStringLiteral("c.dat"),
                                             QStringLiteral("b.dat"), QStringLiteral("a.dat")}));
    QCOMPARE(table.cell(2, 1), QStringLiteral("100"));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(reset.count(), 0);

    // Rows permuted as a sort would; a refill in place restores Id order and
    // keeps the count and the selected row, without touching the row set.
    table.swapRows(1, 5);
    inserted.clear();
    QSignalSpy removed(&table, &QAbstractItemModel::rowsRemoved);
    replayRow = 4;
    fillStorageTable(table, list, false, replayRow);
    QCOMPARE(replayRow, 4);
    QCOMPARE(table.cell(1, 0), QStringLiteral("e.dat"));
    QCOMPARE(table.cell(5, 0), QStringLiteral("a.dat"));
    QCOMPARE(inserted.count() + removed.count() + reset.count(), 0);

    // A refill in place never drops an entry the table has no row for.
    addReplays(list, {QStringLiteral("f.dat")});
    fillStorageTable(table, list, false, replayRow);
    QCOMPARE(table.rowCount(), 6);
    QCOMPARE(table.cell(6, 0), QStringLiteral("f.dat"));
    QCOMPARE(replayRow, 4);

    // A rescan with fewer files shrinks the table.
    list.ClearReplayList();
    addReplays(list, {QStringLiteral("z.dat"), QStringLiteral("y.dat")});
    fillStorageTable(table, list, true, replayRow);
    QCOMPARE(replayRow, 1);
    QCOMPARE(fileColumn(table), (QStringList{QStringLiteral("z.dat"), QStringLiteral("y.dat")}));
    QCOMPARE(removed.count(), 1);
}

void TestReplayTableModel::cellPainting_data()
{
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("gridRow");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("marked");
    QTest::addColumn<int>("expectedRole"); // -1: the fixed green, -2: the mark red

    QTest::newRow("odd row") << 1 << 1 << 2 << false << false << int(QPalette::Base);
    QTest::newRow("even row") << 1 << 2 << 2 << false << false << -1;
    QTest::newRow("selected even row") << 1 << 2 << 2 << true << false << int(QPalette::Highlight);
    QTest::newRow("marked") << 1 << 3 << 2 << false << true << -2;
    QTest::newRow("marked and selected") << 1 << 3 << 2 << true << true << -2;
    QTest::newRow("fixed column") << 0 << 2 << 0 << false << false << int(QPalette::Button);
    QTest::newRow("fixed column of the selected row") << 0 << 3 << 0 << true << false << int(QPalette::Button);
}

void TestReplayTableModel::cellPainting()
{
    QFETCH(int, tag);
    QFETCH(int, gridRow);
    QFETCH(int, column);
    QFETCH(bool, selected);
    QFETCH(bool, marked);
    QFETCH(int, expectedRole);

    ReplayTableModel table{FolderKind(tag)};
    table.setRowCountWithHeader(11);
    table.setCell(gridRow, 0, QStringLiteral("x.dat"));
    table.setCell(gridRow, 2, QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"));
    table.setDeleteMarks(true, marked ? QStringList{QStringLiteral("x.dat")} : QStringList{});

    QPalette palette;
    palette.setColor(QPalette::Base, QColor(250, 250, 250));
    palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
    palette.setColor(QPalette::Button, QColor(200, 200, 200));
    palette.setColor(QPalette::Light, QColor(255, 255, 255));
    palette.setColor(QPalette::Dark, QColor(100, 100, 100));

    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 60, 20);
    option.palette = palette;
    option.state = QStyle::State_Enabled | QStyle::State_Active;
    if (selected)
        option.state |= QStyle::State_Selected;

    QImage image(60, 20, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        ReplayCellDelegate().paint(&painter, option, table.index(gridRow - 1, column));
    }
    QColor expected;
    if (expectedRole == -1)
        expected = QColor(218, 252, 221);
    else if (expectedRole == -2)
        expected = QColor(255, 128, 128);
    else
        expected = palette.color(QPalette::ColorRole(expectedRole));
    // The text is drawn inset by 2 pixels: the ring just inside the edge is
    // plain background, however long the text.
    for (int x = 1; x <= 58; ++x) {
        QCOMPARE(image.pixelColor(x, 1), expected);
        QCOMPARE(image.pixelColor(x, 18), expected);
    }
    for (int y = 1; y <= 18; ++y) {
        QCOMPARE(image.pixelColor(1, y), expected);
        QCOMPARE(image.pixelColor(58, y), expected);
    }
    if (expectedRole == int(QPalette::Button)) {
        QCOMPARE(image.pixelColor(30, 0), QColor(255, 255, 255)); // raised edge
        QCOMPARE(image.pixelColor(0, 10), QColor(255, 255, 255));
        QCOMPARE(image.pixelColor(30, 19), QColor(100, 100, 100));
        QCOMPARE(image.pixelColor(59, 10), QColor(100, 100, 100));
    }
    if (column == 2) {
        // Something of the long text was drawn inside.
        bool drawn = false;
        for (int x = 2; x <= 57 && !drawn; ++x)
            for (int y = 2; y <= 17 && !drawn; ++y)
                drawn = image.pixelColor(x, y) != expected;
        QVERIFY(drawn);
    }
}

// A stored slot gets a check at the right end of its file-name cell and the
// stored names in its tooltip; its text and every other cell stay as they were.
void TestReplayTableModel::storedMark()
{
    ReplayTableModel game(FolderKind::Game);
    QAbstractItemModelTester tester(&game, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changed(&game, &QAbstractItemModel::dataChanged);
    const QStringList names{QStringLiteral("a.dat"), QStringLiteral("b.dat")};
    game.setStoredNames({{}, names});
    QCOMPARE(changed.size(), 1);
    game.setStoredNames({{}, names}); // nothing new: no repaint
    QCOMPARE(changed.size(), 1);

    QCOMPARE(game.data(game.index(1, 0), ReplayTableModel::StoredRole).toStringList(), names);
    QCOMPARE(game.data(game.index(1, 0), Qt::DisplayRole).toString(), QStringLiteral("qv_replay1.dat"));
    const QString tip = shownText(game.data(game.index(1, 0), Qt::ToolTipRole).toString());
    QVERIFY(tip.endsWith(QStringLiteral("a.dat\nb.dat")));
    QVERIFY(game.data(game.index(1, 1), ReplayTableModel::StoredRole).toStringList().isEmpty());
    QVERIFY(game.data(game.index(0, 0), Qt::ToolTipRole).isNull());

    const auto markPixels = [&](int gridRow) {
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 150, 20);
        option.state = QStyle::State_Enabled | QStyle::State_Active;
        QImage image(150, 20, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            ReplayCellDelegate().paint(&painter, option, game.index(gridRow - 1, 0));
        }
        int count = 0;
        const QRect mark = ReplayCellDelegate::storedMarkRect(option.rect);
        for (int x = mark.left(); x <= mark.right(); ++x)
            for (int y = mark.top(); y <= mark.bottom(); ++y)
                count += image.pixelColor(x, y) == ReplayCellDelegate::storedMarkColor() ? 1 : 0;
        return count;
    };
    QVERIFY(markPixels(2) > 5);
    QCOMPARE(markPixels(1), 0);

    game.setStoredNames({});
    QCOMPARE(markPixels(2), 0);
}

QTEST_MAIN(TestReplayTableModel)
#include "tst_ReplayTableModel.moc"

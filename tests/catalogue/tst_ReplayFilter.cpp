// The storage filter: which replays a typed text finds, and the proxy that
// shows only those rows in the table's own order.

#include "catalogue/ReplayFilter.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "catalogue/ReplayTableSort.h"
#include "replay/ShiftJisText.h"

#include <QAbstractItemModelTester>
#include <QTest>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

struct Replay {
    Replay(const QString &file = {}, const QString &player = {}, const QString &comment = {}, qint32 dungeon = 0,
           qint32 chara = 0, qint32 score = 0)
        : file(file), player(player), comment(comment), dungeon(dungeon), chara(chara), score(score)
    {
    }
    QString file;
    QString player;
    QString comment;
    qint32 dungeon;
    qint32 chara;
    qint32 score;
};

ReplayInfo infoOf(const Replay &r)
{
    ReplayInfo info{};
    std::memcpy(info.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
    info.Dungeon = r.dungeon;
    info.Chara = r.chara;
    info.Score = r.score;
    info.Floor = 1;
    info.PlayDate = 1200000000;
    ShiftJisText::storeField(ShiftJisText::encode(r.player, PlayerNameSize).bytes, info.PlayerName, PlayerNameSize);
    ShiftJisText::storeField(ShiftJisText::encode(r.comment, CommentSize).bytes, info.Comment, CommentSize);
    return info;
}

void fillList(ReplayList &list, const QList<Replay> &replays)
{
    list.ClearReplayList();
    for (const Replay &r : replays) {
        const ReplayInfo info = infoOf(r);
        QVERIFY(list.AddReplayList(r.file, info, info.PlayerName, info.Comment) > 0);
    }
}

QStringList shownNames(const ReplayFilterProxy &proxy)
{
    QStringList names;
    for (int row = 0; row < proxy.rowCount(); ++row)
        names << proxy.index(row, 0).data().toString();
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Replay)

class TestReplayFilter : public QObject {
    Q_OBJECT
private slots:
    void matching_data();
    void matching();
    void proxyKeepsTheTableOrder();
    void proxyFollowsTheCatalogue();
};

void TestReplayFilter::matching_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Replay>("replay");
    QTest::addColumn<bool>("found");

    // dungeon 7 "灰の塔", 11 "月影の神殿", 0 "ストーリー　第１話"; chara 1 "ケイナ", 4 "ガルト"
    const Replay plain{u"run005.dat"_s, u"taro"_s, u"boss fight"_s, 7, 1};
    QTest::newRow("full-width letters find ASCII") << u"ＲＵＮ"_s << plain << true;
    QTest::newRow("letter case is ignored") << u"TARO"_s << plain << true;
    QTest::newRow("half-width kana finds the character") << u"ｶﾞﾙﾄ"_s << Replay{u"x.dat"_s, {}, {}, 0, 4} << true;
    QTest::newRow("full-width kana finds a half-width comment")
        << u"テスト"_s << Replay{u"x.dat"_s, {}, u"ﾊﾝｶｸ ﾃｽﾄ"_s} << true;
    QTest::newRow("full-width digits in a dungeon name") << u"第1話"_s << Replay{u"x.dat"_s} << true;
    QTest::newRow("every word, in any field and order") << u"神殿 boss run"_s << Replay{plain.file, {}, plain.comment, 11}
                                                        << true;
    QTest::newRow("ideographic blank separates words") << u"ケイナ　灰の塔"_s << plain << true;
    QTest::newRow("one word missing") << u"ケイナ 神殿"_s << plain << false;
    QTest::newRow("no match across two fields") << u"dattaro"_s << Replay{u"a.dat"_s, u"taro"_s} << false;
    QTest::newRow("blanks only find everything") << u" 　 "_s << plain << true;
}

void TestReplayFilter::matching()
{
    QFETCH(QString, typed);
    QFETCH(Replay, replay);
    QFETCH(bool, found);
    const ReplayFilter filter(typed);
    QCOMPARE(filter.matches(ReplayFilter::haystackOf(replay.file, infoOf(replay))), found);
}

void TestReplayFilter::proxyKeepsTheTableOrder()
{
    ReplayList list;
    fillList(list, {{u"b1.dat"_s, u"hit"_s, {}, 0, 0, 30},
                    {u"a2.dat"_s, {}, {}, 0, 0, 10},
                    {u"c3.dat"_s, u"hit"_s, {}, 0, 0, 20},
                    {u"d4.dat"_s, {}, u"HIT"_s, 0, 0, 5}});
    ReplayTableModel table(FolderKind::Storage);
    ReplayFilterProxy proxy(table, list);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);

    proxy.setFilterText(u"hit"_s);
    QCOMPARE(shownNames(proxy), (QStringList{u"b1.dat"_s, u"c3.dat"_s, u"d4.dat"_s}));
    // Each order is the table's own; the filter only leaves rows out.
    const struct {
        int mode;
        QStringList shown;
    } orders[] = {{3, {u"d4.dat"_s, u"c3.dat"_s, u"b1.dat"_s}},
                  {2, {u"d4.dat"_s, u"c3.dat"_s, u"b1.dat"_s}},
                  {0, {u"b1.dat"_s, u"c3.dat"_s, u"d4.dat"_s}}};
    for (const auto &order : orders) {
        fillStorageTable(table, list, false, replayRow);
        ReplayTableSort(table, list).vSortReplayTbl(order.mode);
        QCOMPARE(shownNames(proxy), order.shown);
        QCOMPARE(table.cell(proxy.firstShownRow(), 0), order.shown.first());
    }
    QVERIFY(!proxy.isShown(2)); // a2.dat, grid row 2 in catalogue order
    QVERIFY(!proxy.viewIndex(2, 0).isValid());
    QCOMPARE(proxy.gridRow(proxy.index(1, 3)), 3);
    // Shown rows alternate their colours as shown: the second one is green.
    QCOMPARE(proxy.index(1, 0).data(Qt::BackgroundRole).value<QColor>(), ReplayTableModel::evenRowColor());
    QVERIFY(!proxy.index(0, 0).data(Qt::BackgroundRole).isValid());

    proxy.setFilterText(QString());
    QCOMPARE(proxy.rowCount(), 4);
}

void TestReplayFilter::proxyFollowsTheCatalogue()
{
    ReplayList list;
    fillList(list, {{u"one.dat"_s, u"alpha"_s}, {u"two.dat"_s, u"beta"_s}});
    ReplayTableModel table(FolderKind::Storage);
    ReplayFilterProxy proxy(table, list);
    QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);
    proxy.setFilterText(u"beta"_s);
    QCOMPARE(shownNames(proxy), QStringList{u"two.dat"_s});

    // A changed text (an edit) and a new read are searched anew.
    fillList(list, {{u"one.dat"_s, u"beta"_s}, {u"two.dat"_s, u"gamma"_s}, {u"three.dat"_s, u"beta"_s}});
    proxy.catalogueChanged();
    fillStorageTable(table, list, true, replayRow);
    QCOMPARE(shownNames(proxy), (QStringList{u"one.dat"_s, u"three.dat"_s}));

    // The empty row of an empty folder is shown only without a filter.
    list.ClearReplayList();
    proxy.catalogueChanged();
    fillStorageTable(table, list, true, replayRow);
    QCOMPARE(proxy.rowCount(), 0);
    QCOMPARE(proxy.firstShownRow(), 0);
    proxy.setFilterText(QString());
    QCOMPARE(proxy.rowCount(), 1);
}

QTEST_GUILESS_MAIN(TestReplayFilter)
#include "tst_ReplayFilter.moc"

// The name template: every field, every character a file name may not hold,
// the cut at the file system's limit, taken names, and the templates that
// are refused.

#include "operations/NameTemplate.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"

#include <QFile>
#include <QTest>

#include <cstring>
#include <ctime>

using namespace Qt::StringLiterals;

class TestNameTemplate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void names_data();
    void names();
    void spellings();
};

void TestNameTemplate::initTestCase()
{
    // Dates are local times: the test fixes the zone.
    qputenv("TZ", "UTC");
    tzset();
}

void TestNameTemplate::names_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("player");   // stored as Shift-JIS
    QTest::addColumn<int>("floor");        // of dungeon 7, which has 30
    QTest::addColumn<int>("slot");
    QTest::addColumn<QString>("fileName"); // the file's name now
    QTest::addColumn<QStringList>("taken");
    // The name made, or "!" and a part of the note of a refused template.
    QTest::addColumn<QString>("expected");

    const QString file = u"qv_replay3.dat"_s;
    const QStringList none;
    QTest::newRow("default: date, time, character, dungeon, floors")
        << NameTemplate::defaultText() << u"Alice"_s << 12 << 3 << file << none
        << u"2024-05-01_21-03-09_ガルト_灰の塔_12階.dat"_s;
    QTest::newRow("cleared, score, player, slot, version, old name")
        << u"{floor} {score} {player} {slot} {version} {name}"_s << u"名無し"_s << 31 << 3 << file << none
        << u"クリア 1234567 名無し 3 Ver107 qv_replay3.dat"_s;
    QTest::newRow("Japanese spelling") << u"{日付}{時刻}{キャラクター}{ダンジョン}{階層}{スコア}"_s << u""_s << 12 << 3
                                       << file << none << u"2024-05-0121-03-09ガルト灰の塔12階1234567.dat"_s;
    QTest::newRow("a storage file has no slot") << u"x{slot}y"_s << u""_s << 1 << -1 << u"a.dat"_s << none
                                                << u"xy.dat"_s;
    QTest::newRow("forbidden characters") << u"{player}"_s << u"a/b\\c:d*e?f\"g<h>i|j"_s << 1 << 3 << file << none
                                          << u"a_b_c_d_e_f_g_h_i_j.dat"_s;
    QTest::newRow("control characters") << u"{player}"_s << u"a\tb\x01" "c\x7f"_s << 1 << 3 << file << none
                                        << u"a_b_c_.dat"_s;
    QTest::newRow("leading dots and blanks") << u"{player}"_s << u" ..x "_s << 1 << 3 << file << none
                                             << u"x.dat"_s;
    QTest::newRow("\"..\" falls back to the old name") << u"{player}"_s << u".."_s << 1 << 3 << file << none
                                                       << u"qv_replay3.dat"_s;
    QTest::newRow("empty falls back to the old name") << u"{player}"_s << u""_s << 1 << -1 << u"old.DAT"_s << none
                                                      << u"old.dat"_s;
    QTest::newRow(".dat kept once") << u"{name}.DAT"_s << u""_s << 1 << -1 << u"x.dat"_s << none << u"x.dat"_s;
    QTest::newRow("taken") << u"{name}"_s << u""_s << 1 << -1 << u"a.dat"_s << QStringList{u"a.dat"_s}
                           << u"a (2).dat"_s;
    QTest::newRow("taken twice") << u"{name}"_s << u""_s << 1 << -1 << u"a.dat"_s
                                 << QStringList{u"a.dat"_s, u"a (2).dat"_s} << u"a (3).dat"_s;
    // 100 characters of three bytes each: cut to whole characters within
    // the limit, before the number and ".dat".
    const QString long100 = QString(100, u'あ');
    QTest::newRow("cut inside a double-byte character")
        << long100 << u""_s << 1 << 3 << file << none << QString(78, u'あ') + u".dat"_s;
    QTest::newRow("cut, then numbered") << long100 << u""_s << 1 << 3 << file
                                        << QStringList{QString(78, u'あ') + u".dat"_s}
                                        << QString(77, u'あ') + u" (2).dat"_s;

    QTest::newRow("refused: empty") << u"  "_s << u""_s << 1 << 3 << file << none << u"!空"_s;
    QTest::newRow("refused: unknown field") << u"{dat}"_s << u""_s << 1 << 3 << file << none << u"!{dat}"_s;
    QTest::newRow("refused: slash") << u"{date}/x"_s << u""_s << 1 << 3 << file << none << u"!「/」"_s;
    QTest::newRow("refused: nothing but dots") << u".."_s << u""_s << 1 << 3 << file << none
                                               << u"!ファイル名になりません"_s;
    QTest::newRow("refused: not Shift-JIS") << u"{date}😀"_s << u""_s << 1 << 3 << file << none
                                            << u"!設定ファイル"_s;
    QTest::newRow("refused: not Shift-JIS (BMP)") << u"{date}é"_s << u""_s << 1 << 3 << file << none
                                                  << u"!「é」"_s;
}

void TestNameTemplate::names()
{
    QFETCH(QString, pattern);
    QFETCH(QString, player);
    QFETCH(int, floor);
    QFETCH(int, slot);
    QFETCH(QString, fileName);
    QFETCH(QStringList, taken);
    QFETCH(QString, expected);

    ReplayInfo replay{};
    std::memcpy(replay.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
    replay.PlayDate = 1714597389; // 2024-05-01 21:03:09 UTC
    replay.Chara = 4;
    replay.Dungeon = 7;
    replay.Floor = floor;
    replay.Score = 1234567;
    ShiftJisText::storeField(ShiftJisText::encode(player, PlayerNameSize).bytes, replay.PlayerName, PlayerNameSize);

    const NameTemplate made = NameTemplate::parse(pattern);
    if (expected.startsWith(u'!')) {
        QVERIFY(!made.isValid());
        QVERIFY2(made.note().contains(expected.mid(1)), qPrintable(made.note()));
        return;
    }
    QVERIFY2(made.isValid(), qPrintable(made.note()));
    bool suffixed = false;
    const QString name =
        made.fileName(NameSource{&replay, slot, fileName}, [&](const QString &n) { return taken.contains(n); },
                      &suffixed);
    QCOMPARE(name, expected);
    QCOMPARE(suffixed, expected.contains(u" ("_s));
    QVERIFY(QFile::encodeName(name).size() <= NameTemplate::MaxNameBytes);
}

// The settings file keeps the keys; the player sees Japanese; both read back
// as the same template.
void TestNameTemplate::spellings()
{
    const NameTemplate shown = NameTemplate::parse(u"{日付}-{player}"_s);
    QCOMPARE(shown.storedText(), u"{date}-{player}"_s);
    QCOMPARE(shown.shownText(), u"{日付}-{プレイヤー名}"_s);
    QCOMPARE(NameTemplate::parse(shown.storedText()).shownText(), shown.shownText());
    QCOMPARE(NameTemplate().storedText(), NameTemplate::defaultText());
}

QTEST_GUILESS_MAIN(TestNameTemplate)
#include "tst_NameTemplate.moc"

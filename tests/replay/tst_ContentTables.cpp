#include "replay/ContentTables.h"
#include "replay/ShiftJisText.h"

#include <QTest>

#include <climits>
#include <ctime>
#include <optional>

namespace {

// Sets the process time zone for one test and puts the old one back.
class TimeZoneGuard
{
public:
    explicit TimeZoneGuard(const QByteArray &zone)
    {
        if (qEnvironmentVariableIsSet("TZ"))
            m_saved = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneGuard()
    {
        if (m_saved)
            qputenv("TZ", *m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    std::optional<QByteArray> m_saved;
};

// Written with escapes so that a half-width blank or digit in the tables shows up.
const QString Blank = QStringLiteral("\u3000");

} // namespace

class tst_ContentTables : public QObject
{
    Q_OBJECT

private slots:
    void charaName_data();
    void charaName();
    void dungeonName_data();
    void dungeonName();
    void tablesHaveShiftJisForms();
    void formatFloor_data();
    void formatFloor();
    void clearBoundaryOfEveryDungeon();
    void formatScore_data();
    void formatScore();
    void formatPlayDate_data();
    void formatPlayDate();
    void placeholderForUnconvertibleDates_data();
    void placeholderForUnconvertibleDates();
    void limitPlayText_data();
    void limitPlayText();
};

void tst_ContentTables::charaName_data()
{
    QTest::addColumn<qint32>("chara");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");

    QTest::newRow("0") << 0 << 0 << QStringLiteral("ミルダ");
    QTest::newRow("1") << 1 << 1 << QStringLiteral("ケイナ");
    QTest::newRow("2") << 2 << 2 << QStringLiteral("ラドム");
    QTest::newRow("3") << 3 << 3 << QStringLiteral("ノエラ");
    QTest::newRow("4") << 4 << 4 << QStringLiteral("ガルト");
    QTest::newRow("5") << 5 << 5 << QStringLiteral("ユーマ");
    QTest::newRow("6") << 6 << 6 << QStringLiteral("unknown");
    QTest::newRow("14") << 14 << 6 << QStringLiteral("unknown");
    QTest::newRow("1000") << 1000 << 6 << QStringLiteral("unknown");
    QTest::newRow("-1") << -1 << 6 << QStringLiteral("unknown");
    QTest::newRow("INT_MIN") << qint32(INT_MIN) << 6 << QStringLiteral("unknown");
    QTest::newRow("INT_MAX") << qint32(INT_MAX) << 6 << QStringLiteral("unknown");
}

void tst_ContentTables::charaName()
{
    QFETCH(qint32, chara);
    QFETCH(int, index);
    QFETCH(QString, name);
    QCOMPARE(charaIndex(chara), index);
    QCOMPARE(CharaName(chara), name);
}

void tst_ContentTables::dungeonName_data()
{
    QTest::addColumn<qint32>("dungeon");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");

    const QString story = QStringLiteral("ストーリー") + Blank + QStringLiteral("第");
    QTest::newRow("0") << 0 << 0 << story + QStringLiteral("\uFF11話");
    QTest::newRow("3") << 3 << 3 << story + QStringLiteral("\uFF14話");
    QTest::newRow("6") << 6 << 6 << story + QStringLiteral("\uFF17話");
    QTest::newRow("7") << 7 << 7 << QStringLiteral("灰の塔");
    QTest::newRow("9") << 9 << 9 << QStringLiteral("ザインの洞");
    QTest::newRow("12") << 12 << 12 << QStringLiteral("ネフィルの書庫");
    QTest::newRow("13") << 13 << 13 << QStringLiteral("ヘイズダンジョン");
    QTest::newRow("14") << 14 << 14 << QStringLiteral("unknown");
    QTest::newRow("-1") << -1 << 14 << QStringLiteral("unknown");
    QTest::newRow("INT_MAX") << qint32(INT_MAX) << 14 << QStringLiteral("unknown");
}

void tst_ContentTables::dungeonName()
{
    QFETCH(qint32, dungeon);
    QFETCH(int, index);
    QFETCH(QString, name);
    QCOMPARE(dungeonIndex(dungeon), index);
    QCOMPARE(DungeonName(dungeon), name);
}

void tst_ContentTables::tablesHaveShiftJisForms()
{
    // Every text the tables show must survive the trip to code page 932.
    QStringList texts;
    for (const QString &t : CharaNameTbl)
        texts << t;
    for (const QString &t : DungeonNameTbl)
        texts << t;
    for (const QString &t : LimitPlayNameTbl)
        texts << t;
    texts << UnknownPlayDateText << QStringLiteral("クリア") << QStringLiteral(" 階");
    for (const QString &text : std::as_const(texts)) {
        const ShiftJisEncoded encoded = ShiftJisText::encode(text, 1000);
        QVERIFY2(encoded.isExact(), qPrintable(text));
        QCOMPARE(ShiftJisText::decode(encoded.bytes), text);
    }
}

void tst_ContentTables::formatFloor_data()
{
    QTest::addColumn<qint32>("dungeon");
    QTest::addColumn<qint32>("floor");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<QString>("table");

    QTest::newRow("Zain 40 of 40") << 9 << 40 << false << QStringLiteral("40 階");
    QTest::newRow("Zain 41 of 40") << 9 << 41 << true << QStringLiteral("クリア");
    QTest::newRow("story 1, 15 of 15") << 0 << 15 << false << QStringLiteral("15 階");
    QTest::newRow("story 1, 16 of 15") << 0 << 16 << true << QStringLiteral("クリア");
    QTest::newRow("Haze 61 of 60") << 13 << 61 << true << QStringLiteral("クリア");
    QTest::newRow("floor 0") << 7 << 0 << false << QStringLiteral("0 階");
    QTest::newRow("negative floor") << 7 << -5 << false << QStringLiteral("-5 階");
    QTest::newRow("floor INT_MAX") << 7 << qint32(INT_MAX) << true << QStringLiteral("クリア");
    QTest::newRow("unknown 14, 999") << 14 << 999 << false << QStringLiteral("999 階");
    QTest::newRow("unknown -1, INT_MAX")
        << -1 << qint32(INT_MAX) << false << QString::number(INT_MAX) + QStringLiteral(" 階");
}

void tst_ContentTables::formatFloor()
{
    QFETCH(qint32, dungeon);
    QFETCH(qint32, floor);
    QFETCH(bool, cleared);
    QFETCH(QString, table);
    QCOMPARE(isCleared(dungeon, floor), cleared);
    QCOMPARE(FormatFloor(dungeon, floor, FloorForm::Table), table);
    QCOMPARE(FormatFloor(dungeon, floor, FloorForm::Panel), Blank + table);
}

void tst_ContentTables::clearBoundaryOfEveryDungeon()
{
    const qint32 floors[DungeonFloorCount] = {15, 18, 20, 23, 25, 28, 30, 30, 30, 40, 25, 50, 50, 60};
    for (qint32 d = 0; d < DungeonFloorCount; ++d) {
        QCOMPARE(DungeonFloorTbl[d], floors[d]);
        QVERIFY(!isCleared(d, floors[d]));
        QVERIFY(isCleared(d, floors[d] + 1));
    }
}

void tst_ContentTables::formatScore_data()
{
    QTest::addColumn<qint32>("score");
    QTest::addColumn<QString>("text");

    QTest::newRow("0") << 0 << QStringLiteral("0");
    QTest::newRow("7") << 7 << QStringLiteral("7");
    QTest::newRow("999") << 999 << QStringLiteral("999");
    QTest::newRow("1000") << 1000 << QStringLiteral("1,000");
    QTest::newRow("123456") << 123456 << QStringLiteral("123,456");
    QTest::newRow("1234567") << 1234567 << QStringLiteral("1,234,567");
    QTest::newRow("INT_MAX") << qint32(INT_MAX) << QStringLiteral("2,147,483,647");
    QTest::newRow("-1") << -1 << QStringLiteral("-1");
    QTest::newRow("-999") << -999 << QStringLiteral("-999");
    QTest::newRow("-1000") << -1000 << QStringLiteral("-1,000");
    QTest::newRow("-123456") << -123456 << QStringLiteral("-123,456");
    QTest::newRow("-1234567") << -1234567 << QStringLiteral("-1,234,567");
    QTest::newRow("INT_MIN") << qint32(INT_MIN) << QStringLiteral("-2,147,483,648");
}

void tst_ContentTables::formatScore()
{
    QFETCH(qint32, score);
    QFETCH(QString, text);
    QCOMPARE(FormatScore(score), text);
}

void tst_ContentTables::formatPlayDate_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<qint32>("playDate");
    QTest::addColumn<QString>("text");

    const QByteArray tokyo = QByteArrayLiteral("Asia/Tokyo");
    QTest::newRow("epoch in Tokyo") << tokyo << 0 << QStringLiteral("1970/01/01 09:00:00");
    QTest::newRow("one second before the epoch")
        << tokyo << -1 << QStringLiteral("1970/01/01 08:59:59");
    QTest::newRow("an evening in 2008") << tokyo << 1205064307 << QStringLiteral("2008/03/09 21:05:07");
    QTest::newRow("INT_MAX") << tokyo << qint32(INT_MAX) << QStringLiteral("2038/01/19 12:14:07");
    QTest::newRow("INT_MIN") << tokyo << qint32(INT_MIN) << QStringLiteral("1901/12/14 05:45:52");
    QTest::newRow("epoch in UTC") << QByteArrayLiteral("UTC") << 0 << QStringLiteral("1970/01/01 00:00:00");

    const QByteArray berlin = QByteArrayLiteral("Europe/Berlin");
    QTest::newRow("Berlin winter") << berlin << 1200000000 << QStringLiteral("2008/01/10 22:20:00");
    QTest::newRow("Berlin summer") << berlin << 1214827200 << QStringLiteral("2008/06/30 14:00:00");
    const QByteArray newYork = QByteArrayLiteral("America/New_York");
    QTest::newRow("New York before the spring jump")
        << newYork << 1205045999 << QStringLiteral("2008/03/09 01:59:59");
    QTest::newRow("New York after the spring jump")
        << newYork << 1205046000 << QStringLiteral("2008/03/09 03:00:00");
}

void tst_ContentTables::formatPlayDate()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: zones named through TZ; before 1970 Windows gives the placeholder (placeholderForUnconvertibleDates)");
#else
    QFETCH(QByteArray, zone);
    QFETCH(qint32, playDate);
    QFETCH(QString, text);
    const TimeZoneGuard guard(zone);
    QCOMPARE(FormatPlayDate(playDate), text);
#endif
}

void tst_ContentTables::placeholderForUnconvertibleDates_data()
{
    QTest::addColumn<bool>("converted");
    QTest::addColumn<int>("tmYear");
    QTest::addColumn<QString>("text");

    QTest::newRow("conversion failed") << false << 0 << UnknownPlayDateText;
    QTest::newRow("year 10000") << true << 10000 - 1900 << UnknownPlayDateText;
    QTest::newRow("year -1") << true << -1 - 1900 << UnknownPlayDateText;
    QTest::newRow("year 9999") << true << 9999 - 1900 << QStringLiteral("9999/12/31 23:59:58");
    QTest::newRow("year 5") << true << 5 - 1900 << QStringLiteral("0005/12/31 23:59:58");
}

void tst_ContentTables::placeholderForUnconvertibleDates()
{
    QFETCH(bool, converted);
    QFETCH(int, tmYear);
    QFETCH(QString, text);
    std::tm local{};
    local.tm_year = tmYear;
    local.tm_mon = 11;
    local.tm_mday = 31;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 58;
    QCOMPARE(FormatLocalTime(converted ? &local : nullptr), text);
    QCOMPARE(UnknownPlayDateText.size(), QStringLiteral("2008/03/09 21:05:07").size());
}

void tst_ContentTables::limitPlayText_data()
{
    QTest::addColumn<QList<qint32>>("flags");
    QTest::addColumn<QString>("text");

    using L = QList<qint32>;
    QTest::newRow("none") << L{0, 0, 0, 0, 0, 0, 0, 0, 0} << QString();
    QTest::newRow("0, 1 and 8")
        << L{1, 1, 0, 0, 0, 0, 0, 0, 1} << QStringLiteral("草") + Blank + QStringLiteral("肉") + Blank + QStringLiteral("スキル");
    QTest::newRow("0 and 1 end with a blank")
        << L{1, 1, 0, 0, 0, 0, 0, 0, 0} << QStringLiteral("草") + Blank + QStringLiteral("肉") + Blank;
    QTest::newRow("2 and -1 are off") << L{2, -1, 1, 0, 0, 0, 0, 2, -1} << QStringLiteral("パン") + Blank;
    QTest::newRow("only the last") << L{0, 0, 0, 0, 0, 0, 0, 0, 1} << QStringLiteral("スキル");
    QTest::newRow("all nine")
        << L{1, 1, 1, 1, 1, 1, 1, 1, 1}
        << QStringLiteral("草　肉　パン　矢　マナ　巻物　杖　指輪　スキル");
}

void tst_ContentTables::limitPlayText()
{
    QFETCH(QList<qint32>, flags);
    QFETCH(QString, text);
    qint32 limitPlay[LimitPlayNameCount];
    for (int i = 0; i < LimitPlayNameCount; ++i)
        limitPlay[i] = flags.at(i);
    QCOMPARE(LimitPlayText(limitPlay), text);
}

QTEST_GUILESS_MAIN(tst_ContentTables)
#include "tst_ContentTables.moc"

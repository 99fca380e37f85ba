// The remembered view: its keys in the program's own section, every other
// line of the settings file kept, and values that make no sense ignored.

#include "app/ViewSettings.h"

#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ViewSettings : public QObject {
    Q_OBJECT
private slots:
    void roundTripKeepsOtherLines();
    void unusableValues_data();
    void unusableValues();
    void placeVisible_data();
    void placeVisible();
};

void tst_ViewSettings::roundTripKeepsOtherLines()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"qvReplayInfo.dat"_s);
    // Shift-JIS, a comment, LF and CR LF line ends, a last line without one.
    const QByteArray before = "[Application]\r\nName=Tarnel\x83\x8a\x83\x76\x83\x8c\x83\x43\r\n; kept\n"
                              "[qvReplayInfo]\r\nReplayDir=/s/\r\nsortmode=9\r\n[Tail]\nX = 1";
    QVERIFY(writeAll(path, before));

    ViewSettings view;
    view.windowPos = QPoint(-40, 1200);
    view.activePage = 1;
    view.sortMode = 4;
    view.tarnelColumns = ViewSettings::ColumnWidths{150, 80, 150, 80, 100, 250};
    view.replayColumns = ViewSettings::ColumnWidths{300, 20, 2000, 81, 99, 250};
    view.autoReload = false;
    view.autoStore = true;
    view.autoStoreName = u"{date}_キャラ{chara}"_s;
    QVERIFY(SaveViewSettings(path, view));

    const QByteArray after = readAll(path);
    QCOMPARE(after,
             QByteArray("[Application]\r\nName=Tarnel\x83\x8a\x83\x76\x83\x8c\x83\x43\r\n; kept\n"
                        "[qvReplayInfo]\r\nReplayDir=/s/\r\nsortmode=4\r\nWindowLeft=-40\r\nWindowTop=1200\r\n"
                        "ActivePage=1\r\nTarnelColumns=150,80,150,80,100,250\r\n"
                        "ReplayColumns=300,20,2000,81,99,250\r\nAutoReload=0\r\nAutoStore=1\r\n"
                        "AutoStoreName={date}_\x83\x4c\x83\x83\x83\x89{chara}\r\n[Tail]\nX = 1"));
    const ViewSettings read = LoadViewSettings(path);
    QCOMPARE(read.windowPos, view.windowPos);
    QCOMPARE(read.activePage, 1);
    QCOMPARE(read.sortMode, 4);
    QCOMPARE(read.tarnelColumns, view.tarnelColumns);
    QCOMPARE(read.replayColumns, view.replayColumns);
    QVERIFY(!read.autoReload);
    QVERIFY(read.autoStore);
    QCOMPARE(read.autoStoreName, view.autoStoreName);

    // Written again unchanged, the file is not touched at all.
    QVERIFY(SaveViewSettings(path, read));
    QCOMPARE(readAll(path), after);
}

void tst_ViewSettings::unusableValues_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::newRow("no settings file") << QByteArray();
    QTest::newRow("keys in another section") << QByteArray("[Tarnel]\r\nActivePage=1\r\nSortMode=3\r\nWindowLeft=5\r\n"
                                                           "WindowTop=5\r\nReplayColumns=90,90,90,90,90,90\r\n");
    QTest::newRow("out of range") << QByteArray("[qvReplayInfo]\r\nActivePage=2\r\nSortMode=7\r\nWindowLeft=5\r\n"
                                                "WindowTop=100001\r\nReplayColumns=90,90,90,90,90,19\r\n"
                                                "AutoReload=2\r\nAutoStore=2\r\n");
    QTest::newRow("not numbers, wrong counts") << QByteArray("[qvReplayInfo]\r\nActivePage=one\r\nSortMode=-\r\n"
                                                             "WindowLeft=\r\nWindowTop=5\r\n"
                                                             "ReplayColumns=90,90,x,90,90,90\r\n"
                                                             "TarnelColumns=90,90,90,90,90,90,90\r\n"
                                                             "AutoReload=off\r\nAutoStore=yes\r\n");
}

void tst_ViewSettings::unusableValues()
{
    QFETCH(QByteArray, section);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"qvReplayInfo.dat"_s);
    if (!section.isNull())
        QVERIFY(writeAll(path, section));
    // Each reads as the window's first look.
    const ViewSettings view = LoadViewSettings(path);
    QVERIFY(!view.windowPos);
    QCOMPARE(view.activePage, 0);
    QCOMPARE(view.sortMode, 0);
    QVERIFY(!view.tarnelColumns);
    QVERIFY(!view.replayColumns);
    QVERIFY(view.autoReload);
    QVERIFY(!view.autoStore);
}

void tst_ViewSettings::placeVisible_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<bool>("visible");
    // Two screens side by side: 1920x1080 with a 40-pixel panel at its top,
    // and 1280x1024 to its right.
    QTest::newRow("on the first screen") << QRect(100, 100, 850, 600) << true;
    QTest::newRow("title bar under the panel") << QRect(100, 10, 850, 600) << false;
    QTest::newRow("mostly off the left edge") << QRect(-800, 100, 850, 600) << false;
    QTest::newRow("enough of the title bar on the left edge") << QRect(-700, 100, 850, 600) << true;
    QTest::newRow("a screen that is gone") << QRect(3300, 100, 850, 600) << false;
}

void tst_ViewSettings::placeVisible()
{
    QFETCH(QRect, frame);
    QFETCH(bool, visible);
    QCOMPARE(isPlaceVisible(frame, {QRect(0, 40, 1920, 1040), QRect(1920, 0, 1280, 1024)}), visible);
}

QTEST_GUILESS_MAIN(tst_ViewSettings)
#include "tst_ViewSettings.moc"

#include "catalogue/TFileLoadDlg.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <memory>

class tst_FileLoadDlg : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void boxProperties();
    void scanLifecycle();
    void headingReplacesDefault();
    void destructorFinishes();
    void startTwiceKeepsOneBox();
    void mainWindowGoneDuringScan();
};

void tst_FileLoadDlg::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("blue");

    QTest::newRow("Label1") << QStringLiteral("Label1") << QRect(8, 12, 141, 12)
                            << QStringLiteral("リプレイファイル読み込み中") << false;
    QTest::newRow("LblFileCnt") << QStringLiteral("LblFileCnt") << QRect(232, 54, 49, 12) << QString() << true;
    QTest::newRow("Label2") << QStringLiteral("Label2") << QRect(24, 30, 59, 12) << QStringLiteral("ファイル名：") << false;
    QTest::newRow("LblLoadFileName") << QStringLiteral("LblLoadFileName") << QRect(88, 30, 193, 12) << QString() << true;
}

void tst_FileLoadDlg::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(bool, blue);

    TFileLoadDlg dlg;
    auto *label = dlg.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->geometry(), geometry);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->palette().color(QPalette::WindowText) == QColor(Qt::blue), blue);
    QCOMPARE(label->font().pixelSize(), 12);
}

void tst_FileLoadDlg::boxProperties()
{
    TFileLoadDlg dlg;
    QCOMPARE(dlg.size(), QSize(290, 89));
    QVERIFY(dlg.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("ファイル処理中"));
    QCOMPARE(dlg.font().families().first(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(dlg.palette().color(QPalette::Window), dlg.palette().color(QPalette::Button));

    auto *bevel = dlg.findChild<QFrame *>(QStringLiteral("Bevel1"));
    QVERIFY(bevel);
    QCOMPARE(bevel->geometry(), QRect(0, 0, 289, 89));
    QCOMPARE(bevel->frameShape(), QFrame::Panel);
    QCOMPARE(bevel->frameShadow(), QFrame::Raised);

    auto *bar = dlg.findChild<QProgressBar *>(QStringLiteral("PbrFileLoad"));
    QVERIFY(bar);
    QCOMPARE(bar, dlg.PbrFileLoad);
    QCOMPARE(bar->geometry(), QRect(8, 48, 217, 24));
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isTextVisible());
    QCOMPARE(dlg.LblFileCnt->alignment(), Qt::AlignCenter);
}

void tst_FileLoadDlg::scanLifecycle()
{
    QWidget main;
    main.setGeometry(100, 100, 640, 480);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    FileLoadProgress progress(&main);
    progress.start(3, QString());
    auto *dlg = main.findChild<TFileLoadDlg *>();
    QVERIFY(dlg);
    QVERIFY(dlg->isVisible());
    QVERIFY(!dlg->isModal());
    QVERIFY(!main.isEnabled());
    QVERIFY(dlg->isEnabled()); // the box itself does not look disabled
    QCOMPARE(dlg->Label1->text(), QStringLiteral("リプレイファイル読み込み中"));
    QCOMPARE(dlg->PbrFileLoad->maximum(), 3);
    QCOMPARE(dlg->PbrFileLoad->value(), 0);
    // Centred on the main window.
    const QPoint centre = main.mapToGlobal(main.rect().center());
    QVERIFY((dlg->geometry().center() - centre).manhattanLength() <= 2);

    const QList<std::tuple<int, QString, QString>> steps{
        {1, QStringLiteral("1 / 3"), QStringLiteral("a.dat")},
        {2, QStringLiteral("2 / 3"), QStringLiteral("ボス戦.dat")},
        {3, QStringLiteral("3 / 3"), QStringLiteral("<b>c</b>.dat")}, // shown as typed, never as markup
        {4, QStringLiteral("4 / 3"), QStringLiteral("late.dat")}, // appeared after counting
    };
    for (const auto &[position, count, name] : steps) {
        progress.step(position, count, name);
        QCOMPARE(dlg->PbrFileLoad->value(), qMin(position, 3));
        QCOMPARE(dlg->LblFileCnt->text(), count);
        QCOMPARE(dlg->LblLoadFileName->text(), name);
        QCOMPARE(dlg->LblLoadFileName->textFormat(), Qt::PlainText);
        QVERIFY(!main.isEnabled());
    }

    const QPointer<TFileLoadDlg> guard(dlg);
    progress.finish();
    QVERIFY(main.isEnabled());
    QVERIFY(guard.isNull());
    progress.finish(); // a second finish is harmless
    QVERIFY(main.isEnabled());
}

void tst_FileLoadDlg::headingReplacesDefault()
{
    QWidget main;
    FileLoadProgress progress(&main);
    progress.start(10, QStringLiteral("Tarnelリプレイフォルダ読み込み中"));
    auto *dlg = main.findChild<TFileLoadDlg *>();
    QVERIFY(dlg);
    QCOMPARE(dlg->Label1->text(), QStringLiteral("Tarnelリプレイフォルダ読み込み中"));
    QCOMPARE(dlg->Label1->pos(), QPoint(8, 12));
    QVERIFY(dlg->Label1->width() >= 141);
    QVERIFY(dlg->Label1->geometry().right() < dlg->width());
    QCOMPARE(dlg->PbrFileLoad->maximum(), 10);
    progress.finish();
}

void tst_FileLoadDlg::destructorFinishes()
{
    QWidget main;
    QPointer<TFileLoadDlg> dlg;
    {
        FileLoadProgress progress(&main);
        progress.start(5, QString());
        dlg = main.findChild<TFileLoadDlg *>();
        QVERIFY(dlg);
        QVERIFY(!main.isEnabled());
    }
    QVERIFY(main.isEnabled());
    QVERIFY(dlg.isNull());
}

void tst_FileLoadDlg::startTwiceKeepsOneBox()
{
    QWidget main;
    FileLoadProgress progress(&main);
    progress.start(5, QString());
    progress.start(7, QString());
    const QList<TFileLoadDlg *> boxes = main.findChildren<TFileLoadDlg *>();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first()->PbrFileLoad->maximum(), 7);
    QVERIFY(!main.isEnabled());
    progress.finish();
    QVERIFY(main.isEnabled());
    QVERIFY(main.findChildren<TFileLoadDlg *>().isEmpty());
}

void tst_FileLoadDlg::mainWindowGoneDuringScan()
{
    auto main = std::make_unique<QWidget>();
    FileLoadProgress progress(main.get());
    progress.start(2, QString());
    main.reset(); // takes the box with it
    progress.step(1, QStringLiteral("1 / 2"), QStringLiteral("a.dat"));
    progress.finish();
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TFileLoadDlg *>(w));
}

QTEST_MAIN(tst_FileLoadDlg)
#include "tst_FileLoadDlg.moc"

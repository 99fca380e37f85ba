#include "app/TAboutBox.h"
#include "resources/ArtResources.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

const QString MainCaption = QStringLiteral("Tarnelリプレイファイル情報");

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry"); // an empty size: sized to its text
        QTest::newRow("Panel1") << QStringLiteral("Panel1") << QStringLiteral("AboutBox") << QRect(8, 8, 353, 97);
        QTest::newRow("ProgramIcon") << QStringLiteral("ProgramIcon") << QStringLiteral("Panel1") << QRect(8, 16, 33, 33);
        QTest::newRow("ProductName") << QStringLiteral("ProductName") << QStringLiteral("Panel1") << QRect(64, 16, 0, 0);
        QTest::newRow("Version") << QStringLiteral("Version") << QStringLiteral("Panel1") << QRect(64, 40, 0, 0);
        QTest::newRow("OKButton") << QStringLiteral("OKButton") << QStringLiteral("AboutBox") << QRect(151, 116, 75, 25);
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        TAboutBox box(MainCaption, QStringLiteral("1.01"));
        auto *widget = box.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->pos(), geometry.topLeft());
        if (!geometry.isEmpty())
            QCOMPARE(widget->size(), geometry.size());
        else
            QVERIFY(widget->width() >= widget->sizeHint().width()); // text not clipped
    }

    void box()
    {
        TAboutBox box;
        QCOMPARE(box.objectName(), QStringLiteral("AboutBox"));
        QCOMPARE(box.windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(box.size(), QSize(369, 151));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(!(box.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(box.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(box.font().pixelSize(), 12);
        QVERIFY(box.font().families().contains(QStringLiteral("IPAPGothic")));
        QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
        QVERIFY(box.OKButton->isDefault());
        QVERIFY(box.ProgramIcon->hasScaledContents());

        // The box's own picture, not the program's icon.
        const QImage picture = box.ProgramIcon->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(32, 32));
        QVERIFY(picture != programIcon().pixmap(32, 32).toImage().convertToFormat(picture.format()));
    }

    void texts_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("shown");
        QTest::newRow("program version") << QStringLiteral("1.01") << QStringLiteral("Version 1.01");
        QTest::newRow("empty version keeps the blank") << QStringLiteral("") << QStringLiteral("Version ");
    }

    void texts()
    {
        QFETCH(QString, version);
        QFETCH(QString, shown);
        TAboutBox box;
        box.setTexts(MainCaption, version);
        QCOMPARE(box.ProductName->text(), MainCaption);
        QCOMPARE(box.Version->text(), shown);
        QVERIFY(box.ProductName->width() >= box.ProductName->sizeHint().width());
    }

    // Each opening builds a fresh box, shows it modally and deletes it.
    void openedTwiceShowsTheSameTexts()
    {
        for (int i = 0; i < 2; ++i) {
            auto box = std::make_unique<TAboutBox>(MainCaption, QStringLiteral("1.01"));
            QString product, version;
            QTimer::singleShot(0, box.get(), [&] {
                product = box->ProductName->text();
                version = box->Version->text();
                QVERIFY(box->isModal());
                box->OKButton->click();
            });
            QCOMPARE(box->exec(), int(QDialog::Accepted));
            QCOMPARE(product, MainCaption);
            QCOMPARE(version, QStringLiteral("Version 1.01"));
        }
    }

    void enterPressesOk()
    {
        TAboutBox box(MainCaption, QStringLiteral("1.01"));
        QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Return); });
        QCOMPARE(box.exec(), int(QDialog::Accepted));
    }

    void centredOnTheScreen()
    {
        TAboutBox box(MainCaption, QStringLiteral("1.01"));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QPoint centre = box.screen()->availableGeometry().center();
        QVERIFY2((box.frameGeometry().center() - centre).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(box.frameGeometry().center().x()).arg(box.frameGeometry().center().y())));
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_AboutBox.moc"

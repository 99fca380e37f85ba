#include "app/TAboutBox.h"

#include "platform/WidgetKit.h"
#include "platform/WindowFont.h"
#include "resources/ArtResources.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace {

QLabel *makeTextLabel(QWidget *parent, const char *name, const QString &layoutText, int x, int y)
{
    return WidgetKit::label(parent, name, layoutText, QPoint(x, y));
}

} // namespace

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(windowFont());
    setFixedSize(369, 151);
    setSizeGripEnabled(false);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 353, 97);
    // A raised inner bevel inside a lowered outer one.
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setLineWidth(1);
    auto *inner = new QFrame(Panel1);
    inner->setGeometry(1, 1, 351, 95);
    inner->setFrameShape(QFrame::Panel);
    inner->setFrameShadow(QFrame::Raised);
    inner->setLineWidth(1);
    inner->lower();

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(8, 16, 33, 33);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(QPixmap(aboutPicturePath()));

    // The layout texts are replaced by setTexts before the box is seen.
    ProductName = makeTextLabel(Panel1, "ProductName", QStringLiteral("プロダクト名"), 64, 16);
    Version = makeTextLabel(Panel1, "Version", QStringLiteral("バージョン番号"), 64, 40);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(151, 116, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

TAboutBox::TAboutBox(const QString &productName, const QString &versionText, QWidget *parent)
    : TAboutBox(parent)
{
    setTexts(productName, versionText);
}

void TAboutBox::setTexts(const QString &productName, const QString &versionText)
{
    ProductName->setText(productName);
    ProductName->adjustSize();
    Version->setText(QStringLiteral("Version ") + versionText);
    Version->adjustSize();
}

void TAboutBox::showEvent(QShowEvent *event)
{
    QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

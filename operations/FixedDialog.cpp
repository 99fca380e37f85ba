#include "operations/FixedDialog.h"

#include "platform/WindowFont.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

FixedDialog::FixedDialog(const char *name, const QString &caption, const QSize &clientSize, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QLatin1StringView(name));
    setWindowTitle(caption);
    setFont(windowFont());
    setFixedSize(clientSize);
    setSizeGripEnabled(false);
    setModal(true);
    // The face colour of buttons, as the other windows; the background role
    // stays Window so that labels keep drawing with WindowText.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);
}

QLabel *FixedDialog::makeLabel(const char *name, const QString &caption, int left, int top)
{
    auto *label = new QLabel(caption, this);
    label->setObjectName(QLatin1StringView(name));
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLabel *FixedDialog::makeValueLabel(const char *name, const QRect &geometry)
{
    auto *label = new QLabel(this);
    label->setObjectName(QLatin1StringView(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    return label;
}

QPushButton *FixedDialog::makeButton(const char *name, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1StringView(name));
    button->setGeometry(geometry);
    return button;
}

void FixedDialog::showEvent(QShowEvent *event)
{
    if (QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void FixedDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

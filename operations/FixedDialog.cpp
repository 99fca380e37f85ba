#include "operations/FixedDialog.h"

#include "platform/WidgetKit.h"
#include "platform/WindowFont.h"

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
    WidgetKit::useButtonFace(this);
}

QLabel *FixedDialog::makeLabel(const char *name, const QString &caption, int left, int top)
{
    return WidgetKit::label(this, name, caption, QPoint(left, top));
}

QLabel *FixedDialog::makeValueLabel(const char *name, const QRect &geometry)
{
    return WidgetKit::valueLabel(this, name, geometry);
}

QPushButton *FixedDialog::makeButton(const char *name, const QString &caption, const QRect &geometry)
{
    return WidgetKit::button(this, name, caption, geometry);
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

#include "platform/WidgetKit.h"

#include "platform/PlainToolTip.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace WidgetKit {

QLabel *label(QWidget *parent, const char *name, const QString &text, const QPoint &at)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1StringView(name));
    label->setTextFormat(Qt::PlainText);
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1StringView(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

QLabel *valueLabel(QWidget *parent, const char *name, const QRect &geometry, const QColor &colour)
{
    QLabel *value = label(parent, name, QString(), geometry);
    setTextColour(value, colour);
    return value;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1StringView(name));
    button->setGeometry(geometry);
    return button;
}

void setNameText(QLabel *label, const QString &text, Qt::TextElideMode mode)
{
    const QFontMetrics metrics(label->font());
    const int room = label->contentsRect().width();
    if (metrics.horizontalAdvance(text) <= room) {
        label->setText(text);
        label->setToolTip(QString());
        return;
    }
    label->setText(metrics.elidedText(text, mode, room));
    label->setToolTip(plainToolTip(text));
}

void setWholeText(QLabel *label, const QString &text)
{
    const char *designed = "designedWidth";
    if (!label->property(designed).isValid())
        label->setProperty(designed, label->width());
    const int width = qMax(label->property(designed).toInt(), QFontMetrics(label->font()).horizontalAdvance(text));
    label->setFixedWidth(width);
    label->setText(text);
}

bool showsWhole(const QLabel *label)
{
    return QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->contentsRect().width();
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

void useButtonFace(QWidget *window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

} // namespace WidgetKit

#include "catalogue/ReplayCellDelegate.h"
#include "catalogue/ReplayTableModel.h"
#include "platform/PlainToolTip.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

QColor ReplayCellDelegate::storedMarkColor()
{
    return QColor(0, 128, 0);
}

QRect ReplayCellDelegate::storedMarkRect(const QRect &cell)
{
    // 10 x 10 at the right end, clear of a centred slot name.
    constexpr int Size = 10;
    return QRect(cell.right() - 3 - Size + 1, cell.center().y() - Size / 2, Size, Size);
}

bool ReplayCellDelegate::isCut(const QString &text, const QFont &font, const QRect &cell)
{
    // The text is drawn 2 pixels in from each side.
    return QFontMetrics(font).horizontalAdvance(text) > cell.width() - 4;
}

bool ReplayCellDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                   const QModelIndex &index)
{
    if (event->type() == QEvent::ToolTip && index.isValid() && !index.data(Qt::ToolTipRole).isValid()) {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty() && isCut(text, option.font, option.rect)) {
            QToolTip::showText(event->globalPos(), plainToolTip(text), view->viewport(), option.rect);
            return true;
        }
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

void ReplayCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);

    const bool fixed = index.data(ReplayTableModel::FixedCellRole).toBool();
    const bool marked = index.data(ReplayTableModel::MarkedRole).toBool();
    const bool selected = !fixed && (opt.state & QStyle::State_Selected);

    QPalette::ColorGroup group = QPalette::Normal;
    if (!(opt.state & QStyle::State_Enabled))
        group = QPalette::Disabled;
    else if (!(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QPalette &palette = opt.palette;

    // The mark wins over everything: a marked row stays red when selected.
    QBrush background;
    if (marked)
        background = ReplayTableModel::markedRowColor();
    else if (fixed)
        background = palette.brush(group, QPalette::Button);
    else if (selected)
        background = palette.brush(group, QPalette::Highlight);
    else if (const QVariant colour = index.data(Qt::BackgroundRole); colour.typeId() == QMetaType::QColor)
        background = QBrush(colour.value<QColor>());
    else if (colour.typeId() == QMetaType::QBrush)
        background = colour.value<QBrush>();
    else
        background = palette.brush(group, QPalette::Base);

    painter->save();
    const QRect cellRect = opt.rect;
    painter->fillRect(cellRect, background);

    if (fixed && !marked) {
        // One-pixel raised edge: light on top and left, shadow on bottom and right.
        painter->setPen(palette.color(group, QPalette::Light));
        painter->drawLine(cellRect.topLeft(), cellRect.topRight());
        painter->drawLine(cellRect.topLeft(), cellRect.bottomLeft());
        painter->setPen(palette.color(group, QPalette::Dark));
        painter->drawLine(cellRect.bottomLeft(), cellRect.bottomRight());
        painter->drawLine(cellRect.topRight(), cellRect.bottomRight());
    }

    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
        // Highlighted text on the highlight; a marked row keeps the dark text,
        // which stays readable on its light red.
        const QColor textColour = selected && !marked ? palette.color(group, QPalette::HighlightedText)
                                                      : palette.color(group, QPalette::WindowText);
        const QRect textRect = cellRect.adjusted(2, 2, -2, -2);
        if (textRect.width() > 0 && textRect.height() > 0) {
            const Qt::Alignment horizontal = opt.displayAlignment & Qt::AlignHorizontal_Mask;
            painter->setFont(opt.font);
            painter->setPen(textColour);
            painter->setClipRect(textRect);
            const QString shown = QFontMetrics(opt.font).elidedText(text, Qt::ElideRight, textRect.width());
            painter->drawText(textRect, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), shown);
        }
    }

    if (!index.data(ReplayTableModel::StoredRole).toStringList().isEmpty()) {
        const QRect mark = storedMarkRect(cellRect);
        QPainterPath check;
        check.moveTo(mark.left() + 1, mark.top() + mark.height() / 2);
        check.lineTo(mark.left() + mark.width() * 2 / 5, mark.bottom() - 1);
        check.lineTo(mark.right(), mark.top() + 1);
        painter->setClipping(false);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(storedMarkColor(), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(check);
    }
    painter->restore();
}

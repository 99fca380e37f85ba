#include "catalogue/ReplayCellDelegate.h"
#include "catalogue/ReplayTableModel.h"

#include <QPainter>

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
    painter->restore();
}

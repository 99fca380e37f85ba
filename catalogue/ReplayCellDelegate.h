#pragma once

#include <QStyledItemDelegate>

// Paints the cells of both replay tables: fixed cells in the button face with
// a raised edge, the selected row highlighted, even rows light green,
// deletion marks light red, text inset by 2 pixels on one line, vertically
// centred, aligned by column.
class ReplayCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

#pragma once

#include <QStyledItemDelegate>

// Paints the cells of both replay tables: fixed cells in the button face with
// a raised edge, the selected row highlighted, even rows light green,
// deletion marks light red, text inset by 2 pixels on one line, vertically
// centred, aligned by column. A game slot whose replay is also in the storage
// folder gets a small check at the right end of its file-name cell; the text
// stays as it is.
class ReplayCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QColor storedMarkColor(); // dark green
    // Where the check is drawn in a cell.
    static QRect storedMarkRect(const QRect &cell);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // A cell whose text is cut (a long file or player name in a narrow
    // column) shows the whole text in its tip.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;
    // True when the cell's text is wider than the room it is drawn in.
    static bool isCut(const QString &text, const QFont &font, const QRect &cell);
};

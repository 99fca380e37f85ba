#pragma once

#include <QTableView>

// The view of a replay table. It tells whether the current row is being
// moved by the keyboard (arrows, Page and Home/End keys, typing a name), so
// that a page can tell a look through the list from a choice made with the
// mouse, and it hands Space to the page.
class ReplayTableView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    // True while a key press moves the current row.
    bool movingByKey() const { return m_byKey; }
    // Lays the rows out now rather than when the event loop comes round:
    // a scroll position set afterwards is not moved by that layout.
    void layOutNow() { executeDelayedItemsLayout(); }

signals:
    // Space without modifiers, on the current row.
    void spacePressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_byKey = false;
};

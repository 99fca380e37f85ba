#include "app/ReplayTableView.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

void ReplayTableView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        emit spacePressed();
        event->accept();
        return;
    }
    const QScopedValueRollback<bool> byKey(m_byKey, true);
    QTableView::keyPressEvent(event);
}

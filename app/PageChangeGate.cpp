#include "app/PageChangeGate.h"

#include <QKeyEvent>
#include <QTabBar>
#include <QTabWidget>

PageChangeGate::PageChangeGate(QTabWidget *tabs, std::function<bool()> allowed)
    : QObject(tabs),
      m_tabs(tabs),
      m_allowed(std::move(allowed))
{
    tabs->tabBar()->installEventFilter(this);
    tabs->installEventFilter(this);
}

bool PageChangeGate::eventFilter(QObject *watched, QEvent *event)
{
    bool pageChange = false;
    if (watched == m_tabs->tabBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            pageChange = true;
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            pageChange = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down
                         || key == Qt::Key_Home || key == Qt::Key_End;
            break;
        }
        default:
            break;
        }
    } else if (watched == m_tabs && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        pageChange = (key->modifiers() & Qt::ControlModifier)
                     && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_PageUp
                         || key->key() == Qt::Key_PageDown);
    }
    return pageChange && !m_allowed();
}

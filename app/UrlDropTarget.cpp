#include "app/UrlDropTarget.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

UrlDropTarget::UrlDropTarget(QWidget *widget, std::function<bool()> allowed)
    : QObject(widget),
      m_widget(widget),
      m_allowed(std::move(allowed))
{
    widget->setAcceptDrops(true);
    widget->installEventFilter(this);
}

bool UrlDropTarget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_widget)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const bool wanted = !drop->source() && drop->mimeData()->hasUrls() && m_allowed();
        if (!wanted) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop) {
            const QList<QUrl> urls = drop->mimeData()->urls();
            QTimer::singleShot(0, this, [this, urls] { emit dropped(urls); });
        }
        return true;
    }
    case QEvent::DragLeave:
        return true;
    default:
        return false;
    }
}

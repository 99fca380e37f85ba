#include "app/WindowPlace.h"

#include "app/ViewSettings.h"

#include <QWidget>

void storeWindowPlace(const QWidget *window, ViewSettings &view)
{
    if (!window->isVisible())
        return;
    view.maximized = window->isMaximized();
    if (!view.maximized) {
        view.windowPos = window->pos();
        view.windowSize = window->size();
        return;
    }
    // The normal place is that of the client area; the stored one is the frame's.
    const QRect normal = window->normalGeometry();
    if (normal.isValid()) {
        view.windowPos = normal.topLeft() - (window->geometry().topLeft() - window->pos());
        view.windowSize = normal.size();
    }
}

void restoreWindowPlace(QWidget *window, const ViewSettings &view)
{
    if (view.windowSize)
        window->resize(view.windowSize->expandedTo(window->minimumSize()));
    if (view.windowPos && isPlaceOnScreens(QRect(*view.windowPos, window->frameGeometry().size())))
        window->move(*view.windowPos);
    if (view.maximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

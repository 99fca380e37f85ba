#include "app/ClientArea.h"

ClientArea::ClientArea(QWidget *pages, QWidget *panel, QWidget *parent)
    : QWidget(parent),
      m_pages(pages),
      m_panel(panel)
{
    setObjectName(QStringLiteral("ClientArea"));
    setMinimumSize(DesignedSize);
    pages->setParent(this);
    panel->setParent(this);
    resize(DesignedSize);
}

void ClientArea::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int extra = qMax(0, height() - DesignedSize.height());
    const int pagesHeight = DesignedPagesHeight + extra - extra / 4;
    m_pages->setGeometry(0, 0, width(), pagesHeight);
    m_panel->setGeometry(0, pagesHeight, width(), height() - pagesHeight);
    if (const int wider = qMax(0, width() - DesignedSize.width()); wider != m_extraWidth) {
        m_extraWidth = wider;
        emit extraWidthChanged(wider);
    }
}

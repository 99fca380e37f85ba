#pragma once

#include <QSize>
#include <QWidget>

// The window's client area below the menu bar: the pages above the detail
// panel. At its designed size (850 x 545) both keep their designed places;
// a larger window gives its extra width to both and its extra height mostly
// to the pages (the tables), a quarter of it to the panel (the comment).
class ClientArea : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize DesignedSize{850, 545};
    static constexpr int DesignedPagesHeight = 345;

    ClientArea(QWidget *pages, QWidget *panel, QWidget *parent = nullptr);

signals:
    // The width beyond the designed one (0 at the designed size).
    void extraWidthChanged(int extra);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_extraWidth = 0;
    QWidget *m_pages;
    QWidget *m_panel;
};

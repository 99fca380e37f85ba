#pragma once

#include <QObject>

#include <functional>

class QTabWidget;

// Keeps a tab widget on its page while `allowed` says no: every way the user
// changes the page (a click, the wheel or an arrow key on the tab bar,
// Ctrl+Tab and Ctrl+PageUp/PageDown on the widget) is swallowed then.
class PageChangeGate : public QObject {
public:
    PageChangeGate(QTabWidget *tabs, std::function<bool()> allowed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTabWidget *m_tabs;
    std::function<bool()> m_allowed;
};

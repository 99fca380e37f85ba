#pragma once

#include <QObject>
#include <QString>

#include <array>

class QLabel;
class QStatusBar;
class QToolButton;

// The window's status bar: the folder's name, its path, the filter's count,
// and at the right the count of the storage folder's unreadable files (a
// button that opens their list), shown only while there are any. The path
// takes the room of a window wider than designed.
class StatusLine : public QObject {
    Q_OBJECT
public:
    explicit StatusLine(QStatusBar *bar);

    // What the bar shows for the page in view: countTexts as ReplayPage
    // gives them (text and tip of panel 2), unreadable files to count (0:
    // the button is hidden).
    void show(const QString &caption, const QString &path, const std::array<QString, 2> &countTexts,
              int unreadable);

    // Says what just happened (a copy made, files moved to the trash, ...)
    // over the panels for a few seconds; the panels come back by themselves.
    void say(const QString &text);

    std::array<QLabel *, 3> panels;
    QToolButton *unreadableButton;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fitPanels();
    // The count of unreadable files when there are any, but never over a
    // message that is being said.
    void placeUnreadable();

    QStatusBar *m_bar;
    QString m_path;
    bool m_hasUnreadable = false;
};

#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>

class QWidget;

// Lets a widget take files dropped from other programs (a file manager): a
// drag that carries URLs is accepted as a copy while `allowed` says so, and
// the URLs are handed on after the drop has finished, so that questions
// asked about them do not hold up the program the files came from. Drags
// started inside this program are not taken.
class UrlDropTarget : public QObject {
    Q_OBJECT
public:
    UrlDropTarget(QWidget *widget, std::function<bool()> allowed);

signals:
    void dropped(const QList<QUrl> &urls);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_widget;
    std::function<bool()> m_allowed;
};

#pragma once

#include "operations/DeletionMarks.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QTimer;

// Deletion mode of the storage page, without widgets: whether it is on, the
// files marked (by exact name), and the guard that keeps a burst of
// selection events for one row from toggling its mark more than once (the
// row toggled last is not toggled again within GuardMs). It says when the
// mode or the marks change; the page shows both.
class DeletionSession : public QObject {
    Q_OBJECT
public:
    static constexpr int GuardMs = 500;

    explicit DeletionSession(QObject *parent = nullptr);

    bool isOn() const { return m_on; }                           // DeleteMode
    const QStringList &names() const { return m_marks.names(); } // DelFileList, in marking order
    int count() const { return m_marks.count(); }
    int guardRow() const { return m_marks.guardRow(); } // FileSelectRow: the row toggled last, 0 for none
    // The guard's single-shot timer (tmFileSelect), running while a row is guarded.
    QTimer *guardTimer() const { return m_guard; }

    // Turns the mode on with only `selected` marked (an empty name marks
    // nothing), or off with no marks.
    void start(const QString &selected);
    void stop();

    // The user selected grid row `row`, whose file is `name`: while on, its
    // mark toggles unless that row was toggled within the guard time.
    void select(int row, const QString &name);
    // The Delete key: toggles the mark of `name` while on. False when nothing changed.
    bool toggle(const QString &name);
    // The rows have moved (the folder was read again): marks stay only on
    // the names still listed, in marking order; the guard starts afresh.
    void keepListed(const std::function<bool(const QString &)> &listed);
    // Marks exactly these names; the guard starts afresh.
    void markExactly(const QStringList &names);
    // The guard's time has run out (tmFileSelectTimer).
    void guardExpired();
    // Forgets the marks at the end of the run; the mode stays as it is.
    void clearMarks();

signals:
    void modeChanged(bool on);
    void marksChanged();

private:
    void restartGuard();
    void dropGuard();

    bool m_on = false;
    DeletionMarks m_marks;
    QTimer *m_guard;
};

#include "operations/DeletionSession.h"

#include <QTimer>

DeletionSession::DeletionSession(QObject *parent)
    : QObject(parent),
      m_guard(new QTimer(this))
{
    m_guard->setObjectName(QStringLiteral("tmFileSelect"));
    m_guard->setInterval(GuardMs);
    m_guard->setSingleShot(true);
    connect(m_guard, &QTimer::timeout, this, &DeletionSession::guardExpired);
}

void DeletionSession::start(const QString &selected)
{
    m_on = true;
    m_marks.clear();
    // The row selected when the mode starts is marked at once.
    m_marks.mark(selected);
    emit modeChanged(true);
    emit marksChanged();
}

void DeletionSession::stop()
{
    m_on = false;
    m_marks.clear();
    dropGuard();
    emit modeChanged(false);
    emit marksChanged();
}

void DeletionSession::select(int row, const QString &name)
{
    if (!m_on)
        return;
    if (m_marks.select(row, name))
        restartGuard();
    emit marksChanged();
}

bool DeletionSession::toggle(const QString &name)
{
    if (!m_on || !m_marks.toggle(name))
        return false;
    emit marksChanged();
    return true;
}

void DeletionSession::keepListed(const std::function<bool(const QString &)> &listed)
{
    QStringList kept;
    for (const QString &name : m_marks.names()) {
        if (listed(name))
            kept.append(name);
    }
    m_marks.keepOnly(kept);
    dropGuard();
    emit marksChanged();
}

void DeletionSession::markExactly(const QStringList &names)
{
    m_marks.clear();
    for (const QString &name : names)
        m_marks.mark(name);
    dropGuard();
    emit marksChanged();
}

void DeletionSession::guardExpired()
{
    dropGuard();
}

void DeletionSession::clearMarks()
{
    m_marks.clear();
}

void DeletionSession::restartGuard()
{
    m_guard->stop();
    m_guard->start();
}

void DeletionSession::dropGuard()
{
    m_marks.clearGuard();
    m_guard->stop();
}

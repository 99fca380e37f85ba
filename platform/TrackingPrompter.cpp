#include "platform/TrackingPrompter.h"

void TrackingPrompter::error(QWidget *owner, const QString &text, const QString &details)
{
    const Open open(m_open);
    m_asked.error(owner, text, details);
}

void TrackingPrompter::information(QWidget *owner, const QString &text)
{
    const Open open(m_open);
    m_asked.information(owner, text);
}

bool TrackingPrompter::question(QWidget *owner, const QString &text, const QString &details)
{
    const Open open(m_open);
    return m_asked.question(owner, text, details);
}

std::optional<QString> TrackingPrompter::chooseFolder(QWidget *owner, const QString &title, const QString &root,
                                                      const QString &preselect)
{
    const Open open(m_open);
    return m_asked.chooseFolder(owner, title, root, preselect);
}

bool TrackingPrompter::confirmReplace(QWidget *owner, const QString &path, const QString &holds)
{
    const Open open(m_open);
    return m_asked.confirmReplace(owner, path, holds);
}

bool TrackingPrompter::confirmDelete(QWidget *owner, const QStringList &paths, int hidden)
{
    const Open open(m_open);
    return m_asked.confirmDelete(owner, paths, hidden);
}

void TrackingPrompter::ask(QWidget *owner, DialogQuery &query)
{
    const Open open(m_open);
    m_asked.ask(owner, query);
}

std::optional<QString> TrackingPrompter::chooseSaveFile(QWidget *owner, const QString &title,
                                                        const QString &suggestedPath, const QString &filter)
{
    const Open open(m_open);
    return m_asked.chooseSaveFile(owner, title, suggestedPath, filter);
}

#include "app/DuplicateMarkCommand.h"

#include "app/ReplayWorkspace.h"
#include "operations/DuplicatesQuery.h"

#include <QCursor>
#include <QGuiApplication>

DuplicateMarkCommand::DuplicateMarkCommand(const ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner)
    : m_workspace(workspace),
      m_prompter(prompter),
      m_owner(owner)
{
}

QStringList DuplicateMarkCommand::run() const
{
    // Candidates' streams are read again to be compared byte for byte.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    DuplicateGroups groups = DuplicateFinder(m_workspace.Replays(), m_workspace.StorageDir()).find();
    QGuiApplication::restoreOverrideCursor();
    if (groups.empty()) {
        m_prompter.information(m_owner, QStringLiteral("重複したリプレイはありません。"));
        return {};
    }
    DuplicatesQuery query(std::move(groups));
    m_prompter.ask(m_owner, query);
    if (!query.markRequested)
        return {};
    QStringList listed;
    for (const QString &name : DuplicateFinder::allButOldest(query.groups)) {
        if (m_workspace.Replays().itemByName(name))
            listed.append(name);
    }
    return listed;
}

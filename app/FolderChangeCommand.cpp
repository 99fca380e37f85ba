#include "app/FolderChangeCommand.h"

#include "app/ReplayWorkspace.h"
#include "app/Seldir.h"
#include "app/Settings.h"

FolderChangeCommand::FolderChangeCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner)
    : m_workspace(workspace),
      m_prompter(prompter),
      m_owner(owner)
{
}

bool FolderChangeCommand::run(FolderKind folder, ScanProgress *progress) const
{
    const bool game = folder == FolderKind::Game;
    QString dir = m_workspace.dir(folder);
    if (!SelDirectory(m_prompter, m_owner, game ? TarnelFolderTitle() : StorageFolderTitle(), FolderChooserRoot(), dir))
        return false;
    if (game)
        m_workspace.setTarnelDir(dir + QLatin1Char('/'));
    else
        m_workspace.setStorageDir(dir + QLatin1Char('/'));
    m_workspace.reload(folder, progress);
    return true;
}

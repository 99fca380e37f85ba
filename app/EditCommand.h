#pragma once

#include "catalogue/FolderKind.h"
#include "operations/CommandResult.h"

#include <functional>

class Prompter;
class QWidget;
class ReplayWorkspace;

// Changes the player name and comment stored in one replay: asks through the
// name and comment dialog, changes the texts in memory, lets the window show
// them, then rewrites the file behind its unchanged recorded run. After a
// failed write the new texts stay in memory and on screen, so OK pressed
// again writes them again.
class EditCommand {
public:
    EditCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner);

    // fileName: a game slot's file name or a storage file. shown is called
    // once the texts are in memory, before the file is written. Cancelled
    // when the user cancelled or there is no such replay.
    CommandResult run(FolderKind folder, const QString &fileName, const std::function<void()> &shown) const;

    // Rewrites the file with the name and comment held in memory. False
    // when it could not be written (the old file is then unchanged; reason,
    // may be null, says why).
    bool WriteReplayText(FolderKind folder, const QString &fileName, QString *reason = nullptr) const;

private:
    ReplayWorkspace &m_workspace;
    Prompter &m_prompter;
    QWidget *m_owner;
};

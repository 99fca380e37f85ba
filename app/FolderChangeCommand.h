#pragma once

#include "catalogue/FolderKind.h"

class Prompter;
class QWidget;
class ReplayWorkspace;
class ScanProgress;

// The Settings menu's commands: choose another game replay folder or storage
// folder while the program runs, and read it. The settings file learns the
// folder at the close question.
class FolderChangeCommand {
public:
    FolderChangeCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner);

    // Asks for the folder (starting at the one in use); when one is chosen,
    // the workspace takes it and reads it, showing progress (may be null).
    // False when the user cancelled: nothing changed.
    bool run(FolderKind folder, ScanProgress *progress) const;

private:
    ReplayWorkspace &m_workspace;
    Prompter &m_prompter;
    QWidget *m_owner;
};

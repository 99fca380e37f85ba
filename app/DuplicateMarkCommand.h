#pragma once

#include <QStringList>

class Prompter;
class QWidget;
class ReplayWorkspace;

// Finds identical replays in the storage folder and shows them in a list,
// from which the user may ask to mark every file but the oldest of each
// group for deletion. "重複したリプレイはありません。" when there are none.
class DuplicateMarkCommand {
public:
    DuplicateMarkCommand(const ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner);

    // The files to mark, those still listed when the list closed (the folder
    // may have been read again meanwhile); empty when none are to be marked.
    QStringList run() const;

private:
    const ReplayWorkspace &m_workspace;
    Prompter &m_prompter;
    QWidget *m_owner;
};

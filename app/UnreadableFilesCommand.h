#pragma once

#include "operations/UnreadableFilesQuery.h"

#include <QByteArray>
#include <QList>

#include <functional>

class FileWorkRunner;
class QWidget;
class ReplayWorkspace;
class ScanProgress;
class TrashUndo;

// The list of the storage folder's files that are left out of the table, and
// what can be done from it: moving files to the trash, and renaming the
// files whose names are not UTF-8 to their Shift-JIS reading. The list is
// shown through the prompter again after every change, until the user
// closes it or no file is left. Every change is confirmed once for the whole
// set, followed by a new read of the storage folder (only what changed is
// read) and one message listing what failed.
class UnreadableFilesCommand {
public:
    UnreadableFilesCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner);

    // Shown while the storage folder is read again; null (the default): none.
    void setProgress(ScanProgress *progress) { m_progress = progress; }
    // Where files are moved and renamed; null (the default): here.
    void setRunner(FileWorkRunner *runner) { m_runner = runner; }
    // false: the list is shown, but nothing is offered (deletion mode).
    void setCanChange(bool canChange) { m_canChange = canChange; }
    // Called after every new read of the storage folder, so that the window
    // shows the new catalogue.
    void setRefresh(std::function<void()> refresh) { m_refresh = std::move(refresh); }
    // Where the files moved to the trash are remembered for undo; null (the default): nowhere.
    void setUndo(TrashUndo *undo) { m_undo = undo; }

    void run();

    // The list as the workspace holds it now; the files named in selected
    // are selected.
    UnreadableFilesRequest request(const QList<QByteArray> &selected = {}) const;

    // Moves these left-out files (raw names) to the trash after one
    // confirmation. False when the user declined: nothing was changed.
    bool trash(const QList<QByteArray> &names);
    // Renames every left-out file whose name is not UTF-8 and decodes
    // cleanly, after one confirmation that also names the files left alone.
    // False when nothing was renamed because the user declined or no name
    // could be converted.
    bool renameNames();

private:
    void reread();

    ReplayWorkspace &m_workspace;
    Prompter &m_prompter;
    QWidget *m_owner;
    ScanProgress *m_progress = nullptr;
    FileWorkRunner *m_runner = nullptr;
    bool m_canChange = true;
    std::function<void()> m_refresh;
    TrashUndo *m_undo = nullptr;
};

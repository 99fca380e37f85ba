#pragma once

#include "catalogue/FolderKind.h"
#include "operations/CommandResult.h"
#include "operations/CopyTargetQuery.h"
#include "operations/NameTemplate.h"
#include "replay/ReplayIdentity.h"

class FileWorkRunner;
class Prompter;
class QWidget;
class ReplayWorkspace;

// Copies one replay to the other folder: a game slot into the storage folder
// under a name the user types, a storage file into one of the ten slots. The
// destination is asked through the copy dialog; an existing file is replaced
// only after the user said Yes, and a failed copy leaves it as it was. The
// folder copied into is to be read again after a copy (the workspace knows
// the new file as the program's own).
class CopyCommand {
public:
    // runner: where the copy runs (null: here, as it is asked for).
    CopyCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner, FileWorkRunner *runner = nullptr);

    // The template whose name the dialog offers for a game slot (by default the default template).
    void setNameTemplate(const NameTemplate &nameTemplate) { m_template = nameTemplate; }

    // from: the folder of the file; fileName: the file, without folder;
    // storedNames: storage files that already hold this replay (shown when a
    // game slot is copied). No to replacing an existing file asks the dialog
    // again, with the name typed or the slot chosen kept. Cancelled when the
    // user cancelled or stopped the copy; otherwise one outcome, for the
    // destination's name, and the file it replaced, now in the trash.
    CommandResult run(FolderKind from, const QString &fileName, const QStringList &storedNames = {}) const;

    // The copy dialog's request for this copy.
    CopyTargetRequest request(FolderKind from, const QString &fileName, const QStringList &storedNames) const;

private:
    // What the destination holds, for the question before it is replaced.
    QString destinationHolds(const CopyTargetRequest &asked, const QString &target) const;
    // The replay the dialog shows for this file (null when none is known).
    ReplayIdentity shownIdentity(FolderKind from, const QString &fileName) const;

    ReplayWorkspace &m_workspace;
    Prompter &m_prompter;
    QWidget *m_owner;
    NameTemplate m_template;
    FileWorkRunner *m_runner;
};

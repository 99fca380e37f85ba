#pragma once

#include "operations/CommandResult.h"
#include "platform/FileListMessage.h"

#include <QByteArray>
#include <QList>
#include <QString>

class FileWorkRunner;
class Prompter;
class QWidget;

// One file to move to the trash: its name and path as the user sees them,
// and its path as the system spells it (a name that is not UTF-8 included).
struct TrashItem {
    QString shownName;
    QString shownPath;
    QByteArray path;
};

// Moves files to the trash after one confirmation for the whole set: the
// deletion mode's "削除　実行" and the list of unreadable files. The result
// has one outcome per file tried; its message names every file that stayed
// and why. The player may stop the moving between two files.
class TrashCommand {
public:
    // runner: where the files are moved (null: here, as it is asked for).
    TrashCommand(Prompter &prompter, QWidget *owner, FileWorkRunner *runner = nullptr);

    // hidden: how many of the items the table does not show now (a filter
    // hides them); the confirmation says so. Cancelled when the user declined.
    // When the player stopped the moving, the items not tried are untouched.
    CommandResult run(const QList<TrashItem> &items, int hidden = 0) const;

    // The one message of a trash result: the files that could not be moved,
    // each with its reason; empty when all went.
    static FileListMessage failureMessage(const QList<FileOutcome> &files);

private:
    Prompter &m_prompter;
    QWidget *m_owner;
    FileWorkRunner *m_runner;
};

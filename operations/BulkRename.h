#pragma once

#include "operations/CommandResult.h"
#include "operations/NameTemplate.h"
#include "replay/ReplayInfo.h"

#include <QList>
#include <QString>

class FileWorkProgress;

// One file of a bulk rename: its name now and the name it gets.
struct BulkRenameRow {
    QString oldName;
    QString newName;
    bool suffixed = false; // the template's name was taken: a number was added
};

// Renames storage files to their template names. The plan gives every file
// the template's name, numbered where the name is taken (by another file of
// the folder or by an earlier row), and leaves out files whose name would not
// change; the renames never replace a file, so a file that appeared after the
// plan keeps its name and the row fails.
class BulkRename {
public:
    struct Source {
        QString fileName;
        ReplayInfo replay{};
    };

    // folder ends with "/"; files in the order shown. unchanged (may be
    // null) gets how many keep their names.
    static QList<BulkRenameRow> plan(const QString &folder, const QList<Source> &files,
                                     const NameTemplate &nameTemplate, int *unchanged = nullptr);

    // One outcome per row tried (named by the old name); the message names
    // every failure. progress (may be null) is told of each file; once it is
    // cancelled no further file is renamed.
    static CommandResult run(const QString &folder, const QList<BulkRenameRow> &rows,
                             FileWorkProgress *progress = nullptr);
};

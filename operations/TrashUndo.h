#pragma once

#include "operations/CommandResult.h"

#include <QList>

class FileWorkProgress;

// The undo of the program's last trash operation in this run: the files a
// deletion, the list of unreadable files, or a copy that replaced a file
// moved to the trash. Undo moves them back under their own names, as long as
// they are still in the trash, and removes their notes there; a name taken
// meanwhile is never replaced (the file stays in the trash, and a later undo
// may try again). A file that a copy replaced comes back in place of the
// copy, which goes to the trash in turn, unless the name holds another file
// by now.
class TrashUndo {
public:
    // Files of a new trash operation replace what was remembered; an
    // operation that moved nothing leaves it as it was.
    void remember(const QList<TrashedFile> &files);
    bool isEmpty() const { return m_files.isEmpty(); }
    const QList<TrashedFile> &files() const { return m_files; }
    void clear() { m_files.clear(); }

    // Brings the files back, one after the other. progress (may be null) is
    // told of each; once it is cancelled no further file is moved. What is
    // remembered afterwards: the files still in the trash that could not come
    // back. One outcome per file tried; the message names every failure.
    CommandResult run(FileWorkProgress *progress = nullptr);

private:
    QList<TrashedFile> m_files;
};

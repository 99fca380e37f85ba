#pragma once

#include "platform/FileError.h"

#include <QByteArray>
#include <QtGlobal>

// A new file that takes the place of a name in one step: it is written under
// a temporary name in the same folder and renamed over the name only once it
// is complete and on the drive, so the old file stays whole until then, and
// after any failure the name holds what it held and no temporary file is
// left.
//
// Whatever is at the name is replaced, never written through: a link there
// (even one to nothing) is replaced by the new file, and the file it points
// to is left alone. A caller that means to rewrite a link's target resolves
// the link first.
//
// The temporary name is short and of fixed length, whatever the name it
// stands in for (so a name at the file system's limit can be replaced), and
// hidden with no ".dat", so no folder listing counts it.
class ReplacementFile {
public:
    // The length in bytes of every temporary name: "." and "qvtmp-" and six
    // random letters or digits.
    static constexpr int TemporaryNameBytes = 13;

    // nativePath: the name to create or replace, as the system spells it.
    explicit ReplacementFile(QByteArray nativePath);
    ~ReplacementFile(); // discards a file not committed
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Creates the temporary file beside the name, open for reading and
    // writing. It takes the permission bits of a regular file at the name;
    // otherwise it gets those of any new file.
    FileError open();

    // The temporary file's descriptor, from open() to finish(), commit() or discard().
    int handle() const { return m_fd; }
    const QByteArray &temporaryPath() const { return m_temporaryPath; }

    // Appends bytes at the file's current position; a short write is an error.
    FileError write(const char *data, qint64 size);

    enum class Commit {
        Replace,   // whatever is at the name is replaced
        NoReplace, // only a free name is taken: Exists when it is taken, and nothing changed
    };

    // Puts the content on the drive and closes the file, which keeps its
    // temporary name until commit() (a step that cannot run out of room
    // before the name is touched).
    FileError finish();

    // finish() when not done yet, then renames the file to the name.
    FileError commit(Commit mode = Commit::Replace);

    // Closes and removes the temporary file; the name keeps what it held.
    void discard();

private:
    QByteArray m_path;
    QByteArray m_temporaryPath;
    int m_fd = -1;
};

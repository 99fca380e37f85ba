#pragma once

#include "platform/RegularFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// When a file last changed, as the system tells it. A file whose stamp is
// unchanged still holds what it held: a rewrite changes the change time (and a
// replacement the inode) even where it keeps size and modification time.
struct FileStamp {
    qint64 size = 0;
    qint64 mtimeNs = 0; // nanoseconds since 1970
    qint64 ctimeNs = 0;
    quint64 inode = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// One entry of a folder named like a replay file.
struct ListedFile {
    QByteArray nameBytes; // as the system spells it
    QString name;         // as text: the UTF-8 name, or its Shift-JIS decoding for showing
    bool utf8 = true;     // false: no path string can name the file
    // Not refused: a regular file or a link to one. Otherwise why not: a
    // special file, a link to nothing, a name that cannot be looked at.
    RegularFile::Result status;
    bool danglingLink = false;
    FileStamp stamp; // of a regular file
};

// Whether a folder can be listed.
enum class FolderState {
    Present,
    Missing,    // no such folder (or a file of that name)
    Unreadable, // there, but its entries cannot be listed
};

// Lists a folder by its raw names, in the order the system delivers them.
// Named like a replay means "*.dat" with the letter case of the extension
// ignored and not hidden (no leading "."); folders (and links to folders) are
// never entries.
//
// What the system is asked lives in one file per system
// (FolderListingPosix.cpp); the rest here.
class FolderListing {
public:
    static bool isReplayName(QByteArrayView name);
    // Gives an entry whose nameBytes are set its text and whether the name is
    // UTF-8; nothing is looked at yet.
    static void setNameText(ListedFile &file);

    // Whether folder (the path as the system spells it) can be listed.
    static FolderState stateOf(const QByteArray &folder);

    // Every entry, each with its stamp (or why it has none), in listing
    // order; empty when the folder cannot be listed. folder is the path as the
    // system spells it (a trailing "/" is fine).
    static std::vector<ListedFile> list(const QByteArray &folder);

    // The stamp of an open file.
    static bool stampOfDescriptor(int fd, FileStamp *stamp);
    // The stamp of the file a path names (following links); false with the
    // reason in status when it is no regular file.
    static bool stampOfPath(const QByteArray &path, FileStamp *stamp, RegularFile::Result *status);
};

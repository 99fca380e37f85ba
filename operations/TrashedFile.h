#pragma once

#include "platform/FileError.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

// Which file a name holds: enough to tell, later, whether it still holds the
// very file the program wrote there.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 mtimeNs = 0;

    // Of the file at path itself (a link is not followed); nothing when there is none.
    static std::optional<FileIdentity> of(const QByteArray &path);

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// A file the program moved to the trash, for undo.
struct TrashedFile {
    QString name;         // as shown to the player
    QByteArray path;      // where it was, as the system spells it
    QByteArray trashPath; // where it is in the trash
    // When a copy took the file's place: that copy, which makes way (to the
    // trash in turn) when the file is brought back.
    std::optional<FileIdentity> replacedBy;
};

// Moves a file from the trash back to originalPath, never over another file
// (Exists when the name is taken; Missing when the file is no longer in the
// trash), and removes its note from the trash.
FileError putBackFromTrash(const QByteArray &trashPath, const QByteArray &originalPath);

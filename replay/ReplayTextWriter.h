#pragma once

#include "replay/ReplayInfo.h"

class QByteArray;
class QIODevice;
class QString;

// Writes to target the replay read from source (positioned at its first byte)
// with a new player name and comment: the first L bytes of source unchanged,
// where L is the length of its compressed stream, then the 30 name bytes and
// the 1024 comment bytes. Whatever followed the old fields is left out. The
// stream is copied in bounded chunks, never decompressed into memory. Returns
// false when source holds no valid stream or a read or write falls short.
bool RewriteReplayText(QIODevice &source, QIODevice &target, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize]);

// Rewrites the replay file at path the same way. The new content goes to a new
// file in the same folder that replaces the old one only once it is complete
// and flushed, so after any failure the old file is unchanged and no temporary
// file is left. A read-only file (no owner write bit) is refused. The file's
// permission bits are kept; a symbolic link is followed and stays a link.
// Only a regular file is opened (a FIFO or device is refused, never waited on).
// The temporary file's name is short, so a name of any length can be
// rewritten. After a failure, reason (may be null) says why, for the user.
bool RewriteReplayText(const QString &path, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize], QString *reason = nullptr);

// The same for a file named by the bytes the system uses, so that a name that
// is no valid text can be rewritten too.
bool RewriteReplayText(const QByteArray &nativePath, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize], QString *reason = nullptr);

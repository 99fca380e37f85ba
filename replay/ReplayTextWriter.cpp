#include "replay/ReplayTextWriter.h"

#include "replay/ReplayStreamReader.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <vector>

namespace {

// Enough to copy quickly, small enough that a large stream is never held whole.
constexpr qint64 CopyChunkSize = 64 * 1024;

constexpr QFileDevice::Permissions ModeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
    | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

bool writeAll(QIODevice &target, const char *data, qint64 size)
{
    return target.write(data, size) == size;
}

// Copies the first streamLength bytes of source, then the two fields.
bool writeWithText(QIODevice &source, qint64 streamLength, QIODevice &target,
                   const char (&name)[PlayerNameSize], const char (&comment)[CommentSize])
{
    if (!source.seek(0))
        return false;
    std::vector<char> chunk(size_t(qMin(streamLength, CopyChunkSize)));
    for (qint64 left = streamLength; left > 0;) {
        const qint64 want = qMin(left, CopyChunkSize);
        // A read may deliver less than asked without being at the end; only 0 or -1 is fatal.
        const qint64 got = source.read(chunk.data(), want);
        if (got <= 0 || !writeAll(target, chunk.data(), got))
            return false;
        left -= got;
    }
    return writeAll(target, name, PlayerNameSize) && writeAll(target, comment, CommentSize);
}

qint64 streamLength(QIODevice &source)
{
    ReplayHead scratch{};
    return ReadReplayStream(source, scratch);
}

} // namespace

bool RewriteReplayText(QIODevice &source, QIODevice &target, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize])
{
    const qint64 length = streamLength(source);
    return length >= 0 && writeWithText(source, length, target, name, comment);
}

bool RewriteReplayText(const QString &path, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize])
{
    // Rewrite the file a link points to, so the link itself stays in place.
    const QFileInfo given(path);
    const QString filePath = given.isSymLink() ? given.canonicalFilePath() : given.absoluteFilePath();
    if (filePath.isEmpty())
        return false;
    const QFileInfo info(filePath);
    if (!info.isFile())
        return false;
    // Replacing the file by renaming would succeed over a read-only file (and
    // root ignores permission bits altogether), so the owner's write bit is
    // what decides.
    const QFileDevice::Permissions permissions = info.permissions() & ModeBits;
    if (!(permissions & QFileDevice::WriteOwner))
        return false;

    QFile source(filePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const qint64 length = streamLength(source);
    if (length < 0)
        return false;

    // Unbuffered, so that every write reports its own count: a short write of
    // buffered data when the file is committed goes unnoticed (a full disk
    // would leave a cut replay behind a successful commit).
    QSaveFile target(filePath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (!writeWithText(source, length, target, name, comment) || target.size() != length + ReplayTextSize
        || !target.setPermissions(permissions)) {
        target.cancelWriting();
        return false;
    }
    // Some platforms cannot replace a file that is still open.
    source.close();
    return target.commit();
}

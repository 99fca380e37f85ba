#include "replay/ReplayTextWriter.h"

#include "platform/RegularFile.h"
#include "replay/ReplayStreamReader.h"

#include <QByteArray>
#include <QFile>

#include <vector>

#ifdef Q_OS_UNIX
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QFileInfo>
#include <QSaveFile>
#endif

namespace {

// Enough to copy quickly, small enough that a large stream is never held whole.
constexpr qint64 CopyChunkSize = 64 * 1024;

#ifndef Q_OS_UNIX
constexpr QFileDevice::Permissions ModeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner
    | QFileDevice::ExeOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
    | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
#endif

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

#ifdef Q_OS_UNIX

bool RewriteReplayText(const QString &path, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize])
{
    return RewriteReplayText(QFile::encodeName(path), name, comment);
}

// Works on the name's bytes throughout, as a Qt path could not name every file.
// The new content goes to a temporary file beside the old one, which is synced
// and then renamed over it.
bool RewriteReplayText(const QByteArray &nativePath, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize])
{
    // Rewrite the file a link points to, so the link itself stays in place.
    if (nativePath.isEmpty() || nativePath.contains('\0'))
        return false;
    char *resolved = ::realpath(nativePath.constData(), nullptr);
    if (!resolved)
        return false;
    const QByteArray filePath(resolved);
    std::free(resolved);

    QFile source;
    if (!RegularFile::open(source, filePath))
        return false;
    struct stat status {};
    if (::fstat(source.handle(), &status) != 0)
        return false;
    // Replacing the file by renaming would succeed over a read-only file (and
    // root ignores permission bits altogether), so the owner's write bit is
    // what decides.
    const mode_t permissions = status.st_mode & 0777;
    if (!(permissions & S_IWUSR))
        return false;
    const qint64 length = streamLength(source);
    if (length < 0)
        return false;

    QByteArray tempPath = filePath + ".XXXXXX";
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool written = false;
    {
        // Unbuffered, so that every write reports its own count: a full disk
        // must not leave a cut replay behind a successful rename.
        QFile target;
        written = target.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)
            && writeWithText(source, length, target, name, comment) && target.size() == length + ReplayTextSize;
    }
    written = written && ::fchmod(fd, permissions) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    source.close();
    if (!written || ::rename(tempPath.constData(), filePath.constData()) != 0) {
        ::unlink(tempPath.constData());
        return false;
    }
    return true;
}

#else

bool RewriteReplayText(const QByteArray &nativePath, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize])
{
    return RewriteReplayText(QFile::decodeName(nativePath), name, comment);
}

bool RewriteReplayText(const QString &path, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize])
{
    // Rewrite the file a link points to, so the link itself stays in place.
    const QFileInfo given(path);
    const QString filePath = given.isSymLink() ? given.canonicalFilePath() : given.absoluteFilePath();
    if (filePath.isEmpty())
        return false;
    // The owner's write bit decides, as a rename would replace a read-only file.
    const QFileDevice::Permissions permissions = QFileInfo(filePath).permissions() & ModeBits;
    if (!(permissions & QFileDevice::WriteOwner))
        return false;

    QFile source;
    if (!RegularFile::open(source, filePath))
        return false;
    const qint64 length = streamLength(source);
    if (length < 0)
        return false;

    // Unbuffered, so that every write reports its own count.
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

#endif

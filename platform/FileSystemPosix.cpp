#include "platform/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 0 or the errno: the system's no-replace rename where the file system has
// it, else a new link and the old name removed, else a look first.
int renameNoReplaceError(const QByteArray &from, const QByteArray &to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
#endif
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return 0;
        const int error = errno;
        ::unlink(to.constData());
        return error;
    }
    if (errno == EEXIST)
        return EEXIST;
    struct stat status {};
    if (::lstat(to.constData(), &status) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

QByteArray FileSystem::identity(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return QByteArray::number(quint64(status.st_dev)) + ':' + QByteArray::number(quint64(status.st_ino));
}

bool FileSystem::isSameFile(const QString &a, const QString &b)
{
    const QByteArray first = identity(a);
    return !first.isEmpty() && first == identity(b);
}

FileError FileSystem::renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    return FileError::fromSystem(renameNoReplaceError(from, to));
}

FileError FileSystem::renameOver(const QByteArray &from, const QByteArray &to)
{
    // rename() replaces a link at `to` itself, never what it points to.
    return FileError::fromSystem(::rename(from.constData(), to.constData()) == 0 ? 0 : errno);
}

int FileSystem::createExclusive(const QByteArray &path, FileError *error)
{
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    *error = FileError::fromSystem(fd >= 0 ? 0 : errno);
    return fd;
}

FileError FileSystem::takeOverPermissions(const QByteArray &path, int fd)
{
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    return FileError::fromSystem(::fchmod(fd, status.st_mode & 0777) == 0 ? 0 : errno);
}

FileError FileSystem::writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return FileError::fromSystem(written == 0 ? ENOSPC : errno);
        data += written;
        size -= written;
    }
    return {};
}

FileError FileSystem::syncAndClose(int fd)
{
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return FileError::fromSystem(error);
}

void FileSystem::closeAndRemove(int fd, const QByteArray &path)
{
    if (fd >= 0)
        ::close(fd);
    ::unlink(path.constData());
}

QByteArray FileSystem::resolvedPath(const QByteArray &path, FileError *error)
{
    if (path.isEmpty() || path.contains('\0')) {
        *error = FileError::of(FileError::Cause::Missing);
        return {};
    }
    char *resolved = ::realpath(path.constData(), nullptr);
    if (!resolved) {
        *error = FileError::fromSystem(errno);
        return {};
    }
    QByteArray result(resolved);
    std::free(resolved);
    *error = {};
    return result;
}

FileError FileSystem::readOnlyMark(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return FileError::fromSystem(errno);
    // Replacing the file by renaming would succeed over a read-only file (and
    // root ignores permission bits altogether), so the owner's write bit is
    // what decides.
    return status.st_mode & S_IWUSR ? FileError() : FileError::of(FileError::Cause::ReadOnlyFile);
}

bool FileSystem::flushToDisk(QFileDevice &file)
{
    return ::fsync(file.handle()) == 0;
}

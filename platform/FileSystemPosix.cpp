#include "platform/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
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

FileSystem::RenameResult FileSystem::renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    RenameResult result;
    const int error = renameNoReplaceError(from, to);
    switch (error) {
    case 0:
        result.outcome = RenameOutcome::Renamed;
        break;
    case EEXIST:
        result.outcome = RenameOutcome::Exists;
        break;
    case ENOENT:
        result.outcome = RenameOutcome::Missing;
        break;
    case ENAMETOOLONG:
        result.outcome = RenameOutcome::NameTooLong;
        break;
    default:
        result.systemText = qt_error_string(error);
        break;
    }
    return result;
}

bool FileSystem::flushToDisk(QFileDevice &file)
{
    return ::fsync(file.handle()) == 0;
}

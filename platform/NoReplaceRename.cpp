#include "platform/NoReplaceRename.h"

#include "platform/FileSystem.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX

FileError renameNoReplace(const QByteArray &from, const QByteArray &to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return FileError::fromSystem(errno);
#endif
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return {};
        const int error = errno;
        ::unlink(to.constData());
        return FileError::fromSystem(error);
    }
    if (errno == EEXIST)
        return FileError::fromSystem(EEXIST);
    struct stat status {};
    if (::lstat(to.constData(), &status) == 0)
        return FileError::fromSystem(EEXIST);
    return FileError::fromSystem(::rename(from.constData(), to.constData()) == 0 ? 0 : errno);
}

#else

FileError renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    return FileSystem::renameNoReplace(from, to); // MoveFileExW without replacing
}

#endif

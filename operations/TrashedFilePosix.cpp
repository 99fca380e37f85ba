#include "operations/TrashedFile.h"

#include "platform/NoReplaceRename.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

std::optional<FileIdentity> FileIdentity::of(const QByteArray &path)
{
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
                        qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

FileError putBackFromTrash(const QByteArray &trashPath, const QByteArray &originalPath)
{
    struct stat status {};
    if (::lstat(trashPath.constData(), &status) != 0)
        return FileError::fromSystem(errno);
    const FileError moved = renameNoReplace(trashPath, originalPath);
    if (moved.failed())
        return moved;
    // The note beside "files": <trash>/info/<name>.trashinfo.
    const qsizetype slash = trashPath.lastIndexOf('/');
    const QByteArray files = trashPath.left(slash);
    const QByteArray trash = files.left(files.lastIndexOf('/') + 1);
    ::unlink((trash + "info/" + trashPath.mid(slash + 1) + ".trashinfo").constData());
    return {};
}

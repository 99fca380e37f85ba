#include "platform/RegularFile.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Refusal = RegularFile::Refusal;
using Kind = RegularFile::Kind;
using Result = RegularFile::Result;

Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return Kind::Regular;
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISFIFO(mode))
        return Kind::Pipe;
    if (S_ISSOCK(mode))
        return Kind::Socket;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return Kind::Device;
    return Kind::Other;
}

Result failure(int error)
{
    Result result;
    result.systemError = error;
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        result.refusal = Refusal::Missing;
        break;
    case EACCES:
    case EPERM:
        result.refusal = Refusal::Denied;
        break;
    case EISDIR:
        result.refusal = Refusal::NotRegular;
        result.kind = Kind::Folder;
        break;
    default:
        result.refusal = Refusal::Failed;
        break;
    }
    return result;
}

} // namespace

RegularFile::Result RegularFile::open(QFile &file, const QByteArray &nativePath, QIODevice::OpenMode mode)
{
    if (nativePath.isEmpty() || nativePath.contains('\0'))
        return failure(ENOENT);
    // Looking first keeps special files from being opened at all: opening
    // some devices has effects of its own.
    struct stat status {};
    if (::stat(nativePath.constData(), &status) != 0)
        return failure(errno);
    if (!S_ISREG(status.st_mode))
        return Result::notRegular(kindOf(status.st_mode));

    lookedAt(nativePath);
    const bool write = mode.testFlag(QIODevice::WriteOnly);
    const int fd = ::open(nativePath.constData(), (write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failure(errno);
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = errno;
        ::close(fd);
        return S_ISREG(status.st_mode) ? failure(error) : Result::notRegular(kindOf(status.st_mode));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    QIODevice::OpenMode qtMode = write ? QIODevice::ReadWrite : QIODevice::ReadOnly;
    qtMode |= mode & QIODevice::Unbuffered;
    if (!file.open(fd, qtMode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failure(EIO);
    }
    Result result;
    result.kind = Kind::Regular;
    return result;
}

RegularFile::Result RegularFile::open(QFile &file, const QString &path, QIODevice::OpenMode mode)
{
    return open(file, QFile::encodeName(path), mode);
}

RegularFile::Result RegularFile::fromStatus(int systemError, quint32 mode)
{
    if (systemError != 0)
        return failure(systemError);
    if (!S_ISREG(mode))
        return Result::notRegular(kindOf(mode_t(mode)));
    Result result;
    result.kind = Kind::Regular;
    return result;
}

#include "platform/RegularFile.h"

#include "platform/FileError.h"

#include <QFile>
#include <QString>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Refusal = RegularFile::Refusal;
using Kind = RegularFile::Kind;
using Result = RegularFile::Result;

#ifdef Q_OS_UNIX

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

Result notRegular(Kind kind)
{
    Result result;
    result.refusal = Refusal::NotRegular;
    result.kind = kind;
    return result;
}

#endif

void (*betweenLookAndOpen)(const QByteArray &) = nullptr;

} // namespace

void RegularFile::setBetweenLookAndOpen(void (*hook)(const QByteArray &nativePath))
{
    betweenLookAndOpen = hook;
}

RegularFile::Result RegularFile::open(QFile &file, const QByteArray &nativePath, QIODevice::OpenMode mode)
{
#ifdef Q_OS_UNIX
    if (nativePath.isEmpty() || nativePath.contains('\0'))
        return failure(ENOENT);
    // Looking first keeps special files from being opened at all: opening
    // some devices has effects of its own.
    struct stat status {};
    if (::stat(nativePath.constData(), &status) != 0)
        return failure(errno);
    if (!S_ISREG(status.st_mode))
        return notRegular(kindOf(status.st_mode));

    if (betweenLookAndOpen)
        betweenLookAndOpen(nativePath);
    const bool write = mode.testFlag(QIODevice::WriteOnly);
    const int fd = ::open(nativePath.constData(), (write ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return failure(errno);
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int error = errno;
        ::close(fd);
        return S_ISREG(status.st_mode) ? failure(error) : notRegular(kindOf(status.st_mode));
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
#else
    return open(file, QFile::decodeName(nativePath), mode);
#endif
}

RegularFile::Result RegularFile::open(QFile &file, const QString &path, QIODevice::OpenMode mode)
{
#ifdef Q_OS_UNIX
    return open(file, QFile::encodeName(path), mode);
#else
    file.setFileName(path);
    const bool write = mode.testFlag(QIODevice::WriteOnly);
    Result result;
    if (!file.exists()) {
        result.refusal = Refusal::Missing;
        return result;
    }
    if (!file.open((write ? QIODevice::ReadWrite : QIODevice::ReadOnly) | (mode & QIODevice::Unbuffered))) {
        result.refusal = Refusal::Failed;
        return result;
    }
    result.kind = Kind::Regular;
    return result;
#endif
}

RegularFile::Result RegularFile::fromStatus(int systemError, quint32 mode)
{
#ifdef Q_OS_UNIX
    if (systemError != 0)
        return failure(systemError);
    if (!S_ISREG(mode))
        return notRegular(kindOf(mode_t(mode)));
#else
    Q_UNUSED(mode)
    if (systemError != 0) {
        Result result;
        result.refusal = Refusal::Failed;
        result.systemError = systemError;
        return result;
    }
#endif
    Result result;
    result.kind = Kind::Regular;
    return result;
}

QString RegularFile::reasonText(const Result &result)
{
    switch (result.refusal) {
    case Refusal::None:
        return {};
    case Refusal::Missing:
        return QStringLiteral("ファイルが見つかりません");
    case Refusal::Denied:
        return QStringLiteral("ファイルを開く権限がありません");
    case Refusal::NotRegular:
        switch (result.kind) {
        case Kind::Folder:
            return QStringLiteral("フォルダです");
        case Kind::Pipe:
            return QStringLiteral("通常のファイルではありません（名前付きパイプ）");
        case Kind::Socket:
            return QStringLiteral("通常のファイルではありません（ソケット）");
        case Kind::Device:
            return QStringLiteral("通常のファイルではありません（デバイス）");
        default:
            return QStringLiteral("通常のファイルではありません");
        }
    case Refusal::Failed:
        break;
    }
    if (result.systemError == 0)
        return QStringLiteral("ファイルを開けませんでした");
    QString text = FileError::fromSystem(result.systemError).reasonText();
    text.chop(1); // a clause here, without its "。"
    return text;
}

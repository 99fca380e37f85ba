#include "platform/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <qt_windows.h>

#include <fcntl.h>
#include <io.h>

// Names are UTF-16 here: the bytes of a name "as the system spells it" are its
// 8-bit form (QFile::encodeName: UTF-8, as every program of the build has
// UTF-8 for its code page), and systemError holds a Windows error code.

namespace {

using Refusal = RegularFile::Refusal;
using Kind = RegularFile::Kind;
using Result = RegularFile::Result;

Result failure(DWORD error)
{
    Result result;
    result.systemError = int(error);
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        result.refusal = Refusal::Missing;
        break;
    case ERROR_ACCESS_DENIED:
        result.refusal = Refusal::Denied;
        break;
    default:
        result.refusal = Refusal::Failed;
        break;
    }
    return result;
}

Kind kindOfHandle(DWORD type)
{
    switch (type) {
    case FILE_TYPE_PIPE:
        return Kind::Pipe;
    case FILE_TYPE_CHAR:
        return Kind::Device;
    default:
        return Kind::Other;
    }
}

} // namespace

RegularFile::Result RegularFile::open(QFile &file, const QString &path, QIODevice::OpenMode mode)
{
    return open(file, QFile::encodeName(path), mode);
}

RegularFile::Result RegularFile::open(QFile &file, const QByteArray &nativePath, QIODevice::OpenMode mode)
{
    if (nativePath.isEmpty() || nativePath.contains('\0'))
        return failure(ERROR_FILE_NOT_FOUND);
    const QString path = QFile::decodeName(nativePath);
    const QString native = QDir::toNativeSeparators(path);
    const auto *name = reinterpret_cast<const wchar_t *>(native.utf16());
    // A folder cannot be opened as a file at all; say what it is.
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return failure(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Result::notRegular(Kind::Folder);

    lookedAt(nativePath);
    const bool write = mode.testFlag(QIODevice::WriteOnly);
    // Sharing as POSIX does: others may read, write, rename and replace the
    // file while it is open here (the game saving a slot).
    const HANDLE handle = CreateFileW(name, GENERIC_READ | (write ? GENERIC_WRITE : 0),
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder swapped in since the look cannot be opened as a file.
        const DWORD now = GetFileAttributesW(name);
        if (error == ERROR_ACCESS_DENIED && now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_DIRECTORY))
            return Result::notRegular(Kind::Folder);
        return failure(error);
    }
    // A device name ("NUL", "COM1") or a pipe opens, but is no file.
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return Result::notRegular(kindOfHandle(type));
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), write ? _O_RDWR : _O_RDONLY);
    if (fd < 0) {
        CloseHandle(handle);
        return failure(ERROR_TOO_MANY_OPEN_FILES);
    }
    QIODevice::OpenMode qtMode = write ? QIODevice::ReadWrite : QIODevice::ReadOnly;
    qtMode |= mode & QIODevice::Unbuffered;
    if (!file.open(fd, qtMode, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return failure(ERROR_OPEN_FAILED);
    }
    Result result;
    result.kind = Kind::Regular;
    return result;
}

RegularFile::Result RegularFile::fromStatus(int systemError, quint32 mode)
{
    if (systemError != 0)
        return failure(DWORD(systemError));
    if (mode & FILE_ATTRIBUTE_DIRECTORY)
        return Result::notRegular(Kind::Folder);
    if (mode & FILE_ATTRIBUTE_DEVICE)
        return Result::notRegular(Kind::Device);
    Result result;
    result.kind = Kind::Regular;
    return result;
}

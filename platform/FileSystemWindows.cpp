#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>

#include <qt_windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>

namespace {

QString nativeName(const QByteArray &path)
{
    return QDir::toNativeSeparators(QFile::decodeName(path));
}

const wchar_t *wide(const QString &nativePath)
{
    return reinterpret_cast<const wchar_t *>(nativePath.utf16());
}

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

FileError lastError()
{
    return FileError::fromSystem(int(GetLastError()));
}

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

QByteArray FileSystem::identity(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    // Only the attributes are read; a folder needs the backup flag to open.
    const HANDLE handle =
        CreateFileW(wide(native), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                    nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return {};
    BY_HANDLE_FILE_INFORMATION info {};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known)
        return {};
    const quint64 index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return QByteArray::number(quint64(info.dwVolumeSerialNumber)) + ':' + QByteArray::number(index);
}

bool FileSystem::isSameFile(const QString &a, const QString &b)
{
    const QByteArray first = identity(a);
    return !first.isEmpty() && first == identity(b);
}

FileError FileSystem::renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    // Without MOVEFILE_REPLACE_EXISTING a name that is taken is an error.
    if (MoveFileExW(wide(nativeName(from)), wide(nativeName(to)), 0))
        return {};
    return lastError();
}

FileError FileSystem::renameOver(const QByteArray &from, const QByteArray &to)
{
    // A rename replaces the entry at `to`: a link there (symbolic link or
    // junction) is replaced itself, as under POSIX.
    const QString target = nativeName(to);
    if (MoveFileExW(wide(nativeName(from)), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    FileError error = lastError();
    // Windows refuses to replace a file marked read-only.
    const DWORD attributes = GetFileAttributesW(wide(target));
    if (error.cause == FileError::Cause::Denied && attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & FILE_ATTRIBUTE_READONLY))
        error.cause = FileError::Cause::ReadOnlyFile;
    return error;
}

int FileSystem::createExclusive(const QByteArray &path, FileError *error)
{
    // CREATE_NEW fails on any entry of that name; a link there is not
    // followed.
    const HANDLE handle = CreateFileW(wide(nativeName(path)), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = lastError();
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        DeleteFileW(wide(nativeName(path)));
        *error = FileError::fromSystem(ERROR_TOO_MANY_OPEN_FILES);
        return -1;
    }
    *error = {};
    return fd;
}

FileError FileSystem::takeOverPermissions(const QByteArray &, int)
{
    return {};
}

FileError FileSystem::writeAll(int fd, const char *data, qint64 size)
{
    const HANDLE handle = handleOf(fd);
    if (handle == INVALID_HANDLE_VALUE)
        return FileError::fromSystem(ERROR_INVALID_HANDLE);
    while (size > 0) {
        const DWORD piece = DWORD(std::min<qint64>(size, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(handle, data, piece, &written, nullptr))
            return lastError();
        if (written == 0)
            return FileError::fromSystem(ERROR_DISK_FULL);
        data += written;
        size -= written;
    }
    return {};
}

FileError FileSystem::syncAndClose(int fd)
{
    FileError error = FlushFileBuffers(handleOf(fd)) ? FileError() : lastError();
    if (_close(fd) != 0 && !error.failed())
        error = FileError::fromSystem(ERROR_WRITE_FAULT);
    return error;
}

void FileSystem::closeAndRemove(int fd, const QByteArray &path)
{
    if (fd >= 0)
        _close(fd);
    DeleteFileW(wide(nativeName(path)));
}

QByteArray FileSystem::resolvedPath(const QByteArray &path, FileError *error)
{
    *error = {};
    if (path.isEmpty() || path.contains('\0')) {
        *error = FileError::of(FileError::Cause::Missing);
        return {};
    }
    const QString native = nativeName(path);
    const DWORD attributes = GetFileAttributesW(wide(native));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *error = lastError();
        return {};
    }
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    // A link: the name of what it leads to, as the system tells it.
    const HANDLE handle =
        CreateFileW(wide(native), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                    nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = lastError();
        return {};
    }
    QString target(MAX_PATH, Qt::Uninitialized);
    DWORD length = 0;
    for (;;) {
        length = GetFinalPathNameByHandleW(handle, reinterpret_cast<wchar_t *>(target.data()), DWORD(target.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length < DWORD(target.size()))
            break;
        target.resize(qsizetype(length) + 1);
    }
    if (length == 0)
        *error = lastError();
    CloseHandle(handle);
    if (length == 0)
        return {};
    target.truncate(length);
    // "\\?\C:\..." and "\\?\UNC\server\..." as the usual forms.
    if (target.startsWith(QLatin1StringView("\\\\?\\UNC\\")))
        target.replace(0, 8, QStringLiteral("\\\\"));
    else if (target.startsWith(QLatin1StringView("\\\\?\\")))
        target.remove(0, 4);
    return QFile::encodeName(QDir::fromNativeSeparators(target));
}

FileError FileSystem::readOnlyMark(int fd)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(handleOf(fd), &info))
        return lastError();
    return info.dwFileAttributes & FILE_ATTRIBUTE_READONLY ? FileError::of(FileError::Cause::ReadOnlyFile)
                                                          : FileError();
}

bool FileSystem::flushToDisk(QFileDevice &file)
{
    const HANDLE handle = handleOf(file.handle());
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

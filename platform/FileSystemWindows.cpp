#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileDevice>

#include <qt_windows.h>

#include <io.h>

namespace {

const wchar_t *wide(const QString &nativePath)
{
    return reinterpret_cast<const wchar_t *>(nativePath.utf16());
}

} // namespace

QByteArray FileSystem::identity(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    // Only the attributes are read; a folder needs the backup flag to open.
    const HANDLE handle = CreateFileW(wide(native), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
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

FileSystem::RenameResult FileSystem::renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    RenameResult result;
    const QString source = QDir::toNativeSeparators(QFile::decodeName(from));
    const QString target = QDir::toNativeSeparators(QFile::decodeName(to));
    // Without MOVEFILE_REPLACE_EXISTING a name that is taken is an error.
    if (MoveFileExW(wide(source), wide(target), 0)) {
        result.outcome = RenameOutcome::Renamed;
        return result;
    }
    const DWORD error = GetLastError();
    switch (error) {
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
        result.outcome = RenameOutcome::Exists;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        result.outcome = RenameOutcome::Missing;
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        result.outcome = RenameOutcome::NameTooLong;
        break;
    default:
        result.systemText = qt_error_string(int(error));
        break;
    }
    return result;
}

bool FileSystem::flushToDisk(QFileDevice &file)
{
    const intptr_t handle = _get_osfhandle(file.handle());
    return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle));
}

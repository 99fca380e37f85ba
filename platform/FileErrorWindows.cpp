#include "platform/FileError.h"

#include <qt_windows.h>

namespace {

using Cause = FileError::Cause;

// Not in every SDK's headers.
constexpr DWORD DiskQuotaExceeded = 1295; // ERROR_DISK_QUOTA_EXCEEDED

Cause causeOfCode(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return Cause::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
        return Cause::Missing;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return Cause::Denied;
    case ERROR_WRITE_PROTECT:
        return Cause::ReadOnlyVolume;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case DiskQuotaExceeded:
        return Cause::DiskFull;
    case ERROR_FILE_TOO_LARGE:
        return Cause::TooLarge;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW: // "The file name is too long."
        return Cause::NameTooLong;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
    case ERROR_DIR_NOT_EMPTY:
        return Cause::Exists;
    case ERROR_NOT_SAME_DEVICE:
        return Cause::CrossVolume;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_BUSY:
        return Cause::Busy;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_NOT_READY:
        return Cause::DeviceError;
    case ERROR_CANCELLED:
    case ERROR_OPERATION_ABORTED:
        return Cause::Cancelled;
    default:
        return Cause::Other;
    }
}

// The codes whose text fromSystemText() recognises.
constexpr DWORD KnownCodes[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
                                ERROR_WRITE_PROTECT,  ERROR_DISK_FULL,      ERROR_HANDLE_DISK_FULL,
                                ERROR_FILE_TOO_LARGE, ERROR_FILENAME_EXCED_RANGE, ERROR_FILE_EXISTS,
                                ERROR_ALREADY_EXISTS, ERROR_NOT_SAME_DEVICE, ERROR_SHARING_VIOLATION,
                                ERROR_LOCK_VIOLATION, ERROR_CRC,            ERROR_WRITE_FAULT,
                                ERROR_READ_FAULT};

} // namespace

FileError FileError::fromSystem(int systemError)
{
    return FileError{causeOfCode(DWORD(systemError)), systemError};
}

FileError FileError::fromSystemText(const QString &text)
{
    // Qt words some codes itself (qt_error_string), the rest as the system does.
    for (DWORD code : KnownCodes) {
        if (text == systemText(int(code)) || text == qt_error_string(int(code)))
            return fromSystem(int(code));
    }
    return FileError{Cause::Other, 0};
}

QString FileError::systemText(int systemError)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, DWORD(systemError), 0, reinterpret_cast<wchar_t *>(&buffer), 0,
                                        nullptr);
    QString text = length ? QString::fromWCharArray(buffer, int(length)).trimmed() : QString();
    LocalFree(buffer);
    // A text that ends a sentence is put in parentheses by the callers.
    if (text.endsWith(u'.'))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("エラー %1").arg(systemError) : text;
}

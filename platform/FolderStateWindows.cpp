#include "platform/FolderState.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <qt_windows.h>

FolderState folderState(const QByteArray &folder)
{
    const QString native = QDir::toNativeSeparators(folder.isEmpty() ? QStringLiteral(".") : QFile::decodeName(folder));
    const auto *name = reinterpret_cast<const wchar_t *>(native.utf16());
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME
                || error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME
            ? FolderState::Missing
            : FolderState::Unreadable;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FolderState::Missing;
    const HANDLE handle = CreateFileW(name, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return FolderState::Unreadable;
    CloseHandle(handle);
    return FolderState::Present;
}

// Under Windows a file's identity is its volume's serial number and its file
// index; the Recycle Bin keeps no notes beside the files for a program to
// remove.
#include "operations/TrashedFile.h"

#include "platform/NoReplaceRename.h"

#include <QFile>

#include <qt_windows.h>

std::optional<FileIdentity> FileIdentity::of(const QByteArray &path)
{
    const QString name = QFile::decodeName(path);
    // The entry itself: a link is opened as a link, a folder as a folder.
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(name.utf16()), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info {};
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known)
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) { return (quint64(high) << 32) | low; };
    // FILETIME counts 100 ns steps.
    return FileIdentity{info.dwVolumeSerialNumber, join(info.nFileIndexHigh, info.nFileIndexLow),
                        qint64(join(info.nFileSizeHigh, info.nFileSizeLow)),
                        qint64(join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)) * 100};
}

FileError putBackFromTrash(const QByteArray &trashPath, const QByteArray &originalPath)
{
    // The shell does not say where in the Recycle Bin a file went: a file
    // with no trash path cannot be brought back by the program.
    if (trashPath.isEmpty() || !FileIdentity::of(trashPath))
        return FileError::of(FileError::Cause::Missing);
    return renameNoReplace(trashPath, originalPath);
}

// FolderListing under Windows: the folder is read through one handle
// (GetFileInformationByHandleEx), whose entries carry what a stamp needs, so
// no entry is opened unless it is a link. Names are UTF-16; nameBytes holds
// their 8-bit form (QFile::encodeName, UTF-8 with the programs' manifest), so
// every name is "utf8".
#include "catalogue/FolderListing.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <qt_windows.h>

#include <io.h>

#include <vector>

namespace {

// Windows counts 100 ns steps from 1601.
constexpr qint64 TicksFrom1601To1970 = 116444736000000000LL;

qint64 nsSince1970(LARGE_INTEGER time)
{
    return (time.QuadPart - TicksFrom1601To1970) * 100;
}

QString nativePath(const QByteArray &path)
{
    return QDir::toNativeSeparators(path.isEmpty() ? QStringLiteral(".") : QFile::decodeName(path));
}

const wchar_t *wide(const QString &native)
{
    return reinterpret_cast<const wchar_t *>(native.utf16());
}

class Handle {
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {
    }
    ~Handle()
    {
        if (isOpen())
            CloseHandle(m_handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool stampOfHandle(HANDLE handle, FileStamp *stamp)
{
    FILE_BASIC_INFO basic {};
    FILE_STANDARD_INFO standard {};
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)
        || !GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)
        || !GetFileInformationByHandle(handle, &info))
        return false;
    stamp->size = standard.EndOfFile.QuadPart;
    stamp->mtimeNs = nsSince1970(basic.LastWriteTime);
    stamp->ctimeNs = nsSince1970(basic.ChangeTime);
    stamp->inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

// What a path leads to (links followed): its stamp and attributes, or the
// error code.
DWORD lookAt(const QByteArray &path, FileStamp *stamp, DWORD *attributes)
{
    const Handle handle(CreateFileW(wide(nativePath(path)), FILE_READ_ATTRIBUTES, ShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.isOpen())
        return GetLastError();
    FILE_BASIC_INFO basic {};
    if (!GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &basic, sizeof basic))
        return GetLastError();
    *attributes = basic.FileAttributes;
    if (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return ERROR_SUCCESS;
    return stampOfHandle(handle.get(), stamp) ? ERROR_SUCCESS : GetLastError();
}

struct Entry {
    QString name;
    DWORD attributes = 0;
    FileStamp stamp;
};

// Every entry of a folder but "." and "..", in the order the system gives
// them; false when the folder cannot be listed.
bool readFolder(const QByteArray &folder, std::vector<Entry> *entries)
{
    const Handle dir(CreateFileW(wide(nativePath(folder)), FILE_LIST_DIRECTORY, ShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!dir.isOpen())
        return false;
    // The entries are 8-byte aligned records.
    std::vector<quint64> buffer(64 * 1024 / sizeof(quint64));
    const DWORD bufferSize = DWORD(buffer.size() * sizeof(quint64));
    for (bool first = true;; first = false) {
        if (!GetFileInformationByHandleEx(dir.get(), first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo,
                                          buffer.data(), bufferSize))
            return GetLastError() == ERROR_NO_MORE_FILES;
        const auto *bytes = reinterpret_cast<const char *>(buffer.data());
        for (DWORD offset = 0;;) {
            const auto *info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(bytes + offset);
            Entry entry;
            entry.name = QString::fromWCharArray(info->FileName, int(info->FileNameLength / sizeof(wchar_t)));
            if (entry.name != QLatin1StringView(".") && entry.name != QLatin1StringView("..")) {
                entry.attributes = info->FileAttributes;
                entry.stamp.size = info->EndOfFile.QuadPart;
                entry.stamp.mtimeNs = nsSince1970(info->LastWriteTime);
                entry.stamp.ctimeNs = nsSince1970(info->ChangeTime);
                entry.stamp.inode = quint64(info->FileId.QuadPart);
                entries->push_back(std::move(entry));
            }
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
    }
}

QByteArray childPath(const QByteArray &folder, const QByteArray &name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith('/') || folder.endsWith('\\') ? folder + name : folder + '/' + name;
}

} // namespace

bool FolderListing::isReplayName(QByteArrayView name)
{
    // ".dat" alone is a hidden file too.
    if (name.size() < 5 || name.front() == '.')
        return false;
    const QByteArrayView extension = name.last(4);
    return extension.compare(QByteArrayView(".dat"), Qt::CaseInsensitive) == 0;
}

int FolderListing::countReadable(const QByteArray &folder)
{
    std::vector<Entry> entries;
    if (!readFolder(folder, &entries))
        return 0;
    int count = 0;
    for (const Entry &entry : entries) {
        const QByteArray name = QFile::encodeName(entry.name);
        if (!isReplayName(name) || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            ++count;
            continue;
        }
        FileStamp stamp;
        DWORD attributes = 0;
        if (lookAt(childPath(folder, name), &stamp, &attributes) == ERROR_SUCCESS
            && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            ++count;
    }
    return count;
}

std::vector<ListedFile> FolderListing::list(const QByteArray &folder)
{
    std::vector<ListedFile> files;
    std::vector<Entry> entries;
    if (!readFolder(folder, &entries))
        return files;
    for (Entry &entry : entries) {
        ListedFile file;
        file.nameBytes = QFile::encodeName(entry.name);
        if (!isReplayName(file.nameBytes) || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        file.name = std::move(entry.name);
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A link: what it leads to counts, as a stat would follow it.
            DWORD attributes = 0;
            const DWORD error = lookAt(childPath(folder, file.nameBytes), &file.stamp, &attributes);
            if (error == ERROR_SUCCESS && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                continue;
            file.danglingLink = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            file.status = RegularFile::fromStatus(int(error), attributes);
        } else {
            file.status = RegularFile::fromStatus(0, entry.attributes);
            file.stamp = entry.stamp;
        }
        files.push_back(std::move(file));
    }
    return files;
}

bool FolderListing::stampOfDescriptor(int fd, FileStamp *stamp)
{
    const intptr_t handle = _get_osfhandle(fd);
    return handle != -1 && stampOfHandle(reinterpret_cast<HANDLE>(handle), stamp);
}

bool FolderListing::stampOfPath(const QByteArray &path, FileStamp *stamp, RegularFile::Result *status)
{
    DWORD attributes = 0;
    FileStamp seen;
    const DWORD error = lookAt(path, &seen, &attributes);
    *status = RegularFile::fromStatus(int(error), attributes);
    if (!*status)
        return false;
    *stamp = seen;
    return true;
}

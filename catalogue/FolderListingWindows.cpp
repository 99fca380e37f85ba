// The folder listing under Windows. A folder is read through one handle
// (GetFileInformationByHandleEx with FileIdBothDirectoryInfo), whose entries
// carry everything a stamp needs (size, write and change time, file number),
// so no entry is opened unless it is a link. A file system that refuses that
// way of reading is listed with FindFirstFileExW instead, and each entry
// named like a replay is then opened for its change time and number.
//
// Names are UTF-16; nameBytes holds their 8-bit form (QFile::encodeName,
// UTF-8 with the programs' manifest), so every name is "utf8".
#include "catalogue/FolderListing.h"
#include "catalogue/FolderListingWindows.h"

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

bool entryByEntry = false;

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
    bool stamped = false; // else the entry is to be opened for its stamp
    FileStamp stamp;
};

enum class Read { Done, Failed, Refused };

// Every entry of a folder through one handle, in the order the system gives
// them. Refused when the file system does not answer this way.
Read readByHandle(const QString &folder, std::vector<Entry> *entries)
{
    const Handle dir(CreateFileW(wide(folder), FILE_LIST_DIRECTORY, ShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!dir.isOpen())
        return Read::Failed;
    // The entries are 8-byte aligned records.
    std::vector<quint64> buffer(64 * 1024 / sizeof(quint64));
    const DWORD bufferSize = DWORD(buffer.size() * sizeof(quint64));
    for (bool first = true;; first = false) {
        if (!GetFileInformationByHandleEx(dir.get(), first ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo,
                                          buffer.data(), bufferSize)) {
            const DWORD error = GetLastError();
            if (error == ERROR_NO_MORE_FILES)
                return Read::Done;
            return first && error != ERROR_ACCESS_DENIED ? Read::Refused : Read::Failed;
        }
        const auto *bytes = reinterpret_cast<const char *>(buffer.data());
        for (DWORD offset = 0;;) {
            const auto *info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(bytes + offset);
            Entry entry;
            entry.name = QString::fromWCharArray(info->FileName, int(info->FileNameLength / sizeof(wchar_t)));
            entry.attributes = info->FileAttributes;
            entry.stamped = true;
            entry.stamp.size = info->EndOfFile.QuadPart;
            entry.stamp.mtimeNs = nsSince1970(info->LastWriteTime);
            entry.stamp.ctimeNs = nsSince1970(info->ChangeTime);
            entry.stamp.inode = quint64(info->FileId.QuadPart);
            entries->push_back(std::move(entry));
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
    }
}

// The same by name: the names and attributes only.
bool readByName(const QString &folder, std::vector<Entry> *entries)
{
    WIN32_FIND_DATAW found {};
    const QString pattern = folder + (folder.endsWith(u'\\') ? QStringLiteral("*") : QStringLiteral("\\*"));
    const HANDLE search =
        FindFirstFileExW(wide(pattern), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty folder (a drive's root has no "." entry)
    do {
        Entry entry;
        entry.name = QString::fromWCharArray(found.cFileName);
        entry.attributes = found.dwFileAttributes;
        entries->push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return complete;
}

bool readFolder(const QByteArray &folder, std::vector<Entry> *entries)
{
    const QString native = nativePath(folder);
    if (!entryByEntry) {
        const Read read = readByHandle(native, entries);
        if (read != Read::Refused)
            return read == Read::Done;
        entries->clear();
    }
    return readByName(native, entries);
}

QByteArray childPath(const QByteArray &folder, const QByteArray &name)
{
    if (folder.isEmpty())
        return name;
    return folder.endsWith('/') || folder.endsWith('\\') ? folder + name : folder + '/' + name;
}

} // namespace

void FolderListingWindows::listEntryByEntry(bool on)
{
    entryByEntry = on;
}

FolderState FolderListing::stateOf(const QByteArray &folder)
{
    const QString native = nativePath(folder);
    const DWORD attributes = GetFileAttributesW(wide(native));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME
                || error == ERROR_INVALID_DRIVE || error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME
            ? FolderState::Missing
            : FolderState::Unreadable;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return FolderState::Missing;
    const Handle dir(CreateFileW(wide(native), FILE_LIST_DIRECTORY, ShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return dir.isOpen() ? FolderState::Present : FolderState::Unreadable;
}

std::vector<ListedFile> FolderListing::list(const QByteArray &folder)
{
    std::vector<ListedFile> files;
    std::vector<Entry> entries;
    if (!readFolder(folder, &entries))
        return files;
    for (Entry &entry : entries) {
        const QByteArray name = QFile::encodeName(entry.name);
        if (!isReplayName(name) || (entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        ListedFile file;
        file.nameBytes = name;
        file.name = std::move(entry.name);
        if (entry.stamped && !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            file.status = RegularFile::fromStatus(0, entry.attributes);
            file.stamp = entry.stamp;
        } else {
            // A link (what it leads to counts, as a stat would follow it),
            // or an entry listed by name only.
            DWORD attributes = 0;
            const DWORD error = lookAt(childPath(folder, file.nameBytes), &file.stamp, &attributes);
            if (error == ERROR_SUCCESS && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                continue;
            const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            file.danglingLink = missing && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
            // Gone since it was listed: nothing to account for.
            if (missing && !file.danglingLink)
                continue;
            file.status = RegularFile::fromStatus(int(error), attributes);
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

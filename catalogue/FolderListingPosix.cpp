// The folder listing on POSIX systems: readdir on an open folder, and stamps
// from fstatat relative to it, so that no path is looked up from the root
// for each entry.
#include "catalogue/FolderListing.h"

#include "catalogue/ParallelReads.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr qint64 NsPerSecond = 1000000000;

FileStamp stampFrom(const struct stat &status)
{
    FileStamp stamp;
    stamp.size = qint64(status.st_size);
    stamp.mtimeNs = qint64(status.st_mtim.tv_sec) * NsPerSecond + status.st_mtim.tv_nsec;
    stamp.ctimeNs = qint64(status.st_ctim.tv_sec) * NsPerSecond + status.st_ctim.tv_nsec;
    stamp.inode = quint64(status.st_ino);
    return stamp;
}

// Closes the listing on every way out.
class OpenFolder {
public:
    explicit OpenFolder(const QByteArray &folder)
        : m_dir(::opendir(folder.isEmpty() ? "." : folder.constData()))
    {
    }
    ~OpenFolder()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;

    bool isOpen() const { return m_dir != nullptr; }
    int fd() const { return ::dirfd(m_dir); }
    const struct dirent *next() const { return ::readdir(m_dir); }

private:
    DIR *m_dir;
};

// Stamps the entry from its name within the open folder; false when it is no
// entry after all (gone since it was listed, or a folder).
bool stampEntry(int folder, ListedFile &file)
{
    struct stat status {};
    if (::fstatat(folder, file.nameBytes.constData(), &status, 0) != 0) {
        const int error = errno;
        struct stat link {};
        file.danglingLink = error == ENOENT
            && ::fstatat(folder, file.nameBytes.constData(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
        // Gone since it was listed: nothing to account for.
        if (error == ENOENT && !file.danglingLink)
            return false;
        file.status = RegularFile::fromStatus(error, 0);
        return true;
    }
    if (S_ISDIR(status.st_mode))
        return false;
    file.status = RegularFile::fromStatus(0, quint32(status.st_mode));
    file.stamp = stampFrom(status);
    return true;
}

// Gives every entry its text and stamp, and tells which are entries after all
// (one byte per entry, as two threads write them). The system's lookups of the
// names take most of a listing's time, so a large folder is shared out to two
// threads in runs of names.
std::vector<char> describeAll(int folder, std::vector<ListedFile> &files)
{
    constexpr size_t Run = 512;
    std::vector<char> present(files.size(), 0);
    std::atomic<size_t> next{0};
    const auto work = [&] {
        for (;;) {
            const size_t from = next.fetch_add(Run);
            if (from >= files.size())
                return;
            for (size_t i = from; i < qMin(from + Run, files.size()); ++i) {
                FolderListing::setNameText(files[i]);
                present[i] = stampEntry(folder, files[i]) ? 1 : 0;
            }
        }
    };
    if (files.size() > 2 * Run)
        runBeside(work, work);
    else
        work();
    return present;
}

} // namespace

FolderState FolderListing::stateOf(const QByteArray &folder)
{
    struct stat status {};
    if (::stat(folder.isEmpty() ? "." : folder.constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FolderState::Missing : FolderState::Unreadable;
    if (!S_ISDIR(status.st_mode))
        return FolderState::Missing;
    const OpenFolder dir(folder);
    return dir.isOpen() ? FolderState::Present : FolderState::Unreadable;
}

std::vector<ListedFile> FolderListing::list(const QByteArray &folder)
{
    std::vector<ListedFile> files;
    const OpenFolder dir(folder);
    if (!dir.isOpen())
        return files;
    while (const struct dirent *entry = dir.next()) {
        const QByteArrayView name(entry->d_name);
        if (!isReplayName(name) || entry->d_type == DT_DIR)
            continue;
        files.emplace_back().nameBytes = name.toByteArray();
    }
    const std::vector<char> present = describeAll(dir.fd(), files);
    size_t kept = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!present[i])
            continue;
        if (kept != i)
            files[kept] = std::move(files[i]);
        ++kept;
    }
    files.resize(kept);
    return files;
}

bool FolderListing::stampOfDescriptor(int fd, FileStamp *stamp)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return false;
    *stamp = stampFrom(status);
    return true;
}

bool FolderListing::stampOfPath(const QByteArray &path, FileStamp *stamp, RegularFile::Result *status)
{
    struct stat info {};
    const int error = ::stat(path.constData(), &info) == 0 ? 0 : errno;
    *status = RegularFile::fromStatus(error, error == 0 ? quint32(info.st_mode) : 0);
    if (!*status)
        return false;
    *stamp = stampFrom(info);
    return true;
}

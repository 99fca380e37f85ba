#include "catalogue/FolderListing.h"

#include "replay/ShiftJisText.h"

#include <QStringDecoder>

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
    const OpenFolder dir(folder);
    if (!dir.isOpen())
        return 0;
    int count = 0;
    while (const struct dirent *entry = dir.next()) {
        const QByteArrayView name(entry->d_name);
        if (!isReplayName(name) || !ShiftJisText::isUtf8(name))
            continue;
        if (entry->d_type == DT_REG) {
            ++count;
            continue;
        }
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        struct stat status {};
        if (::fstatat(dir.fd(), entry->d_name, &status, 0) == 0 && S_ISREG(status.st_mode))
            ++count;
    }
    return count;
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
        ListedFile file;
        file.nameBytes = name.toByteArray();
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        file.name = utf8(name);
        file.utf8 = !utf8.hasError();
        if (!file.utf8)
            file.name = ShiftJisText::decode(name);

        struct stat status {};
        if (::fstatat(dir.fd(), entry->d_name, &status, 0) != 0) {
            const int error = errno;
            struct stat link {};
            file.danglingLink = error == ENOENT && ::fstatat(dir.fd(), entry->d_name, &link, AT_SYMLINK_NOFOLLOW) == 0
                && S_ISLNK(link.st_mode);
            // Gone since it was listed: nothing to account for.
            if (error == ENOENT && !file.danglingLink)
                continue;
            file.status = RegularFile::fromStatus(error, 0);
        } else {
            if (S_ISDIR(status.st_mode))
                continue;
            file.status = RegularFile::fromStatus(0, quint32(status.st_mode));
            file.stamp = stampFrom(status);
        }
        files.push_back(std::move(file));
    }
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

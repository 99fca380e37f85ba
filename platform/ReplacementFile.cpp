#include "platform/ReplacementFile.h"

#include "platform/NoReplaceRename.h"

#include <QRandomGenerator>

#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The folder a name is in, with its "/"; empty for a name in the current folder.
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash + 1);
}

QByteArray temporaryName()
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = QByteArrayLiteral(".qvtmp-");
    for (int i = 0; i < 6; ++i)
        name += Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))];
    return name;
}

// The system's part: four calls, one function each.
#ifdef Q_OS_UNIX

// Creates path exclusively (never through a link); the descriptor or -errno.
int createExclusive(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd >= 0 ? fd : -errno;
}

// Gives fd the permission bits of the regular file at path, if there is one.
int takeOverMode(const QByteArray &path, int fd)
{
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    return ::fchmod(fd, status.st_mode & 0777) == 0 ? 0 : errno;
}

int writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written == 0 ? ENOSPC : errno;
        data += written;
        size -= written;
    }
    return 0;
}

// Flushes and closes fd; 0 or the first errno.
int syncAndClose(int fd)
{
    int error = ::fsync(fd) == 0 ? 0 : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// Closes fd (when open) and removes the file at path.
void closeAndRemove(int fd, const QByteArray &path)
{
    if (fd >= 0)
        ::close(fd);
    ::unlink(path.constData());
}

// rename() replaces a link at `to` itself, never what it points to.
int renameOver(const QByteArray &from, const QByteArray &to)
{
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

#else

// No implementation for this system yet.
constexpr int Unsupported = -1;
int createExclusive(const QByteArray &) { return Unsupported; }
int takeOverMode(const QByteArray &, int) { return Unsupported; }
int writeAll(int, const char *, qint64) { return Unsupported; }
int syncAndClose(int) { return Unsupported; }
void closeAndRemove(int, const QByteArray &) {}
int renameOver(const QByteArray &, const QByteArray &) { return Unsupported; }

#endif

#ifdef Q_OS_UNIX
constexpr int NameTaken = EEXIST;
#else
constexpr int NameTaken = 0;
#endif

} // namespace

ReplacementFile::ReplacementFile(QByteArray nativePath)
    : m_path(std::move(nativePath))
{
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

FileError ReplacementFile::open()
{
    discard();
    const QByteArray folder = folderOf(m_path);
    // A taken name is tried again; a folder that refuses every name must not
    // keep the program busy.
    for (int tries = 0; tries < 100; ++tries) {
        const QByteArray path = folder + temporaryName();
        const int fd = createExclusive(path);
        if (fd == -NameTaken)
            continue;
        if (fd < 0)
            return FileError::fromSystem(-fd);
        m_fd = fd;
        m_temporaryPath = path;
        if (const int error = takeOverMode(m_path, fd)) {
            discard();
            return FileError::fromSystem(error);
        }
        return {};
    }
    return FileError::fromSystem(NameTaken);
}

FileError ReplacementFile::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        return FileError::of(FileError::Cause::Other);
    return FileError::fromSystem(writeAll(m_fd, data, size));
}

FileError ReplacementFile::finish()
{
    if (m_temporaryPath.isEmpty())
        return FileError::of(FileError::Cause::Other);
    if (m_fd < 0) // finished already
        return {};
    const int error = syncAndClose(std::exchange(m_fd, -1));
    if (error != 0)
        discard();
    return FileError::fromSystem(error);
}

FileError ReplacementFile::commit(Commit mode)
{
    FileError error = finish();
    if (error.failed())
        return error;
    error = mode == Commit::Replace ? FileError::fromSystem(renameOver(m_temporaryPath, m_path))
                                    : renameNoReplace(m_temporaryPath, m_path);
    if (error.failed())
        closeAndRemove(-1, m_temporaryPath);
    m_temporaryPath.clear();
    return error;
}

void ReplacementFile::discard()
{
    if (m_temporaryPath.isEmpty())
        return;
    closeAndRemove(std::exchange(m_fd, -1), m_temporaryPath);
    m_temporaryPath.clear();
}

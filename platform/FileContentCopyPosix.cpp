#include "platform/FileContentCopy.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A region of the source that holds data: [data, hole).
struct Region {
    off_t data;
    off_t hole;
};

// Finds the data regions of a file, where the file system tells them;
// without its help the whole file is one region.
class Regions {
public:
    Region next(int fd, off_t from, off_t end)
    {
        if (!m_known)
            return {from, end};
        const off_t data = ::lseek(fd, from, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) // nothing but a hole up to the end
                return {end, end};
            m_known = false;
            return {from, end};
        }
        if (data >= end)
            return {end, end};
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        return {data, hole < 0 ? end : std::min(hole, end)};
    }

private:
    bool m_known = true;
};

// Copies one chunk at the same offset in both files: by the kernel where it
// can, else through a buffer. Bytes copied, 0 at the source's end, or -errno.
class ChunkCopier {
public:
    ssize_t copy(int from, int to, off_t offset, size_t length)
    {
#ifdef __linux__
        while (m_inKernel) {
            loff_t in = offset;
            loff_t out = offset;
            const ssize_t copied = ::copy_file_range(from, &in, to, &out, length, 0);
            if (copied > 0)
                return copied;
            if (copied == 0)
                break; // the end, or a file system that cannot tell: the buffer decides
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
                return -errno;
            m_inKernel = false;
        }
#endif
        return copyThroughBuffer(from, to, offset, length);
    }

private:
    ssize_t copyThroughBuffer(int from, int to, off_t offset, size_t length)
    {
        m_buffer.resize(size_t(CopyChunkBytes));
        length = std::min(length, m_buffer.size());
        ssize_t got = 0;
        do
            got = ::pread(from, m_buffer.data(), length, offset);
        while (got < 0 && errno == EINTR);
        if (got <= 0)
            return got < 0 ? -errno : 0;
        for (ssize_t put = 0; put < got;) {
            const ssize_t written = ::pwrite(to, m_buffer.data() + put, size_t(got - put), offset + put);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return written == 0 ? -ENOSPC : -errno;
            put += written;
        }
        return got;
    }

    bool m_inKernel = true;
    std::vector<char> m_buffer;
};

} // namespace

FileError copyFileContent(int from, int to, const CopyChunkDone &afterChunk)
{
    struct stat status {};
    if (::fstat(from, &status) != 0)
        return FileError::fromSystem(errno);
    const qint64 total = status.st_size;
    const auto goOn = [&afterChunk, total](off_t done) { return !afterChunk || afterChunk(done, total); };

    off_t end = status.st_size;
    Regions regions;
    ChunkCopier copier;
    for (off_t at = 0; at < end;) {
        const Region region = regions.next(from, at, end);
        if (region.data > at && !goOn(region.data))
            return FileError::of(FileError::Cause::Cancelled);
        at = region.data;
        while (at < region.hole) {
            const ssize_t copied = copier.copy(from, to, at, size_t(std::min<off_t>(CopyChunkBytes, region.hole - at)));
            if (copied < 0)
                return FileError::fromSystem(int(-copied));
            if (copied == 0) { // cut short while being copied
                end = at;
                break;
            }
            at += copied;
            if (!goOn(at))
                return FileError::of(FileError::Cause::Cancelled);
        }
    }
    // A source cut short shows as a hole up to its old end: the copy ends
    // where the source ends now.
    if (::fstat(from, &status) == 0)
        end = std::min(end, status.st_size);
    if (::ftruncate(to, end) != 0)
        return FileError::fromSystem(errno);
    return {};
}


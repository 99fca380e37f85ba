// The content copy under Windows: the source is read and the copy written in
// chunks at the same offsets. Windows keeps holes only in files marked
// sparse, which replays never are, so every byte is copied.
#include "platform/FileContentCopy.h"

#include <qt_windows.h>

#include <io.h>

#include <algorithm>
#include <vector>

namespace {

HANDLE handleOf(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

FileError lastError()
{
    return FileError::fromSystem(int(GetLastError()));
}

OVERLAPPED at(qint64 offset)
{
    OVERLAPPED position {};
    position.Offset = DWORD(quint64(offset) & 0xFFFFFFFFu);
    position.OffsetHigh = DWORD(quint64(offset) >> 32);
    return position;
}

// Bytes read at offset: 0 at the source's end, -1 with *error on a failure.
qint64 readAt(HANDLE file, char *data, DWORD size, qint64 offset, FileError *error)
{
    OVERLAPPED position = at(offset);
    DWORD got = 0;
    if (ReadFile(file, data, size, &got, &position))
        return got;
    if (GetLastError() == ERROR_HANDLE_EOF)
        return 0;
    *error = lastError();
    return -1;
}

FileError writeAt(HANDLE file, const char *data, DWORD size, qint64 offset)
{
    while (size > 0) {
        OVERLAPPED position = at(offset);
        DWORD put = 0;
        if (!WriteFile(file, data, size, &put, &position))
            return lastError();
        if (put == 0)
            return FileError::fromSystem(ERROR_DISK_FULL);
        data += put;
        size -= put;
        offset += put;
    }
    return {};
}

bool sizeOf(HANDLE file, qint64 *size)
{
    LARGE_INTEGER value {};
    if (!GetFileSizeEx(file, &value))
        return false;
    *size = value.QuadPart;
    return true;
}

} // namespace

FileError copyFileContent(int from, int to, const CopyChunkDone &afterChunk)
{
    const HANDLE source = handleOf(from);
    const HANDLE target = handleOf(to);
    if (source == INVALID_HANDLE_VALUE || target == INVALID_HANDLE_VALUE)
        return FileError::fromSystem(ERROR_INVALID_HANDLE);
    qint64 total = 0;
    if (!sizeOf(source, &total))
        return lastError();

    std::vector<char> buffer(size_t(std::min<qint64>(std::max<qint64>(total, 1), CopyChunkBytes)));
    qint64 end = total;
    for (qint64 done = 0; done < end;) {
        const DWORD want = DWORD(std::min<qint64>(qint64(buffer.size()), end - done));
        FileError error;
        const qint64 got = readAt(source, buffer.data(), want, done, &error);
        if (got < 0)
            return error;
        if (got == 0) { // cut short while being copied
            end = done;
            break;
        }
        if (const FileError written = writeAt(target, buffer.data(), DWORD(got), done); written.failed())
            return written;
        done += got;
        if (afterChunk && !afterChunk(done, total))
            return FileError::of(FileError::Cause::Cancelled);
    }
    // The copy ends where the source ends now, if it was cut short.
    qint64 now = 0;
    if (sizeOf(source, &now))
        end = std::min(end, now);
    LARGE_INTEGER length {};
    length.QuadPart = end;
    if (!SetFilePointerEx(target, length, nullptr, FILE_BEGIN) || !SetEndOfFile(target))
        return lastError();
    return {};
}

#include "replay/ReplayStreamReader.h"

#include "replay/ReplayInfo.h"

#include <QIODevice>

#include <zlib.h>

#include <cstring>
#include <memory>

namespace {

// Input is read and output inflated in large chunks; only the first 408
// decompressed bytes are ever looked at, the rest is decompressed only to find
// where the stream ends.
constexpr int InputChunkSize = 64 * 1024;
constexpr int OutputChunkSize = 64 * 1024;
constexpr int HeadBytes = ReplayInfoRecords * ReplayRecordSize;

qint32 readLe32(const unsigned char *p)
{
    return qint32(quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
}

// Fills head from the complete records among the first `available` bytes of
// the decompressed stream; a trailing partial record is ignored.
void decodeHead(const unsigned char *bytes, int available, ReplayHead &head)
{
    const int records = available / ReplayRecordSize;
    for (int n = 0; n < records; ++n) {
        const unsigned char *record = bytes + n * ReplayRecordSize;
        // The first field of a record is never read.
        const qint32 second = readLe32(record + 4);
        if (n < 8) {
            // Version records carry one character in the low byte of each of
            // their second and third fields.
            head.ReplayVer[2 * n] = char(record[4]);
            head.ReplayVer[2 * n + 1] = char(record[8]);
        } else if (n == 8) {
            head.Dungeon = second;
        } else if (n == 9) {
            head.Floor = second;
        } else if (n == 10) {
            head.Chara = second;
        } else if (n == 11) {
            head.Score = second;
        } else if (n == 12) {
            head.PlayDate = second;
        } else if (n <= 21) {
            head.LimitPlay[n - 13] = second;
        } else if (n <= 32) {
            head.Extra[n - 22] = second;
        } else {
            // Play time in milliseconds; C++ division truncates toward zero,
            // and hours are not reduced modulo 24.
            const qint32 seconds = second / 1000;
            head.PlayHour = seconds / 3600;
            head.PlayMinute = (seconds - head.PlayHour * 3600) / 60;
            head.PlaySecond = seconds - head.PlayHour * 3600 - head.PlayMinute * 60;
        }
    }
}

// Owns the inflate state so that every way out releases it.
class Inflater
{
public:
    Inflater() { m_ok = inflateInit(&m_stream) == Z_OK; }
    ~Inflater()
    {
        if (m_ok)
            inflateEnd(&m_stream);
    }
    Inflater(const Inflater &) = delete;
    Inflater &operator=(const Inflater &) = delete;

    bool ok() const { return m_ok; }
    z_stream &stream() { return m_stream; }

private:
    z_stream m_stream{}; // zero: default allocators, no input yet
    bool m_ok = false;
};

// Reads until `size` bytes are there or the device has no more; returns the
// count read (a read error ends the reading like the end of the device).
qint64 readUpTo(QIODevice &file, char *data, qint64 size)
{
    qint64 total = 0;
    while (total < size) {
        const qint64 got = file.read(data + total, size - total);
        if (got <= 0)
            break;
        total += got;
    }
    return total;
}

} // namespace

qint64 ReadReplayStream(QIODevice &file, ReplayHead &head)
{
    Inflater inflater;
    if (!inflater.ok())
        return -1;
    z_stream &zs = inflater.stream();

    // Kept per thread rather than allocated per call: fresh heap pages for
    // every file of a folder scan cost more than the little inflating of a
    // small replay.
    thread_local const std::unique_ptr<unsigned char[]> input(new unsigned char[InputChunkSize]);
    thread_local const std::unique_ptr<unsigned char[]> output(new unsigned char[OutputChunkSize]);
    // The first 34 records, gathered across output chunks before decoding.
    unsigned char headBytes[HeadBytes];
    int headFilled = 0;

    qint64 bytesRead = 0;
    bool complete = false;
    for (;;) {
        if (zs.avail_in == 0) {
            const qint64 got = file.read(reinterpret_cast<char *>(input.get()), InputChunkSize);
            if (got <= 0)
                break; // end of the device before the stream's end, or a read error
            bytesRead += got;
            zs.next_in = input.get();
            zs.avail_in = uInt(got);
        }
        // The output is never kept: every call gets the whole buffer.
        zs.next_out = output.get();
        zs.avail_out = OutputChunkSize;
        const int rc = inflate(&zs, Z_SYNC_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break; // data or checksum error, dictionary request, no progress possible
        if (headFilled < HeadBytes) {
            const int produced = OutputChunkSize - int(zs.avail_out);
            const int take = qMin(produced, HeadBytes - headFilled);
            std::memcpy(headBytes + headFilled, output.get(), size_t(take));
            headFilled += take;
        }
        if (rc == Z_STREAM_END) {
            complete = true;
            break;
        }
    }
    if (!complete)
        return -1;

    // Give back what was read beyond the stream, so the device stands at byte L.
    const qint64 unused = zs.avail_in;
    if (unused > 0 && !file.seek(file.pos() - unused))
        return -1;
    decodeHead(headBytes, headFilled, head);
    return bytesRead - unused;
}

void ReadReplayText(QIODevice &file, ReplayInfo &info)
{
    // The comment is read only behind a complete name.
    if (readUpTo(file, info.PlayerName, PlayerNameSize) == PlayerNameSize)
        readUpTo(file, info.Comment, CommentSize);
}

#include "replay/ReplayStreamReader.h"

#include "platform/PerThread.h"
#include "replay/ReplayInfo.h"

#include <QIODevice>

#include <libdeflate.h>
#include <zlib.h>

#include <bit>
#include <cstring>
#include <memory>
#include <new>

namespace {

// The chunked reader reads and inflates 64 KiB at a time; only the first 408
// decompressed bytes are ever looked at, the rest is decompressed only to find
// where the stream ends.
constexpr int ChunkSize = 64 * 1024;
constexpr int HeadBytes = ReplayInfoRecords * ReplayRecordSize;

// Decoding a stream whole needs all its compressed bytes and all its
// decompressed data in memory at once. Replays are 50 KB to a few MB
// decompressed and a fraction of that on disk, so these caps leave ten times
// the room; anything larger (a huge file, a stream that inflates without end)
// is read in chunks instead, so memory stays bounded per thread. Powers of two,
// as buffers grow by doubling.
constexpr qint64 InputCap = 8 * 1024 * 1024;
constexpr size_t OutputCap = 32 * 1024 * 1024;
// Buffers up to these sizes are kept for the next file on the same thread;
// larger ones, needed only by the odd oversized replay, are given back.
constexpr size_t InputKeep = 2 * 1024 * 1024;
constexpr size_t OutputKeep = 8 * 1024 * 1024;
// First guess at the decompressed size, before the buffer has grown.
constexpr size_t OutputStart = 256 * 1024;
constexpr size_t GuessFactor = 4;

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

void giveBytes(const ReplayStreamBytes *streamBytes, const unsigned char *data, qint64 size)
{
    if (streamBytes && size > 0)
        (*streamBytes)(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
}

// Inflates in 64 KiB chunks with zlib, in constant memory. The first
// `preloaded` bytes of the device have already been read into `preload` (the
// device stands behind them); they are inflated in the same 64 KiB pieces as
// bytes read from the device, so that results, and the device position after
// a failure, are those of a plain chunked read.
// The chunked reader's two pieces, kept per thread.
struct ChunkBuffers {
    const std::unique_ptr<unsigned char[]> input{new unsigned char[ChunkSize]};
    const std::unique_ptr<unsigned char[]> output{new unsigned char[ChunkSize]};
};

qint64 inflateChunks(QIODevice &file, ReplayHead &head, const unsigned char *preload, qint64 preloaded,
                     const ReplayStreamBytes *streamBytes)
{
    Inflater inflater;
    if (!inflater.ok())
        return -1;
    z_stream &zs = inflater.stream();

    // Kept per thread rather than allocated per call: fresh heap pages for
    // every file of a folder scan cost more than the little inflating of a
    // small replay.
    ChunkBuffers &buffers = perThread<ChunkBuffers>();
    const std::unique_ptr<unsigned char[]> &input = buffers.input;
    const std::unique_ptr<unsigned char[]> &output = buffers.output;
    // The first 34 records, gathered across output chunks before decoding.
    unsigned char headBytes[HeadBytes];
    int headFilled = 0;

    qint64 bytesRead = preloaded; // from the device, by this call
    qint64 preloadUsed = 0;       // handed to inflate so far
    const unsigned char *chunk = nullptr;
    bool complete = false;
    for (;;) {
        if (zs.avail_in == 0) {
            giveBytes(streamBytes, chunk, zs.next_in - chunk);
            if (preloadUsed < preloaded) {
                const qint64 piece = qMin<qint64>(ChunkSize, preloaded - preloadUsed);
                chunk = preload + preloadUsed;
                preloadUsed += piece;
                zs.avail_in = uInt(piece);
            } else {
                const qint64 got = file.read(reinterpret_cast<char *>(input.get()), ChunkSize);
                if (got <= 0)
                    break; // end of the device before the stream's end, or a read error
                bytesRead += got;
                chunk = input.get();
                zs.avail_in = uInt(got);
            }
            zs.next_in = const_cast<unsigned char *>(chunk);
        }
        // The output is never kept: every call gets the whole buffer.
        zs.next_out = output.get();
        zs.avail_out = ChunkSize;
        const int rc = inflate(&zs, Z_SYNC_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            break; // data or checksum error, dictionary request, no progress possible
        if (headFilled < HeadBytes) {
            const int produced = ChunkSize - int(zs.avail_out);
            const int take = qMin(produced, HeadBytes - headFilled);
            std::memcpy(headBytes + headFilled, output.get(), size_t(take));
            headFilled += take;
        }
        if (rc == Z_STREAM_END) {
            complete = true;
            break;
        }
    }
    // Bytes read ahead of where chunked reading would stand.
    const qint64 ahead = preloaded - preloadUsed;
    if (!complete) {
        if (ahead > 0)
            file.seek(file.pos() - ahead); // only to match a chunked read; the caller only closes the device
        return -1;
    }

    // Give back what was read beyond the stream, so the device stands at byte L.
    const qint64 unused = qint64(zs.avail_in) + ahead;
    if (unused > 0 && !file.seek(file.pos() - unused))
        return -1;
    decodeHead(headBytes, headFilled, head);
    giveBytes(streamBytes, chunk, zs.next_in - chunk);
    return bytesRead - unused;
}

// The header that inflate accepts with a 15-bit window: check bits, the
// deflate method, a window of at most 32 KiB and no preset dictionary.
bool zlibHeaderOk(const unsigned char *bytes, qint64 size)
{
    if (size < 2)
        return false;
    const unsigned cmf = bytes[0];
    const unsigned flg = bytes[1];
    return (cmf * 256 + flg) % 31 == 0 && (cmf & 0x0f) == Z_DEFLATED && (cmf >> 4) <= 7 && !(flg & 0x20);
}

// A byte buffer that only grows, to powers of two, while in use.
class ByteBuffer
{
public:
    unsigned char *data() const { return m_data.get(); }
    size_t capacity() const { return m_capacity; }

    // Makes room for at least size bytes, keeping the first `keep`; false
    // when the memory cannot be had (the buffer is then as it was).
    bool reserve(size_t size, size_t keep)
    {
        if (size <= m_capacity)
            return true;
        const size_t capacity = std::bit_ceil(size);
        std::unique_ptr<unsigned char[]> grown(new (std::nothrow) unsigned char[capacity]);
        if (!grown)
            return false;
        if (keep > 0)
            std::memcpy(grown.get(), m_data.get(), keep);
        m_data = std::move(grown);
        m_capacity = capacity;
        return true;
    }

    void releaseAbove(size_t limit)
    {
        if (m_capacity > limit) {
            m_data.reset();
            m_capacity = 0;
        }
    }

private:
    std::unique_ptr<unsigned char[]> m_data;
    size_t m_capacity = 0;
};

struct DecompressorFree {
    void operator()(libdeflate_decompressor *d) const { libdeflate_free_decompressor(d); }
};

// One per thread: a scan on several threads gives each its own.
struct WholeDecoder {
    std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor{libdeflate_alloc_decompressor()};
    ByteBuffer input;
    ByteBuffer output;
};

// Gives back, when the call ends, whatever an oversized replay made grow.
class TrimOnExit
{
public:
    explicit TrimOnExit(WholeDecoder &decoder) : m_decoder(decoder) {}
    ~TrimOnExit()
    {
        m_decoder.input.releaseAbove(InputKeep);
        m_decoder.output.releaseAbove(OutputKeep);
    }
    TrimOnExit(const TrimOnExit &) = delete;
    TrimOnExit &operator=(const TrimOnExit &) = delete;

private:
    WholeDecoder &m_decoder;
};

// Reads on behind the first `have` bytes until the device ends or InputCap
// bytes are held; returns the count held.
qint64 readRest(QIODevice &file, ByteBuffer &input, qint64 have)
{
    while (have < InputCap) {
        // A file tells how much is left; other devices are read until they end.
        const qint64 left = file.isSequential() ? ChunkSize : file.size() - file.pos();
        if (left <= 0)
            break;
        const qint64 target = qMin(InputCap, have + qMax<qint64>(left, ChunkSize));
        if (!input.reserve(size_t(target), size_t(have)))
            break; // the chunked reader goes on from here
        const qint64 got = file.read(reinterpret_cast<char *>(input.data() + have), qint64(input.capacity()) - have);
        if (got <= 0)
            break;
        have += got;
    }
    return have;
}

// Reads the device whole (up to the cap) and decodes the stream in one call
// of libdeflate, which checks the Adler-32 trailer as inflate does. Anything
// it does not decode (damage, a stream beyond the caps) goes to the chunked
// reader, which then decides: a rejection is always inflate's own.
qint64 readWhole(QIODevice &file, ReplayHead &head, const ReplayStreamBytes *streamBytes)
{
    WholeDecoder &decoder = perThread<WholeDecoder>();
    const TrimOnExit trim(decoder);
    ByteBuffer &input = decoder.input;
    if (!input.reserve(ChunkSize, 0))
        return inflateChunks(file, head, nullptr, 0, streamBytes);

    // The first chunk, read as the chunked reader reads it, shows whether a
    // zlib stream can start here at all; a file that is no replay is not
    // read any further.
    qint64 have = file.read(reinterpret_cast<char *>(input.data()), ChunkSize);
    if (have <= 0)
        return -1;
    if (!decoder.decompressor || !zlibHeaderOk(input.data(), have))
        return inflateChunks(file, head, input.data(), have, streamBytes);
    have = readRest(file, input, have);

    ByteBuffer &output = decoder.output;
    size_t outputSize = qBound(OutputStart, std::bit_ceil(size_t(have) * GuessFactor), OutputCap);
    libdeflate_result result = LIBDEFLATE_INSUFFICIENT_SPACE;
    size_t used = 0;
    size_t produced = 0;
    for (;;) {
        if (!output.reserve(outputSize, 0))
            break;
        result = libdeflate_zlib_decompress_ex(decoder.decompressor.get(), input.data(), size_t(have),
                                               output.data(), output.capacity(), &used, &produced);
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE || output.capacity() >= OutputCap)
            break;
        outputSize = output.capacity() * 2;
    }
    if (result != LIBDEFLATE_SUCCESS)
        return inflateChunks(file, head, input.data(), have, streamBytes);

    const qint64 length = qint64(used);
    // Give back what was read beyond the stream, so the device stands at byte L.
    const qint64 unused = have - length;
    if (unused > 0 && !file.seek(file.pos() - unused))
        return -1;
    decodeHead(output.data(), int(qMin<size_t>(produced, HeadBytes)), head);
    giveBytes(streamBytes, input.data(), length);
    return length;
}

} // namespace

qint64 ReadReplayStream(QIODevice &file, ReplayHead &head)
{
    return readWhole(file, head, nullptr);
}

qint64 ReadReplayStream(QIODevice &file, ReplayHead &head, const ReplayStreamBytes &streamBytes)
{
    return readWhole(file, head, streamBytes ? &streamBytes : nullptr);
}

qint64 ReadReplayStreamZlib(QIODevice &file, ReplayHead &head)
{
    return inflateChunks(file, head, nullptr, 0, nullptr);
}

void ReadReplayText(QIODevice &file, ReplayInfo &info)
{
    // The comment is read only behind a complete name.
    if (readUpTo(file, info.PlayerName, PlayerNameSize) == PlayerNameSize)
        readUpTo(file, info.Comment, CommentSize);
}

#include "replay/ReplayStreamReader.h"

#include "replay/ByteBuffer.h"
#include "replay/ReplayInfo.h"
#include "replay/StreamDecoders.h"

#include <QIODevice>

#include <zlib.h>

#include <cstring>
#include <memory>

namespace {

// The chunked reader reads and inflates 64 KiB at a time; only the first 408
// decompressed bytes are ever looked at, the rest is decompressed only to find
// where the stream ends.
constexpr int ChunkSize = 64 * 1024;
constexpr int HeadBytes = StreamHeadBytes;

// Decoding a stream whole needs all its compressed bytes in memory at once.
// Replays are a few hundred KB or less on disk, so the cap leaves ten times
// the room; a larger file is read in chunks instead, so memory stays bounded
// per thread. A power of two, as the buffer grows by doubling.
constexpr qint64 InputCap = 8 * 1024 * 1024;
// A buffer up to this size is kept for the next file on the same thread; a
// larger one, needed only by the odd oversized file, is given back.
constexpr size_t InputKeep = 2 * 1024 * 1024;

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
    thread_local const std::unique_ptr<unsigned char[]> input(new unsigned char[ChunkSize]);
    thread_local const std::unique_ptr<unsigned char[]> output(new unsigned char[ChunkSize]);
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

// Gives back, when the call ends, whatever an oversized file made grow.
class TrimOnExit
{
public:
    explicit TrimOnExit(ByteBuffer &input) : m_input(input) {}
    ~TrimOnExit() { m_input.releaseAbove(InputKeep); }
    TrimOnExit(const TrimOnExit &) = delete;
    TrimOnExit &operator=(const TrimOnExit &) = delete;

private:
    ByteBuffer &m_input;
};

// Reads the device whole (up to the cap) and hands the bytes to a fast
// decoder. Anything it declines (damage, a stream beyond its limits) goes to
// the chunked reader, which then decides: a rejection is always inflate's own.
qint64 readWhole(StreamDecoder decoder, QIODevice &file, ReplayHead &head, const ReplayStreamBytes *streamBytes)
{
    thread_local ByteBuffer input;
    const TrimOnExit trim(input);
    if (!input.reserve(ChunkSize, 0))
        return inflateChunks(file, head, nullptr, 0, streamBytes);

    // The first chunk, read as the chunked reader reads it, shows whether a
    // zlib stream can start here at all; a file that is no replay is not
    // read any further.
    qint64 have = file.read(reinterpret_cast<char *>(input.data()), ChunkSize);
    if (have <= 0)
        return -1;
    if (!zlibHeaderOk(input.data(), have))
        return inflateChunks(file, head, input.data(), have, streamBytes);
    have = readRest(file, input, have);

    DecodedStream stream;
    if (!decoder(input.data(), have, stream))
        return inflateChunks(file, head, input.data(), have, streamBytes);

    // Give back what was read beyond the stream, so the device stands at byte L.
    const qint64 unused = have - stream.length;
    if (unused > 0 && !file.seek(file.pos() - unused))
        return -1;
    decodeHead(stream.head, stream.headBytes, head);
    giveBytes(streamBytes, input.data(), stream.length);
    return stream.length;
}

} // namespace

std::span<const NamedStreamDecoder> builtInStreamDecoders()
{
    // Measured across replays of every shape (see the README): ISA-L is the
    // fastest on streams of short matches, where libdeflate is barely faster
    // than zlib, and libdeflate on streams of literals.
    static const NamedStreamDecoder decoders[] = {
#ifdef QV_HAVE_ISAL
        {"isal+libdeflate", decodeByShape},
        {"isal", decodeWithIsal},
#endif
        {"libdeflate", decodeWithLibdeflate},
    };
    return decoders;
}

qint64 ReadReplayStreamWith(StreamDecoder decoder, QIODevice &file, ReplayHead &head,
                            const ReplayStreamBytes &streamBytes)
{
    return readWhole(decoder, file, head, streamBytes ? &streamBytes : nullptr);
}

qint64 ReadReplayStream(QIODevice &file, ReplayHead &head)
{
    return readWhole(builtInStreamDecoders().front().decode, file, head, nullptr);
}

qint64 ReadReplayStream(QIODevice &file, ReplayHead &head, const ReplayStreamBytes &streamBytes)
{
    return readWhole(builtInStreamDecoders().front().decode, file, head, streamBytes ? &streamBytes : nullptr);
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

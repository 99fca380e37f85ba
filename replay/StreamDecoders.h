#pragma once

#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"

#include <QtGlobal>

#include <span>

class QIODevice;

// The fast decoders behind ReadReplayStream. Each decodes a replay's zlib
// stream held whole in memory, and only ever accepts: whatever it does not
// decode (damage, a stream larger than it holds) it declines, and the zlib
// reference reader decides. Each keeps its state per thread, so that threads
// decode at once.

// Decompressed bytes that carry the replay's head.
inline constexpr int StreamHeadBytes = ReplayInfoRecords * ReplayRecordSize;

// What a decoder found: the stream's length in bytes (header and trailer
// included) and its first decompressed bytes, up to StreamHeadBytes.
struct DecodedStream {
    qint64 length = 0;
    int headBytes = 0;
    unsigned char head[StreamHeadBytes];
};

// True when input[0, size), whose first two bytes are a zlib header that
// inflate accepts, begins with one complete stream that decodes and passes
// its Adler-32 check; false for anything else.
using StreamDecoder = bool (*)(const unsigned char *input, qint64 size, DecodedStream &stream);

struct NamedStreamDecoder {
    const char *name;
    StreamDecoder decode;
};

// The decoders built into this program, the one ReadReplayStream uses first.
// Which are built is decided when the program is configured (ISA-L is
// optional; libdeflate is always there).
std::span<const NamedStreamDecoder> builtInStreamDecoders();

// libdeflate: one call over the whole stream into an output buffer that grows
// up to 32 MiB.
bool decodeWithLibdeflate(const unsigned char *input, qint64 size, DecodedStream &stream);

// ISA-L (built only where it is found): decodes in pieces into a small output
// buffer that stays in the processor's cache, for any decompressed size.
bool decodeWithIsal(const unsigned char *input, qint64 size, DecodedStream &stream);
// ISA-L, unless the stream's first piece shows it is nearly all literals,
// which libdeflate decodes faster: then libdeflate.
bool decodeByShape(const unsigned char *input, qint64 size, DecodedStream &stream);

// ReadReplayStream with the given decoder in front of the zlib reference:
// for the tests and benchmarks that compare them.
qint64 ReadReplayStreamWith(StreamDecoder decoder, QIODevice &file, ReplayHead &head,
                            const ReplayStreamBytes &streamBytes = {});

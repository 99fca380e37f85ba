#include "replay/StreamDecoders.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

namespace {

// The output is never kept beyond the head: every piece goes to the same
// buffer, small enough to stay in the processor's cache. ISA-L keeps the
// window the stream refers back to in its own state.
constexpr uint32_t OutputPiece = 256 * 1024;
// The first piece, which shows the stream's shape.
constexpr uint32_t ProbePiece = 16 * 1024;
// A stream whose first piece took more than this many input bytes per 100
// bytes out is nearly all literals (noise-like data, or a stream deflated
// without matches).
constexpr qint64 LiteralHeavyPercent = 60;

struct Decoder {
    inflate_state state;
    unsigned char output[OutputPiece];
};

enum class Verdict { Decoded, Declined, LiteralHeavy };

Verdict decode(const unsigned char *input, qint64 size, DecodedStream &stream, bool probe)
{
    if (size > qint64(std::numeric_limits<uint32_t>::max()))
        return Verdict::Declined;
    // About 300 KiB: on the heap, once per thread.
    thread_local const std::unique_ptr<Decoder> decoder(new Decoder);
    inflate_state &state = decoder->state;
    isal_inflate_init(&state);
    state.crc_flag = ISAL_ZLIB; // parses the header and checks the Adler-32 trailer
    state.next_in = const_cast<uint8_t *>(input);
    state.avail_in = uint32_t(size);
    stream.headBytes = 0;
    bool first = true;
    for (;;) {
        state.next_out = decoder->output;
        state.avail_out = first && probe ? ProbePiece : OutputPiece;
        const uint32_t before = state.total_out;
        if (isal_inflate(&state) != ISAL_DECOMP_OK)
            return Verdict::Declined;
        const uint32_t produced = state.total_out - before;
        if (stream.headBytes < StreamHeadBytes) {
            const int take = int(std::min<uint32_t>(produced, uint32_t(StreamHeadBytes - stream.headBytes)));
            std::memcpy(stream.head + stream.headBytes, decoder->output, size_t(take));
            stream.headBytes += take;
        }
        if (state.block_state == ISAL_BLOCK_FINISH)
            break;
        // Short of the stream's end with room left: the input ran out.
        if (state.avail_out > 0)
            return Verdict::Declined;
        if (first && probe && (size - qint64(state.avail_in)) * 100 > LiteralHeavyPercent * qint64(produced))
            return Verdict::LiteralHeavy;
        first = false;
    }
    // Whole bytes still in ISA-L's bit buffer lie beyond the trailer.
    stream.length = qint64(state.next_in - input) - state.read_in_length / 8;
    return Verdict::Decoded;
}

} // namespace

bool decodeWithIsal(const unsigned char *input, qint64 size, DecodedStream &stream)
{
    return decode(input, size, stream, false) == Verdict::Decoded;
}

bool decodeByShape(const unsigned char *input, qint64 size, DecodedStream &stream)
{
    switch (decode(input, size, stream, true)) {
    case Verdict::Decoded:
        return true;
    case Verdict::Declined:
        return false;
    case Verdict::LiteralHeavy:
        break;
    }
    return decodeWithLibdeflate(input, size, stream);
}

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
// The first input handed over, which shows the stream's shape.
constexpr qint64 ProbeInput = 8 * 1024;
// A stream whose first bytes decode to less than this many bytes per 60
// bytes in is nearly all literals (noise-like data, or a stream deflated
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
    bool probing = probe && size > ProbeInput;
    state.avail_in = uint32_t(probing ? ProbeInput : size);
    stream.headBytes = 0;
    for (;;) {
        state.next_out = decoder->output;
        state.avail_out = OutputPiece;
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
        if (probing) {
            probing = false;
            // What the first bytes decoded to, with what ISA-L holds back
            // in a buffer of its own.
            const qint64 decoded = qint64(state.total_out) + state.tmp_out_valid - state.tmp_out_processed;
            if ((state.next_in - input) * 100 > LiteralHeavyPercent * decoded)
                return Verdict::LiteralHeavy;
            state.avail_in = uint32_t(input + size - state.next_in);
            continue;
        }
        // Short of the stream's end with room left: the input ran out.
        if (state.avail_out > 0)
            return Verdict::Declined;
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

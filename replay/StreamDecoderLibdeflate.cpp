#include "replay/ByteBuffer.h"
#include "replay/StreamDecoders.h"

#include <libdeflate.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

namespace {

// Decoding a stream whole needs all its decompressed data in memory at once.
// Replays are 50 KB to a few MB decompressed, so the cap leaves ten times the
// room; anything larger (a stream that inflates without end) is declined, so
// memory stays bounded per thread. A power of two, as the buffer grows by
// doubling.
constexpr size_t OutputCap = 32 * 1024 * 1024;
// A buffer up to this size is kept for the next file on the same thread; a
// larger one, needed only by the odd oversized replay, is given back.
constexpr size_t OutputKeep = 8 * 1024 * 1024;
// First guess at the decompressed size, before the buffer has grown.
constexpr size_t OutputStart = 256 * 1024;
constexpr size_t GuessFactor = 4;

struct DecompressorFree {
    void operator()(libdeflate_decompressor *d) const { libdeflate_free_decompressor(d); }
};

struct Decoder {
    std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor{libdeflate_alloc_decompressor()};
    ByteBuffer output;
};

} // namespace

bool decodeWithLibdeflate(const unsigned char *input, qint64 size, DecodedStream &stream)
{
    thread_local Decoder decoder;
    if (!decoder.decompressor)
        return false;
    ByteBuffer &output = decoder.output;
    size_t outputSize = std::clamp(std::bit_ceil(size_t(size) * GuessFactor), OutputStart, OutputCap);
    libdeflate_result result = LIBDEFLATE_INSUFFICIENT_SPACE;
    size_t used = 0;
    size_t produced = 0;
    for (;;) {
        if (!output.reserve(outputSize, 0))
            break;
        result = libdeflate_zlib_decompress_ex(decoder.decompressor.get(), input, size_t(size), output.data(),
                                               output.capacity(), &used, &produced);
        if (result != LIBDEFLATE_INSUFFICIENT_SPACE || output.capacity() >= OutputCap)
            break;
        outputSize = output.capacity() * 2;
    }
    if (result == LIBDEFLATE_SUCCESS) {
        stream.length = qint64(used);
        stream.headBytes = int(std::min<size_t>(produced, StreamHeadBytes));
        std::memcpy(stream.head, output.data(), size_t(stream.headBytes));
    }
    output.releaseAbove(OutputKeep);
    return result == LIBDEFLATE_SUCCESS;
}

// Feeds arbitrary bytes to the stream reader, with each fast decoder built
// in, and to the chunked zlib reader, and stops on any difference: the
// length, the device position (after a failure too), the head, and the
// stream bytes handed out.
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "replay/StreamDecoders.h"

#include <QBuffer>
#include <QByteArray>

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Outcome {
    qint64 length = -1;
    qint64 position = -1;
    ReplayHead head{};
    QByteArray streamBytes;
};

template <typename Read>
Outcome readWith(const QByteArray &bytes, Read read)
{
    Outcome r;
    QBuffer file;
    file.setData(bytes);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    r.length = read(file, r);
    r.position = file.pos();
    return r;
}

// The fast decoders read a few kinds of invalid deflate data as valid where
// inflate stops. libdeflate: reserved symbols of the fixed code, more than 286
// literal/length or 30 distance codes, a code-length repeat past the last
// length, and the unused half of a one-codeword code. ISA-L: Huffman codes
// that are incomplete or over-subscribed. With a matching Adler-32 trailer
// behind them only a deliberately made file has them; the fuzzer may make
// one, so those differences are let pass.
bool knownLeniency(const QByteArray &bytes)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return false;
    QByteArray out(64 * 1024, Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    zs.avail_in = uInt(bytes.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef *>(out.data());
        zs.avail_out = uInt(out.size());
        rc = inflate(&zs, Z_SYNC_FLUSH);
    }
    const char *message = zs.msg ? zs.msg : "";
    inflateEnd(&zs);
    for (const char *known : {"invalid literal/length code", "invalid distance code",
                              "too many length or distance symbols", "invalid bit length repeat",
                              "invalid literal/lengths set", "invalid distances set"}) {
        if (rc == Z_DATA_ERROR && std::strcmp(message, known) == 0)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const Outcome zlib = readWith(bytes, [](QIODevice &file, Outcome &r) { return ReadReplayStreamZlib(file, r.head); });
    for (const NamedStreamDecoder &decoder : builtInStreamDecoders()) {
        const Outcome fast = readWith(bytes, [&decoder](QIODevice &file, Outcome &r) {
            return ReadReplayStreamWith(decoder.decode, file, r.head,
                                        [&r](QByteArrayView piece) { r.streamBytes += piece; });
        });
        if (fast.length >= 0 && zlib.length < 0 && knownLeniency(bytes))
            continue;
        if (fast.length != zlib.length || fast.position != zlib.position
            || std::memcmp(&fast.head, &zlib.head, sizeof(ReplayHead)) != 0)
            std::abort();
        if (fast.length >= 0 && fast.streamBytes != bytes.left(fast.length))
            std::abort();
    }
    return 0;
}

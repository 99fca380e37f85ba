// Feeds arbitrary bytes to the Shift-JIS field decoding and encoding: the
// first 30 bytes as a player name field, the next 1024 as a comment field.
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void checkField(const char *bytes, size_t available, int width)
{
    // A field as a reader holds it: the bytes there are, zero-padded.
    QByteArray field(width, '\0');
    if (available > 0)
        std::memcpy(field.data(), bytes, qMin(available, size_t(width)));

    const ShiftJisText text = ShiftJisText::fromField(field.constData(), width);
    if (text.bytes() != fieldBytes(field.constData(), width))
        std::abort();
    if (ShiftJisText::decodeField(field.constData(), width) != text.text())
        std::abort();

    // An unchanged text is written back byte for byte.
    const ShiftJisEncoded same = text.bytesFor(text.text(), width);
    if (same.bytes != text.bytes() || !same.isExact())
        std::abort();

    // Encoding never exceeds its limit (the full width, and one the input
    // picks), and a stored field keeps its width.
    const int picked = available > 0 ? int(uchar(bytes[0])) % (width + 1) : 0;
    for (int limit : {picked, width}) {
        const ShiftJisEncoded encoded = ShiftJisText::encode(text.text(), limit);
        if (encoded.bytes.size() > limit)
            std::abort();
        QByteArray stored(width, 'x');
        ShiftJisText::storeField(encoded.bytes, stored.data(), width);
        if (stored.size() != width || !stored.startsWith(encoded.bytes))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    checkField(bytes, size, PlayerNameSize);
    const size_t rest = size > size_t(PlayerNameSize) ? size - size_t(PlayerNameSize) : 0;
    checkField(bytes + (size - rest), rest, CommentSize);
    // Any byte string decodes without harm, NULs and all.
    (void)ShiftJisText::decode(QByteArrayView(bytes, qsizetype(size)));
    return 0;
}

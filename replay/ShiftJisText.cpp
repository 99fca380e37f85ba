#include "replay/ShiftJisText.h"

#include "platform/CodePage932.h"
#include "replay/ReplayInfo.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

// The system's code page 932 converter does the characters. Under Linux that
// is ICU, which differs from the Windows code page in two ways that matter
// here: it swaps the control codes 0x1A, 0x1C and 0x7F, and it reports bad
// input with U+001A or by silently dropping a lone lead byte. So the byte
// structure is split here, single bytes 0x00-0x7F are mapped one to one (as
// code page 932 does), and the converter only ever sees double-byte
// characters and half-width katakana.

namespace {

bool isHalfWidthKana(uchar b) { return b >= 0xA1 && b <= 0xDF; }

// Control codes that ICU maps differently from the Windows code page.
bool isSwappedControl(uint c) { return c == 0x1A || c == 0x1C || c == 0x7F; }

// Length of the Shift-JIS unit starting at i: 1 or 2, or 0 for an undecodable byte.
int unitLength(QByteArrayView bytes, qsizetype i)
{
    const uchar b = uchar(bytes[i]);
    if (b < 0x80 || isHalfWidthKana(b))
        return 1;
    if (ShiftJisText::startsPair(bytes, i))
        return 2;
    return 0;
}

// True when the converter can decode the whole input at once: well-formed, and no
// control code that it would map differently.
bool suitsWholeDecode(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = unitLength(bytes, i);
        if (length == 0 || (length == 1 && isSwappedControl(uchar(bytes[i]))))
            return false;
        i += length;
    }
    return true;
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

QString decodeByUnit(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = unitLength(bytes, i);
        const uchar b = uchar(bytes[i]);
        if (length == 0) {
            text += QChar::ReplacementCharacter;
            i += 1;
            continue;
        }
        if (b < 0x80) {
            text += QLatin1Char(char(b));
            i += 1;
            continue;
        }
        bool error = false;
        const QString unit = CodePage932::decode(bytes.sliced(i, length), &error);
        // An unassigned code comes back as an error (U+FFFD or U+001A).
        text += error || unit.isEmpty() ? QString(QChar::ReplacementCharacter) : unit;
        i += length;
    }
    return text;
}

// Encodes one code point; empty when it has no Shift-JIS form. A one-way
// mapping (bytes that read back as another character) counts as none, so that
// what is stored is what was typed.
QByteArray encodeCodePoint(QStringView codePoint)
{
    if (codePoint.size() == 1 && codePoint[0].unicode() < 0x80)
        return QByteArray(1, char(codePoint[0].unicode()));
    bool error = false;
    const QByteArray bytes = CodePage932::encode(codePoint, &error);
    if (error || bytes.isEmpty() || ShiftJisText::decode(bytes) != codePoint)
        return {};
    return bytes;
}

bool hasSwappedControl(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isSwappedControl(c.unicode()); });
}

} // namespace

bool ShiftJisText::startsPair(QByteArrayView bytes, qsizetype i)
{
    // Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0xFC but 0x7F.
    if (i < 0 || i + 1 >= bytes.size())
        return false;
    const uchar lead = uchar(bytes[i]);
    const uchar trail = uchar(bytes[i + 1]);
    return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) && trail >= 0x40 && trail <= 0xFC
        && trail != 0x7F;
}

ShiftJisText::ShiftJisText(const QByteArray &bytes)
    : m_bytes(bytes)
    , m_text(decode(bytes))
{
}

ShiftJisText ShiftJisText::fromField(const char *field, int width)
{
    return ShiftJisText(fieldBytes(field, width));
}

ShiftJisEncoded ShiftJisText::bytesFor(const QString &edited, int maxBytes) const
{
    if (edited == m_text && m_bytes.size() <= maxBytes)
        return ShiftJisEncoded{m_bytes, false, false};
    return encode(edited, maxBytes);
}

QString ShiftJisText::decode(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (suitsWholeDecode(bytes)) {
        bool error = false;
        QString text = CodePage932::decode(bytes, &error);
        if (!error)
            return text;
    }
    return decodeByUnit(bytes);
}

QString ShiftJisText::decodeField(const char *field, int width)
{
    const void *nul = std::memchr(field, 0, size_t(width));
    const int length = nul ? int(static_cast<const char *>(nul) - field) : width;
    return decode(QByteArrayView(field, length));
}

ShiftJisEncoded ShiftJisText::encode(QStringView text, int maxBytes)
{
    maxBytes = std::max(maxBytes, 0);
    ShiftJisEncoded result;
    if (!hasSwappedControl(text)) {
        bool error = false;
        QByteArray bytes = CodePage932::encode(text, &error);
        if (!error && bytes.size() <= maxBytes && decode(bytes) == text) {
            result.bytes = std::move(bytes);
            return result;
        }
    }
    // Character by character: cut at the last whole character that fits, and
    // look at the rest only to report characters without a Shift-JIS form.
    result.bytes.reserve(maxBytes);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size()
                && text[i + 1].isLowSurrogate() ? 2 : 1;
        QByteArray bytes = encodeCodePoint(text.sliced(i, length));
        i += length;
        if (bytes.isEmpty()) {
            result.unencodable = true;
            bytes = QByteArrayLiteral("?");
        }
        if (result.cut)
            continue;
        if (result.bytes.size() + bytes.size() > maxBytes) {
            result.cut = true;
            continue;
        }
        result.bytes += bytes;
    }
    return result;
}

void ShiftJisText::storeField(QByteArrayView bytes, char *field, int width)
{
    const qsizetype length = std::min<qsizetype>(bytes.size(), width);
    std::memcpy(field, bytes.data(), size_t(length));
    std::memset(field + length, 0, size_t(width - length));
}

bool ShiftJisText::isUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder(bytes); // decoding happens here, when the result becomes a QString
    return !decoder.hasError();
}

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text encoded for a fixed-width Shift-JIS field.
struct ShiftJisEncoded {
    QByteArray bytes;         // never longer than the limit asked for; no NUL padding
    bool cut = false;         // the text did not fit and was cut at a character boundary
    bool unencodable = false; // some character has no Shift-JIS form; "?" stands in for it

    // True when bytes hold the whole text exactly.
    bool isExact() const { return !cut && !unencodable; }
};

// A Shift-JIS (code page 932) text field: the bytes as read from a file together
// with their display text. Keeping the bytes lets an edit write back a text the
// user did not change byte for byte, even where decoding and encoding again would
// give other bytes (the NEC and IBM duplicate codes, undecodable bytes).
class ShiftJisText
{
public:
    ShiftJisText() = default;
    explicit ShiftJisText(const QByteArray &bytes);

    // The bytes of a NUL-padded field up to its first NUL; a full field has none.
    static ShiftJisText fromField(const char *field, int width);

    const QByteArray &bytes() const { return m_bytes; }
    const QString &text() const { return m_text; }

    // The bytes to store when the user leaves the field showing `edited`: the
    // original bytes when the text is unchanged, else encode(edited, maxBytes).
    ShiftJisEncoded bytesFor(const QString &edited, int maxBytes) const;

    // Display text of Shift-JIS bytes. Every byte or byte pair that is no
    // Shift-JIS character (a stray trail byte, a lead byte without a valid
    // trail, an unassigned code) becomes U+FFFD; control bytes stay themselves.
    static QString decode(QByteArrayView bytes);

    // Display text of a NUL-padded field: its bytes up to the first NUL or all
    // `width` of them.
    static QString decodeField(const char *field, int width);

    // Encodes text into at most maxBytes bytes, never splitting a double-byte
    // character; reports a cut and characters without a Shift-JIS form.
    static ShiftJisEncoded encode(QStringView text, int maxBytes);

    // True when bytes[i] is a lead byte followed by a trail byte: the two
    // make one double-byte character; every other byte stands alone.
    static bool startsPair(QByteArrayView bytes, qsizetype i);

    // True when bytes are well-formed UTF-8 (file names and settings values
    // written on this system are; Shift-JIS bytes beyond ASCII seldom are).
    static bool isUtf8(QByteArrayView bytes);

    // Copies bytes into a field of `width` bytes, NUL-padded; bytes beyond the
    // width are dropped (callers pass encode() results, which always fit).
    static void storeField(QByteArrayView bytes, char *field, int width);

private:
    QByteArray m_bytes;
    QString m_text;
};

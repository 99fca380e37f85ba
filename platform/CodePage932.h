#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Code page 932 (Shift-JIS as the game writes it) through the system's own
// converter: ICU under Linux, the Windows API under Windows. Callers hand it
// whole characters; the byte structure is theirs to check (ShiftJisText).
namespace CodePage932 {

// The text of bytes. *error is set when some bytes have no character; the
// text then holds stand-ins for them.
QString decode(QByteArrayView bytes, bool *error);

// The bytes of text. *error is set when some character has no form in the
// code page; the bytes then hold stand-ins for it.
QByteArray encode(QStringView text, bool *error);

} // namespace CodePage932

#include "platform/CodePage932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr char Codec[] = "CP932";

} // namespace

// Opening a converter costs more than decoding a name, so each thread keeps
// one. Its error flag cannot be cleared (resetState() would close the ICU
// converter), so a converter that saw an error is replaced.
QString CodePage932::decode(QByteArrayView bytes, bool *error)
{
    thread_local QStringDecoder decoder(Codec, QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    *error = decoder.hasError();
    if (*error)
        decoder = QStringDecoder(Codec, QStringConverter::Flag::Stateless);
    return text;
}

QByteArray CodePage932::encode(QStringView text, bool *error)
{
    QStringEncoder encoder(Codec);
    QByteArray bytes = encoder(text);
    *error = encoder.hasError();
    return bytes;
}

#include "platform/CodePage932.h"

#include <qt_windows.h>

#include <climits>

namespace {

constexpr UINT CodePage = 932;

} // namespace

QString CodePage932::decode(QByteArrayView bytes, bool *error)
{
    *error = false;
    if (bytes.isEmpty())
        return {};
    if (bytes.size() > INT_MAX) {
        *error = true;
        return {};
    }
    const int size = int(bytes.size());
    // One UTF-16 unit a byte is always enough.
    QString text(size, Qt::Uninitialized);
    auto *out = reinterpret_cast<wchar_t *>(text.data());
    // Strict first: an unassigned code is an error, not the code page's
    // stand-in (U+30FB), which is a character of its own.
    int length = MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out, size);
    if (length == 0) {
        *error = true;
        length = MultiByteToWideChar(CodePage, 0, bytes.data(), size, out, size);
    }
    text.truncate(length);
    return text;
}

QByteArray CodePage932::encode(QStringView text, bool *error)
{
    *error = false;
    if (text.isEmpty())
        return {};
    if (text.size() > INT_MAX / 2) {
        *error = true;
        return {};
    }
    const int size = int(text.size());
    const auto *in = reinterpret_cast<const wchar_t *>(text.utf16());
    QByteArray bytes(size * 2, Qt::Uninitialized);
    BOOL usedDefault = FALSE;
    // No best fit: a character without its own code must not quietly become
    // a look-alike ("¥" as the backslash byte).
    const int length = WideCharToMultiByte(CodePage, WC_NO_BEST_FIT_CHARS, in, size, bytes.data(), int(bytes.size()),
                                           nullptr, &usedDefault);
    *error = length == 0 || usedDefault;
    bytes.truncate(length);
    return bytes;
}

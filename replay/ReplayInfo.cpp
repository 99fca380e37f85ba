#include "replay/ReplayInfo.h"

#include <QByteArray>

#include <cstring>

namespace {
constexpr char ReplayPrefix[] = "QVreplay";
constexpr int ReplayPrefixSize = 8;
}

bool hasReplayPrefix(const ReplayHead &head)
{
    return std::memcmp(head.ReplayVer, ReplayPrefix, ReplayPrefixSize) == 0;
}

QByteArray fieldBytes(const char *field, int width)
{
    const void *nul = std::memchr(field, 0, size_t(width));
    const int length = nul ? int(static_cast<const char *>(nul) - field) : width;
    return QByteArray(field, length);
}

QByteArray storedFieldBytes(const char *field, int width)
{
    int length = width;
    while (length > 0 && field[length - 1] == 0)
        --length;
    return QByteArray(field, length);
}

void putStoredField(const QByteArray &stored, char *field, int width)
{
    const int length = int(qMin<qsizetype>(stored.size(), width));
    std::memcpy(field, stored.constData(), size_t(length));
    std::memset(field + length, 0, size_t(width - length));
}

QByteArray versionText(const ReplayHead &head)
{
    return fieldBytes(head.ReplayVer, ReplayVerSize);
}

bool isEditLockedVersion(const ReplayHead &head)
{
    // The names are plain ASCII, so an ASCII case fold is the whole comparison.
    const QByteArray version = versionText(head);
    return version.compare("QVreplay Ver105 ", Qt::CaseInsensitive) == 0
        || version.compare("QVreplay Ver106 ", Qt::CaseInsensitive) == 0;
}

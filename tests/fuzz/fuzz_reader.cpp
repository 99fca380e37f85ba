// Feeds arbitrary bytes to the replay stream reader as if they were a file.
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QBuffer file;
    file.setData(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!file.open(QIODevice::ReadOnly))
        return 0;

    ReplayInfo info{};
    const qint64 length = ReadReplayStream(file, info);
    if (length < 0) {
        // A rejected stream leaves the caller's cleared head alone.
        static const ReplayHead cleared{};
        if (std::memcmp(&info, &cleared, sizeof(ReplayHead)) != 0)
            std::abort();
        return 0;
    }
    // The device must stand right behind the stream.
    if (length > qint64(size) || file.pos() != length)
        std::abort();
    ReadReplayText(file, info);
    if (file.pos() > length + ReplayTextSize)
        std::abort();
    (void)versionText(info);
    (void)isEditLockedVersion(info);
    (void)fieldBytes(info.PlayerName, PlayerNameSize);
    (void)fieldBytes(info.Comment, CommentSize);
    return 0;
}

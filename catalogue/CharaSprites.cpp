#include "catalogue/CharaSprites.h"

#include "resources/ArtResources.h"

#include <array>

QImage charaSprite(int pose, int chara)
{
    const QString path = charaSpritePath(pose, chara);
    if (path.isEmpty())
        return {};
    // Eighteen small frames, decoded once and kept for the whole run.
    static std::array<QImage, 18> cache;
    QImage &frame = cache[size_t((pose - 1) * 6 + chara)];
    if (frame.isNull())
        frame = QImage(path).convertToFormat(QImage::Format_RGB32);
    return frame;
}

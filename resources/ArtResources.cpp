#include "resources/ArtResources.h"

#include <QIcon>

QString charaSpritePath(int pose, int chara)
{
    if (pose < 1 || pose > 3 || chara < 0 || chara > 5)
        return {};
    return QStringLiteral(":/sprites/chara%1_pose%2.png").arg(chara).arg(pose);
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/program_%1.png").arg(size), QSize(size, size));
    return icon;
}

QString aboutPicturePath()
{
    return QStringLiteral(":/icons/about_32.png");
}

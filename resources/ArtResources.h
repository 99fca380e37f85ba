#pragma once

#include <QString>

class QIcon;

// Resource paths of the embedded art (made from sprites.txt and icons.txt).

// ":/sprites/chara<k>_pose<p>.png"; empty for pose outside 1..3 or chara outside 0..5.
QString charaSpritePath(int pose, int chara);

// The program's icon in all its sizes (16, 32, 48, 64, 128, 256).
QIcon programIcon();

// The version box's own 32 x 32 picture.
QString aboutPicturePath();

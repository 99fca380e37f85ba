#pragma once

#include <QImage>

// The three sprite sheets: pose 1 standing, 2 and 3 the two steps of a walk;
// frame k shows character index k (0..5); every frame is 64 x 96 on black.
// Invalid arguments give a null image.
QImage charaSprite(int pose, int chara);

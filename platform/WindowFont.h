#pragma once

#include <QFont>

// The font of every window and dialog: the proportional Japanese gothic the
// layouts were made for, then the free fonts that stand in for it, 12 px.
QFont windowFont();

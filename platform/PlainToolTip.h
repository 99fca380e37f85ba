#pragma once

#include <QString>

// A tooltip that shows text exactly as it is, line breaks included. Qt takes
// a tooltip that looks like markup for rich text (a file named
// "<img src=x.png>.dat" would load a picture); names, paths and comments in
// tooltips go through this. Empty text gives no tooltip.
QString plainToolTip(const QString &text);

#pragma once

#include <QString>

// Locale-aware comparison ignoring letter case, the same for the whole run:
// negative, 0 or positive.
int compareTextIgnoreCase(const QString &a, const QString &b);

// True when a and b are equal ignoring letter case.
bool sameTextIgnoreCase(const QString &a, const QString &b);

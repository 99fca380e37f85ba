#include "platform/TextCompare.h"

#include <QCollator>

namespace {
const QCollator &collator()
{
    // One collator for the whole run: the user's locale, letter case ignored.
    static const QCollator instance = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return instance;
}
} // namespace

int compareTextIgnoreCase(const QString &a, const QString &b)
{
    return collator().compare(a, b);
}

bool sameTextIgnoreCase(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

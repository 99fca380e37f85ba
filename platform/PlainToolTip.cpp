#include "platform/PlainToolTip.h"

QString plainToolTip(const QString &text)
{
    if (text.isEmpty())
        return {};
    // As rich text that keeps every blank and line break, like plain text.
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

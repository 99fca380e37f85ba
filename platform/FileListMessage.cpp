#include "platform/FileListMessage.h"

FileListMessage FileListMessage::of(const QString &heading, const QStringList &lines)
{
    if (lines.isEmpty())
        return {}; // every file went well: nothing to say
    return FileListMessage{heading + QStringLiteral("\n\n") + shownLines(lines), detailLines(lines)};
}

QString FileListMessage::shownLines(const QStringList &lines)
{
    QString text = lines.mid(0, ShownLines).join(QLatin1Char('\n'));
    if (lines.size() > ShownLines)
        text += QStringLiteral("\n…ほか %1 件").arg(lines.size() - ShownLines);
    return text;
}

QString FileListMessage::detailLines(const QStringList &lines)
{
    return lines.size() > ShownLines ? lines.join(QLatin1Char('\n')) : QString();
}

#include "platform/FileNames.h"

bool FileNames::hasForbiddenCharacter(const QString &name)
{
    return name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0'));
}

QString FileNames::forbiddenCharactersText()
{
    return QStringLiteral("「/」または NUL 文字");
}

bool FileNames::isDeviceName(const QString &)
{
    return false;
}

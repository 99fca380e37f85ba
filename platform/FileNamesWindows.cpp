#include "platform/FileNames.h"

#include <QRegularExpression>

bool FileNames::hasForbiddenCharacter(const QString &name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || forbidden.contains(c))
            return true;
    }
    return false;
}

QString FileNames::forbiddenCharactersText()
{
    return QStringLiteral("「\\ / : * ? \" < > |」または制御文字");
}

bool FileNames::isDeviceName(const QString &name)
{
    // Windows ignores an extension and blanks before it.
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]) *(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    return device.match(name).hasMatch();
}

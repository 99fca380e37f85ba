#include "operations/CopyTargetName.h"

#include "platform/FileNames.h"
#include "platform/FileSystem.h"

#include <QFileInfo>

QString copyTargetFileName(const QString &typed)
{
    if (typed.endsWith(QLatin1StringView(".dat"), Qt::CaseInsensitive))
        return typed;
    return typed + QLatin1StringView(".dat");
}

QString typedNameRefusal(const QString &typed)
{
    if (FileNames::hasForbiddenCharacter(typed))
        return QStringLiteral("ファイル名に使えない文字（%1）が含まれています。").arg(FileNames::forbiddenCharactersText());
    if (typed == QLatin1StringView(".") || typed == QLatin1StringView("..")
        || FileNames::isDeviceName(copyTargetFileName(typed)))
        return QStringLiteral("「%1」はファイル名に使えません。").arg(typed);
    // The folder listing skips such names: the copy would never be shown.
    if (typed.startsWith(QLatin1Char('.')))
        return QStringLiteral("「%1」のように「.」で始まる名前のファイルは一覧に表示されないため、使えません。")
            .arg(copyTargetFileName(typed));
    return {};
}

QString destinationRefusal(const QString &destinationPath, const QString &sourcePath)
{
    const QFileInfo destination(destinationPath);
    if (destination.isDir())
        return QStringLiteral("「%1」は既にあるフォルダの名前です。別のファイル名を指定してください。")
            .arg(destination.fileName());
    if (isSameFile(destinationPath, sourcePath))
        return QStringLiteral("「%1」はコピー元のファイルそのものです。別のコピー先を指定してください。")
            .arg(destination.fileName());
    return {};
}

bool isSameFile(const QString &a, const QString &b)
{
    return FileSystem::isSameFile(a, b);
}

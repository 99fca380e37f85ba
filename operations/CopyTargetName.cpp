#include "operations/CopyTargetName.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

QString copyTargetFileName(const QString &typed)
{
    if (typed.endsWith(QLatin1StringView(".dat"), Qt::CaseInsensitive))
        return typed;
    return typed + QLatin1StringView(".dat");
}

QString typedNameRefusal(const QString &typed)
{
    if (typed.contains(QLatin1Char('/')) || typed.contains(QChar(u'\0')))
        return QStringLiteral("ファイル名に使えない文字（「/」など）が含まれています。");
    if (typed == QLatin1StringView(".") || typed == QLatin1StringView(".."))
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
#ifdef Q_OS_UNIX
    struct stat first {};
    struct stat second {};
    if (::stat(QFile::encodeName(a).constData(), &first) != 0
        || ::stat(QFile::encodeName(b).constData(), &second) != 0)
        return false;
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#else
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
#endif
}

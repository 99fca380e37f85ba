#include "platform/UserFolders.h"

#include <QDir>
#include <QStandardPaths>

QString UserFolders::settings()
{
    // A relative XDG_CONFIG_HOME is to be ignored, not resolved against the
    // working folder.
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config;
}

QString UserFolders::runtime()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

QString UserFolders::chooserRoot()
{
    return QStringLiteral("/");
}

QString UserFolders::settingsHint(const QString &relativePath)
{
    return QStringLiteral("$XDG_CONFIG_HOME/%1\n(既定では ~/.config/%1)").arg(relativePath);
}

QString UserFolders::cacheHint(const QString &relativePath)
{
    return QStringLiteral("$XDG_CACHE_HOME/%1\n(既定では ~/.cache/%1)").arg(relativePath);
}

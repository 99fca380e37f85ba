#include "platform/UserFolders.h"

#include <QDir>

#include <qt_windows.h>
#include <shlobj.h>

QString UserFolders::settings()
{
    // %APPDATA% names the folder as XDG_CONFIG_HOME does under Linux; the
    // system knows it as well.
    QString folder = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    if (!folder.isEmpty() && !QDir::isRelativePath(folder))
        return folder;
    wchar_t *path = nullptr;
    folder.clear();
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder.isEmpty() ? QDir::homePath() + QStringLiteral("/AppData/Roaming") : folder;
}

QString UserFolders::runtime()
{
    return QDir::tempPath();
}

QString UserFolders::chooserRoot()
{
    return QDir::homePath();
}

QString UserFolders::settingsHint(const QString &relativePath)
{
    return QStringLiteral("%APPDATA%\\") + QDir::toNativeSeparators(relativePath);
}

QString UserFolders::cacheHint(const QString &relativePath)
{
    // Qt's cache location under Windows.
    return QStringLiteral("%LOCALAPPDATA%\\cache\\") + QDir::toNativeSeparators(relativePath);
}

#include "app/SettingsLocation.h"

#include "platform/UserFolders.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString SettingsFileName = QStringLiteral("qvReplayInfo.dat");
const QString SettingsFolderName = QStringLiteral("qvReplayInfo");

// Creates path and any missing parent, each with mode 0700.
bool makePrivateFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists())
        return false; // a file stands where the folder should be
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath())
        return false;
    if (!makePrivateFolder(parent))
        return false;
    // Another process may have made it in the meantime.
    return QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) || QFileInfo(path).isDir();
}

} // namespace

QString settingsFilePath(const QString &programDir)
{
    const QString portable = QDir(programDir).filePath(SettingsFileName);
    if (QFileInfo(portable).isFile())
        return portable;
    return QDir(UserFolders::settings()).filePath(SettingsFolderName + u'/' + SettingsFileName);
}

bool prepareSettingsFolder(const QString &settingFileName)
{
    return makePrivateFolder(QDir::cleanPath(QFileInfo(settingFileName).absolutePath()));
}

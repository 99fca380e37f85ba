#include "app/Settings.h"

#include "app/IniFile.h"
#include "app/Seldir.h"
#include "platform/Prompter.h"

namespace {

// Asks for a folder when dir is empty; a chosen folder is stored with "/"
// appended (also after a path that already ends with one). False when the
// user declined (the message has then been shown).
bool askIfMissing(QString &dir, const QString &title, Prompter &prompter, QWidget *owner)
{
    if (!dir.isEmpty())
        return true;
    if (!SelDirectory(prompter, owner, title, FolderChooserRoot(), dir)) {
        prompter.error(owner, QStringLiteral("フォルダが選択されなかった為終了します。"));
        return false;
    }
    dir += QLatin1Char('/');
    return true;
}

} // namespace

const QString &TarnelFolderTitle()
{
    static const QString text = QStringLiteral("Tarnelのリプレイフォルダを指定してください。");
    return text;
}

const QString &StorageFolderTitle()
{
    static const QString text = QStringLiteral("ダウンロードしたリプレイファイルを格納しているフォルダを指定してください。");
    return text;
}

const QString &FolderChooserRoot()
{
    static const QString root = QStringLiteral("/");
    return root;
}

bool LoadSettings(const QString &settingFileName, FolderSettings &folders, Prompter &prompter, QWidget *owner)
{
    const IniFile ini(settingFileName);
    folders.TarnelDir = ini.readString(QStringLiteral("Tarnel"), QStringLiteral("ReplayDir"));
    folders.StorageDir = ini.readString(QStringLiteral("qvReplayInfo"), QStringLiteral("ReplayDir"));

    if (!askIfMissing(folders.TarnelDir, TarnelFolderTitle(), prompter, owner))
        return false;
    return askIfMissing(folders.StorageDir, StorageFolderTitle(), prompter, owner);
}

bool SaveSettings(const QString &settingFileName, const QString &caption, const QString &versionText,
                  const FolderSettings &folders, Prompter &prompter, QWidget *owner)
{
    IniFile ini(settingFileName);
    const bool written = ini.writeString(QStringLiteral("Application"), QStringLiteral("Name"), caption)
        && ini.writeString(QStringLiteral("Application"), QStringLiteral("Version"), versionText)
        && ini.writeString(QStringLiteral("Tarnel"), QStringLiteral("ReplayDir"), folders.TarnelDir)
        && ini.writeString(QStringLiteral("qvReplayInfo"), QStringLiteral("ReplayDir"), folders.StorageDir);
    if (!written)
        prompter.error(owner, QStringLiteral("設定ファイルの書込に失敗しました。"));
    return written;
}

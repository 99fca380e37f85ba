#pragma once

#include <QString>

class Prompter;
class QWidget;

// The two folders the program works on; each path ends with "/".
struct FolderSettings {
    QString TarnelDir;
    QString StorageDir;
};

// The chooser's instruction texts for the game folder and the storage folder,
// and the folder its tree starts at (the file system's root; under Windows
// the user's home folder).
const QString &TarnelFolderTitle();
const QString &StorageFolderTitle();
const QString &FolderChooserRoot();

// Reads both folders from the settings file and asks for a missing one with
// the folder chooser (for the game folder, opened where the game usually
// keeps its replays when they are found there). False when the user declined (after the message
// "フォルダが選択されなかった為終了します。"); the program must then end.
bool LoadSettings(const QString &settingFileName, FolderSettings &folders, Prompter &prompter, QWidget *owner);

// Writes the four keys. False after a failed write (the message
// "設定ファイルの書込に失敗しました。" has been shown).
bool SaveSettings(const QString &settingFileName, const QString &caption, const QString &versionText,
                  const FolderSettings &folders, Prompter &prompter, QWidget *owner);

#include "app/Settings.h"

#include "app/IniFile.h"
#include "app/Seldir.h"
#include "platform/GameFolderSearch.h"
#include "platform/Prompter.h"
#include "platform/UserFolders.h"
#include "replay/ShiftJisText.h"

#include <QDir>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace {


bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}


// Whether a stored folder value can be taken as Shift-JIS, the file's code
// page. Bytes that are no Shift-JIS character give themselves away. Many
// UTF-8 sequences, though, are also valid Shift-JIS pairs ("ユーザー" in
// UTF-8 reads as "繝ｦ繝ｼ繧ｶ繝ｼ"), while real Shift-JIS text beyond ASCII
// is almost never well-formed UTF-8 as well; so such a value counts as
// Shift-JIS only when that reading names an existing folder.
bool readsAsShiftJis(const QByteArray &bytes, const QString &text)
{
    if (text.contains(QChar::ReplacementCharacter))
        return false;
    if (isAscii(bytes) || !ShiftJisText::isUtf8(bytes))
        return true;
    return DirectoryExists(text);
}

struct FolderKey {
    QString section;
    QString *dir;
};

// Asks for a folder when dir is empty, with suggestion (when it exists)
// selected at first; a chosen folder is stored with "/" appended (also after
// a path that already ends with one). False when the user declined (the
// message has then been shown).
bool askIfMissing(QString &dir, const QString &title, const QString &suggestion, Prompter &prompter, QWidget *owner)
{
    if (!dir.isEmpty())
        return true;
    dir = suggestion;
    if (!SelDirectory(prompter, owner, title, FolderChooserRoot(), dir)) {
        dir.clear();
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
    static const QString root = UserFolders::chooserRoot();
    return root;
}

bool LoadSettings(const QString &settingFileName, FolderSettings &folders, Prompter &prompter, QWidget *owner)
{
    const IniFile ini(settingFileName);
    const QString key = QStringLiteral("ReplayDir");
    // A value that cannot be read as Shift-JIS (a file saved in another code
    // page) would name a folder that is not there, and writing it back would
    // lose its bytes: it is said once and then asked for as if it were missing.
    // The file keeps the line until a chosen folder replaces it.
    QStringList unreadable;
    for (const FolderKey &folder : {FolderKey{QStringLiteral("Tarnel"), &folders.TarnelDir},
                                    FolderKey{QStringLiteral("qvReplayInfo"), &folders.StorageDir}}) {
        const QByteArray bytes = ini.readBytes(folder.section, key).value_or(QByteArray());
        *folder.dir = ShiftJisText::decode(bytes);
        if (!readsAsShiftJis(bytes, *folder.dir)) {
            unreadable.append(QStringLiteral("[%1] %2").arg(folder.section, key));
            folder.dir->clear();
        }
    }
    if (!unreadable.isEmpty()) {
        const QString text = QStringLiteral("設定ファイル「%1」の %2 の値は Shift-JIS の文字として読めません。"
                                            "UTF-8 など別の文字コードで保存された可能性があります。"
                                            "フォルダを指定し直してください。");
        prompter.error(owner, text.arg(QDir::toNativeSeparators(settingFileName),
                                       unreadable.join(QStringLiteral(" と "))));
    }

    // Where the game usually keeps its replays, when it is found there.
    const QString gameFolder =
        folders.TarnelDir.isEmpty() ? GameFolderSearch::find(GameFolderSearch::usualPlaces()) : QString();
    if (!askIfMissing(folders.TarnelDir, TarnelFolderTitle(), gameFolder, prompter, owner))
        return false;
    return askIfMissing(folders.StorageDir, StorageFolderTitle(), {}, prompter, owner);
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

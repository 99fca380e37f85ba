#pragma once

#include <QString>

#include <array>

// The two folders the program shows: the game's ten replay slots and the
// storage folder. A page, a table, the watcher and the records all name a
// folder this way; the numbers are those of the pages (and of ActivePage in
// the settings file).
enum class FolderKind { Game = 0, Storage = 1 };

inline constexpr std::array<FolderKind, 2> BothFolders{FolderKind::Game, FolderKind::Storage};

inline constexpr int folderIndex(FolderKind kind)
{
    return int(kind);
}

inline constexpr FolderKind otherFolder(FolderKind kind)
{
    return kind == FolderKind::Game ? FolderKind::Storage : FolderKind::Game;
}

// The folder's name, on its page tab and in the status bar.
inline const QString &folderCaption(FolderKind kind)
{
    static const QString game = QStringLiteral("Tarnelリプレイフォルダ");
    static const QString storage = QStringLiteral("リプレイ格納フォルダ");
    return kind == FolderKind::Game ? game : storage;
}

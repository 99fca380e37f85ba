#pragma once

#include <QString>
#include <QtGlobal>

#include <ctime>

// The game's fixed content tables and the display texts built from a replay's
// numbers. Everything here is a pure function of its arguments; the tables are
// built before main() and never change.

inline constexpr int CharaNameCount = 15;
inline constexpr int DungeonNameCount = 15;
inline constexpr int DungeonFloorCount = 14;
inline constexpr int LimitPlayNameCount = 9;

// Characters 0..5 are known; every other number reads entry 6, "unknown".
inline constexpr int KnownCharaCount = 6;
// Dungeons 0..13 are known; every other number reads entry 14, "unknown".
inline constexpr int KnownDungeonCount = 14;

extern const QString CharaNameTbl[CharaNameCount];
extern const QString DungeonNameTbl[DungeonNameCount];
// Number of floors of each known dungeon; a run deeper than this cleared it.
inline constexpr qint32 DungeonFloorTbl[DungeonFloorCount] = {15, 18, 20, 23, 25, 28, 30,
                                                              30, 30, 40, 25, 50, 50, 60};
extern const QString LimitPlayNameTbl[LimitPlayNameCount];

// Shown for a PlayDate the platform cannot turn into a local date.
extern const QString UnknownPlayDateText;

// Index into CharaNameTbl, 0..6; also picks the character's sprite.
int charaIndex(qint32 chara);
QString CharaName(qint32 chara);

// Index into DungeonNameTbl, 0..14.
int dungeonIndex(qint32 dungeon);
QString DungeonName(qint32 dungeon);

// True only for a known dungeon whose floor count was exceeded.
bool isCleared(qint32 dungeon, qint32 floor);

enum class FloorForm {
    Table, // "クリア" / "%d 階"
    Panel, // the same with a leading full-width blank, appended to the dungeon name
};
QString FormatFloor(qint32 dungeon, qint32 floor, FloorForm form);

// Digits grouped by three with commas; a negative score keeps its sign in
// front: "-1,234,567".
QString FormatScore(qint32 score);

// Seconds since 1970 UTC as local time, "YYYY/MM/DD hh:mm:ss";
// UnknownPlayDateText when the conversion fails.
QString FormatPlayDate(qint32 playDate);

// Formats an already converted local time the way FormatPlayDate does:
// UnknownPlayDateText for a null pointer or a year outside 0..9999.
QString FormatLocalTime(const std::tm *local);

// The names of the conditions that are on (value exactly 1), in index order.
QString LimitPlayText(const qint32 (&limitPlay)[LimitPlayNameCount]);

#pragma once

#include "catalogue/FolderScan.h"
#include "replay/ContentTables.h"

#include <QString>

#include <array>
#include <vector>

class ReplayList;

// One run as the records count it. Dungeons and characters are grouped the
// way the tables name them: every unknown number falls into the one
// "unknown" group (dungeon 14, character 6).
struct RecordRun {
    QString fileName;   // storage file name, or "qv_replay<i>.dat" for a game slot
    int slot = -1;      // 0..9 for a game slot, -1 for a storage file
    int dungeon = 0;    // dungeonIndex(): 0..14
    int chara = 0;      // charaIndex(): 0..6
    qint32 dungeonNumber = 0; // as stored, for the floor text
    qint32 floor = 0;
    qint32 score = 0;
    qint32 playDate = 0;
    QString playerName;
    int files = 1;      // files that hold this run
};

// The best run of one dungeon and character, and how many runs the pair has.
struct RecordBest {
    int dungeon = 0;
    int chara = 0;
    RecordRun run;
    int runs = 0;
    int cleared = 0;
};

// Runs and cleared runs of one dungeon or one character.
struct RecordCount {
    int runs = 0;
    int cleared = 0;
};

// One point of a chart: a run's play date and score.
struct RecordPoint {
    qint32 playDate = 0;
    qint32 score = 0;
};

// The scores of one character in one dungeon, by play date.
struct RecordSeries {
    int chara = 0;
    std::vector<RecordPoint> points;
};

// What the collection holds: the ten game slots and the storage catalogue
// together. A run kept in several files (a game slot and its stored copy, two
// copies in storage) has the same decoded head; it counts once, shown under
// the file that lasts: a storage file before a slot, then the first file
// name (letter case ignored).
//
// The best run of a group is the highest score; between equal scores the
// earlier play date (the first to reach it), then the file order above.
class ReplayRecords {
public:
    static constexpr int DungeonGroups = DungeonNameCount;   // 0..13 and 14 "unknown"
    static constexpr int CharaGroups = KnownCharaCount + 1;  // 0..5 and 6 "unknown"

    static ReplayRecords compute(const ReplaySlots &gameSlots, const ReplayList &list);

    // Distinct runs, by play date, then file order.
    const std::vector<RecordRun> &runs() const { return m_runs; }
    // Files read: present slots and catalogue items.
    int fileCount() const { return m_fileCount; }

    // One entry per dungeon and character that has a run, by dungeon index
    // then character index (the unknown groups last).
    const std::vector<RecordBest> &best() const { return m_best; }
    const std::array<RecordCount, CharaGroups> &charaCounts() const { return m_charaCounts; }
    const std::array<RecordCount, DungeonGroups> &dungeonCounts() const { return m_dungeonCounts; }

    // The series of one dungeon group, one per character that played it,
    // in character order.
    std::vector<RecordSeries> series(int dungeon) const;

    // The display names of a group.
    static QString dungeonGroupName(int dungeon);
    static QString charaGroupName(int chara);

private:
    std::vector<RecordRun> m_runs;
    int m_fileCount = 0;
    std::vector<RecordBest> m_best;
    std::array<RecordCount, CharaGroups> m_charaCounts{};
    std::array<RecordCount, DungeonGroups> m_dungeonCounts{};
};

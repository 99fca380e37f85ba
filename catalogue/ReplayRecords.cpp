#include "catalogue/ReplayRecords.h"

#include "catalogue/ReplayList.h"
#include "platform/TextCompare.h"
#include "replay/ShiftJisText.h"

#include <QByteArray>
#include <QHash>

#include <algorithm>

namespace {

// The bytes decoded from a replay's stream: the same for every copy of one
// run, whatever name and comment its file carries.
QByteArray headKey(const ReplayHead &head)
{
    return QByteArray(reinterpret_cast<const char *>(&head), qsizetype(sizeof(ReplayHead)));
}

// Storage files first (they last; a game slot is overwritten by the game),
// then by file name.
bool fileBefore(const RecordRun &a, const RecordRun &b)
{
    if ((a.slot < 0) != (b.slot < 0))
        return a.slot < 0;
    const int order = compareTextIgnoreCase(a.fileName, b.fileName);
    if (order != 0)
        return order < 0;
    return a.fileName < b.fileName;
}

bool betterRun(const RecordRun &a, const RecordRun &b)
{
    if (a.score != b.score)
        return a.score > b.score;
    if (a.playDate != b.playDate)
        return a.playDate < b.playDate;
    return fileBefore(a, b);
}

RecordRun makeRun(const QString &fileName, int slot, const ReplayInfo &info)
{
    RecordRun run;
    run.fileName = fileName;
    run.slot = slot;
    run.dungeon = dungeonIndex(info.Dungeon);
    run.chara = charaIndex(info.Chara);
    run.dungeonNumber = info.Dungeon;
    run.floor = info.Floor;
    run.score = info.Score;
    run.playDate = info.PlayDate;
    run.playerName = ShiftJisText::decodeField(info.PlayerName, PlayerNameSize);
    return run;
}

} // namespace

ReplayRecords ReplayRecords::compute(const ReplaySlots &gameSlots, const ReplayList &list)
{
    ReplayRecords records;
    QHash<QByteArray, size_t> byHead;
    const auto add = [&](const QString &fileName, int slot, const ReplayInfo &info) {
        ++records.m_fileCount;
        RecordRun run = makeRun(fileName, slot, info);
        const QByteArray key = headKey(info);
        const auto found = byHead.constFind(key);
        if (found == byHead.constEnd()) {
            byHead.insert(key, records.m_runs.size());
            records.m_runs.push_back(std::move(run));
            return;
        }
        RecordRun &kept = records.m_runs[*found];
        run.files = kept.files + 1;
        if (fileBefore(run, kept))
            kept = std::move(run);
        else
            kept.files = run.files;
    };
    for (qint32 id = 1; id <= list.Count(); ++id) {
        if (const ReplayListItem *item = list.itemById(id))
            add(item->FileName, -1, item->info());
    }
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        if (gameSlots[size_t(slot)].PlayDate != 0) // 0 marks an empty slot
            add(slotFileName(slot), slot, gameSlots[size_t(slot)]);
    }
    std::sort(records.m_runs.begin(), records.m_runs.end(), [](const RecordRun &a, const RecordRun &b) {
        return a.playDate != b.playDate ? a.playDate < b.playDate : fileBefore(a, b);
    });

    // Best run and counts of every dungeon and character pair.
    std::array<std::array<int, CharaGroups>, DungeonGroups> pairIndex;
    for (auto &row : pairIndex)
        row.fill(-1);
    std::vector<RecordBest> pairs;
    for (const RecordRun &run : records.m_runs) {
        const bool cleared = isCleared(run.dungeonNumber, run.floor);
        for (RecordCount *count :
             {&records.m_charaCounts[size_t(run.chara)], &records.m_dungeonCounts[size_t(run.dungeon)]}) {
            ++count->runs;
            count->cleared += cleared ? 1 : 0;
        }
        int &index = pairIndex[size_t(run.dungeon)][size_t(run.chara)];
        if (index < 0) {
            index = int(pairs.size());
            pairs.push_back(RecordBest{run.dungeon, run.chara, run, 0, 0});
        }
        RecordBest &best = pairs[size_t(index)];
        ++best.runs;
        best.cleared += cleared ? 1 : 0;
        if (betterRun(run, best.run))
            best.run = run;
    }
    for (const auto &row : pairIndex) {
        for (int index : row) {
            if (index >= 0)
                records.m_best.push_back(std::move(pairs[size_t(index)]));
        }
    }
    return records;
}

std::vector<RecordSeries> ReplayRecords::series(int dungeon) const
{
    std::array<std::vector<RecordPoint>, CharaGroups> points;
    for (const RecordRun &run : m_runs) { // already by play date
        if (run.dungeon == dungeon)
            points[size_t(run.chara)].push_back(RecordPoint{run.playDate, run.score});
    }
    std::vector<RecordSeries> result;
    for (int chara = 0; chara < CharaGroups; ++chara) {
        if (!points[size_t(chara)].empty())
            result.push_back(RecordSeries{chara, std::move(points[size_t(chara)])});
    }
    return result;
}

QString ReplayRecords::dungeonGroupName(int dungeon)
{
    return DungeonNameTbl[std::clamp(dungeon, 0, DungeonGroups - 1)];
}

QString ReplayRecords::charaGroupName(int chara)
{
    return CharaNameTbl[std::clamp(chara, 0, CharaGroups - 1)];
}

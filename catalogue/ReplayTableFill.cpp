#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayList.h"
#include "replay/ContentTables.h"
#include "replay/ShiftJisText.h"

#include <algorithm>

ReplayTableRow replayRowTexts(const QString &fileName, const ReplayInfo &info)
{
    return ReplayTableRow{
        fileName,
        FormatScore(info.Score),
        DungeonName(info.Dungeon),
        FormatFloor(info.Dungeon, info.Floor, FloorForm::Table),
        CharaName(info.Chara),
        // a full 30-byte name has no terminating NUL and is shown whole
        ShiftJisText::decodeField(info.PlayerName, PlayerNameSize),
    };
}

void fillGameTable(ReplayTableModel &table, const ReplaySlots &gameSlots)
{
    std::vector<ReplayTableRow> &rows = table.rows();
    rows.resize(ReplaySlotCount);
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        const ReplayInfo &info = gameSlots[size_t(slot)];
        ReplayTableRow &row = rows[size_t(slot)];
        if (info.PlayDate != 0) {
            row = replayRowTexts(slotFileName(slot), info);
        } else {
            row = ReplayTableRow{}; // an empty slot keeps only its file name
            row[0] = slotFileName(slot);
        }
    }
    table.rowsChanged();
}

void fillStorageTable(ReplayTableModel &table, const ReplayList &list, bool rebuild, int &replayRow)
{
    std::vector<ReplayTableRow> &rows = table.rows();
    if (rebuild) {
        replayRow = 1;
        rows.assign(1, ReplayTableRow{});
        if (list.LastId() == 0) {
            table.rowsChanged();
            return;
        }
    }

    // Rows 1..Count in Id order; an empty catalogue still has its one row.
    const int count = std::max(list.Count(), 1);
    if (rebuild || int(rows.size()) < count) // a refill in place never loses an entry
        rows.resize(size_t(count));
    for (int r = 1; r <= count; ++r) {
        ReplayTableRow &row = rows[size_t(r - 1)];
        if (const ReplayListItem *item = list.itemById(r))
            row = replayRowTexts(item->FileName, item->info());
        else
            row = ReplayTableRow{};
    }
    table.rowsChanged();
}

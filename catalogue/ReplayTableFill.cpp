#include "catalogue/ReplayTableFill.h"
#include "catalogue/ParallelReads.h"
#include "catalogue/ReplayList.h"
#include "replay/ContentTables.h"
#include "replay/ShiftJisText.h"

#include <algorithm>

namespace {

// Rows are filled in blocks of this many on every core once there are
// several blocks: a start over a large folder fills a hundred thousand.
constexpr int FillBlock = 4096;

ReplayTableRow rowTexts(const QString &fileName, const ReplayHead &head, const char *playerName, int nameWidth)
{
    return ReplayTableRow{
        fileName,
        FormatScore(head.Score),
        DungeonName(head.Dungeon),
        FormatFloor(head.Dungeon, head.Floor, FloorForm::Table),
        CharaName(head.Chara),
        // a full 30-byte name has no terminating NUL and is shown whole
        ShiftJisText::decodeField(playerName, nameWidth),
    };
}

} // namespace

ReplayTableRow replayRowTexts(const QString &fileName, const ReplayInfo &info)
{
    return rowTexts(fileName, info, info.PlayerName, PlayerNameSize);
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
    const auto fillRows = [&](int from, int to) {
        for (int r = from; r <= to; ++r) {
            ReplayTableRow &row = rows[size_t(r - 1)];
            if (const ReplayListItem *item = list.itemById(r))
                row = rowTexts(item->FileName, item->Head, item->PlayerName.constData(), int(item->PlayerName.size()));
            else
                row = ReplayTableRow{};
        }
    };
    const int blocks = (count + FillBlock - 1) / FillBlock;
    if (blocks < 2) {
        fillRows(1, count);
    } else {
        runInParallel(
            blocks, 0, [&](qsizetype b) { fillRows(int(b) * FillBlock + 1, qMin(count, int(b + 1) * FillBlock)); },
            nullptr);
    }
    table.rowsChanged();
}

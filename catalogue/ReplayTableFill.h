#pragma once

#include "catalogue/FolderScan.h"
#include "catalogue/ReplayTableModel.h"

class ReplayList;
struct ReplayInfo;

// The texts of a table row for a replay: file name, grouped score, dungeon
// name, floors (table form), character name, player name.
ReplayTableRow replayRowTexts(const QString &fileName, const ReplayInfo &info);

// Fills the game table's ten rows from the slots (empty slots keep only their
// file name).
void fillGameTable(ReplayTableModel &table, const ReplaySlots &gameSlots);

// Fills the storage table from the catalogue in Id order. With rebuild the
// row count becomes Count + 1 (at least 2) and replayRow 1; without, the row
// count and replayRow stay. Does not sort.
void fillStorageTable(ReplayTableModel &table, const ReplayList &list, bool rebuild, int &replayRow);

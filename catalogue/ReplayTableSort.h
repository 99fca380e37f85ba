#pragma once

#include <QString>

#include <vector>

class ReplayList;
class ReplayTableModel;

// The seven orders of the storage table; the value is the sort button's Tag.
enum SortMode {
    SortNone = 0,
    SortFileAscending = 1,
    SortFileDescending = 2,
    SortScoreAscending = 3,
    SortScoreDescending = 4,
    SortDungeon = 5,
    SortChara = 6,
};

// Orders the storage table's data rows, which must be in catalogue order.
// Modes 1..4 run the table's own quicksort (middle pivot; rows with keys equal
// to the pivot go to its right, so equal keys come out in the order that
// quicksort gives, not stably). Modes 5 and 6 group by dungeon or character in
// table order, catalogue order within a group; rows of an unknown dungeon or
// character follow all groups in catalogue order.
class ReplayTableSort {
public:
    ReplayTableSort(ReplayTableModel &table, const ReplayList &list);

    // Applies the mode to the whole table and tells the views.
    void vSortReplayTbl(int sortMode);
    // Sorts grid rows lo..hi by the mode of the last vSortReplayTbl (modes
    // 1..4; any other mode leaves the rows) and tells the views.
    void vQuickSortReplayTbl(int lo, int hi);
    void vSwapReplayTblRow(int a, int b);

private:
    // The quicksort runs on row numbers: m_order[r] is the index (into the
    // rows as they stood before the sort) of the row now at grid row r, and
    // each row's key is looked up once, so moving a row moves one integer.
    void quickSort(int lo, int hi);
    bool comesBefore(int row, int pivot) const;
    void sortRange(int lo, int hi);
    void groupRows(int groupColumn);

    ReplayTableModel &m_table;
    const ReplayList &m_list;
    int m_mode = SortNone;
    std::vector<int> m_order;
    std::vector<qint32> m_scores; // by original row index
    std::vector<QString> m_names; // by original row index, views into m_nameBuffer
    QString m_nameBuffer;
};

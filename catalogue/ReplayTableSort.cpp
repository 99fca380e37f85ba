#include "catalogue/ReplayTableSort.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableModel.h"
#include "platform/TextCompare.h"
#include "replay/ContentTables.h"

#include <QHash>

#include <algorithm>
#include <numeric>
#include <utility>

namespace {
constexpr int FileColumn = 0;
constexpr int DungeonColumn = 2;
constexpr int CharaColumn = 4;
} // namespace

ReplayTableSort::ReplayTableSort(ReplayTableModel &table, const ReplayList &list)
    : m_table(table), m_list(list)
{
}

void ReplayTableSort::vSortReplayTbl(int sortMode)
{
    m_mode = sortMode;
    if (m_list.Count() <= 1 || sortMode == SortNone)
        return;
    const int n = m_table.rowCountWithHeader();
    switch (sortMode) {
    case SortFileAscending:
    case SortFileDescending:
    case SortScoreAscending:
    case SortScoreDescending:
        sortRange(1, n - 1);
        break;
    case SortDungeon:
        groupRows(DungeonColumn);
        break;
    case SortChara:
        groupRows(CharaColumn);
        break;
    default:
        return;
    }
    m_table.rowsChanged();
}

void ReplayTableSort::vQuickSortReplayTbl(int lo, int hi)
{
    if (m_mode < SortFileAscending || m_mode > SortScoreDescending)
        return;
    sortRange(lo, hi);
    m_table.rowsChanged();
}

void ReplayTableSort::vSwapReplayTblRow(int a, int b)
{
    m_table.swapRows(a, b);
}

void ReplayTableSort::sortRange(int lo, int hi)
{
    std::vector<ReplayTableRow> &rows = m_table.rows();
    lo = std::max(lo, 1);
    hi = std::min(hi, int(rows.size()));
    if (lo >= hi)
        return;

    // m_order[r] for grid row r starts as r - 1, the row's own index.
    m_order.resize(rows.size() + 1);
    std::iota(m_order.begin(), m_order.end(), -1);

    m_scores.clear();
    if (m_mode == SortScoreAscending || m_mode == SortScoreDescending) {
        // Each row's score comes from the catalogue by its file name, once.
        m_scores.assign(rows.size(), 0);
        for (int r = lo; r <= hi; ++r) {
            const ReplayListItem *item = m_list.itemByName(rows[size_t(r - 1)][FileColumn]);
            m_scores[size_t(r - 1)] = item ? item->Head.Score : 0;
        }
    }

    m_names.clear();
    if (m_mode == SortFileAscending || m_mode == SortFileDescending) {
        // The names side by side in one buffer keep the comparisons of a large
        // table within the cache; the texts compared are the same.
        qsizetype total = 0;
        for (int r = lo; r <= hi; ++r)
            total += rows[size_t(r - 1)][FileColumn].size();
        m_nameBuffer.clear();
        m_nameBuffer.reserve(total);
        for (int r = lo; r <= hi; ++r)
            m_nameBuffer += rows[size_t(r - 1)][FileColumn];
        m_names.resize(rows.size());
        qsizetype offset = 0;
        for (int r = lo; r <= hi; ++r) {
            const qsizetype length = rows[size_t(r - 1)][FileColumn].size();
            m_names[size_t(r - 1)] = QString::fromRawData(m_nameBuffer.constData() + offset, length);
            offset += length;
        }
    }

    quickSort(lo, hi);

    // m_order is the identity outside lo..hi.
    std::vector<ReplayTableRow> sorted;
    sorted.reserve(rows.size());
    for (size_t r = 1; r < m_order.size(); ++r)
        sorted.push_back(std::move(rows[size_t(m_order[r])]));
    rows.swap(sorted);
    m_order.clear();
    m_scores.clear();
    m_names.clear();
    m_nameBuffer.clear();
}

bool ReplayTableSort::comesBefore(int row, int pivot) const
{
    switch (m_mode) {
    case SortFileAscending:
        return compareTextIgnoreCase(m_names[size_t(pivot)], m_names[size_t(row)]) > 0;
    case SortFileDescending:
        return compareTextIgnoreCase(m_names[size_t(pivot)], m_names[size_t(row)]) < 0;
    case SortScoreAscending:
        return m_scores[size_t(pivot)] > m_scores[size_t(row)];
    case SortScoreDescending:
        return m_scores[size_t(pivot)] < m_scores[size_t(row)];
    default:
        return false;
    }
}

void ReplayTableSort::quickSort(int lo, int hi)
{
    std::vector<int> &order = m_order;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const int pivot = order[size_t(mid)];
        order[size_t(mid)] = order[size_t(lo)];
        int last = lo;
        for (int i = lo + 1; i <= hi; ++i) {
            if (comesBefore(order[size_t(i)], pivot)) {
                ++last;
                std::swap(order[size_t(last)], order[size_t(i)]);
            }
        }
        order[size_t(lo)] = order[size_t(last)];
        order[size_t(last)] = pivot;

        // The two parts are disjoint and each is sorted on its own, so the
        // order in which they are sorted does not change the result. Recursing
        // into the smaller part and looping on the larger bounds the stack,
        // which plain recursion would not with many equal keys.
        if (last - lo < hi - last) {
            quickSort(lo, last - 1);
            lo = last + 1;
        } else {
            quickSort(last + 1, hi);
            hi = last - 1;
        }
    }
}

void ReplayTableSort::groupRows(int groupColumn)
{
    const QString *names = groupColumn == DungeonColumn ? DungeonNameTbl : CharaNameTbl;
    const int groups = groupColumn == DungeonColumn ? KnownDungeonCount : KnownCharaCount;
    QHash<QString, int> groupOf;
    for (int g = groups - 1; g >= 0; --g) // the first group of a name wins
        groupOf.insert(names[g], g);

    // Walking the groups in table order and the rows in their present order
    // within each is a stable bucket sort; the rows of no group ("unknown")
    // form one last bucket, so every row stays in the table exactly once.
    std::vector<ReplayTableRow> &rows = m_table.rows();
    std::vector<int> groupOfRow(rows.size());
    std::vector<size_t> start(size_t(groups) + 2, 0);
    for (size_t i = 0; i < rows.size(); ++i) {
        groupOfRow[i] = groupOf.value(rows[i][size_t(groupColumn)], groups);
        ++start[size_t(groupOfRow[i]) + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    std::vector<ReplayTableRow> grouped(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        grouped[start[size_t(groupOfRow[i])]++] = std::move(rows[i]);
    rows = std::move(grouped);
}

#include "catalogue/ReplayTableModel.h"

#include "catalogue/FolderScan.h"
#include "platform/PlainToolTip.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {
const QString &emptyText()
{
    static const QString empty;
    return empty;
}

const ReplayTableRow &emptyRowTexts()
{
    static const ReplayTableRow empty{};
    return empty;
}
} // namespace

ReplayTableModel::ReplayTableModel(FolderKind tag, QObject *parent)
    : QAbstractTableModel(parent), m_tag(tag)
{
    if (m_tag == FolderKind::Game) {
        // Ten slot rows for the program's life; each keeps its slot's file name.
        m_rows.resize(GameRows);
        for (int r = 0; r < GameRows; ++r)
            m_rows[size_t(r)][0] = slotFileName(r);
    } else {
        m_rows.resize(1);
    }
    m_shownRows = int(m_rows.size());
}

void ReplayTableModel::setRowCountWithHeader(int rows)
{
    m_rows.resize(size_t(std::max(rows, 2) - 1));
    syncRowCount();
}

const QString &ReplayTableModel::cell(int gridRow, int column) const
{
    if (column < 0 || column >= ReplayTableColumns)
        return emptyText();
    if (gridRow == 0)
        return headerTexts().at(column);
    if (gridRow < 0 || gridRow > int(m_rows.size()))
        return emptyText();
    return m_rows[size_t(gridRow - 1)][size_t(column)];
}

void ReplayTableModel::setCell(int gridRow, int column, const QString &text)
{
    if (gridRow < 1 || gridRow > int(m_rows.size()) || column < 0 || column >= ReplayTableColumns)
        return;
    m_rows[size_t(gridRow - 1)][size_t(column)] = text;
    if (column == 0) { // the file name decides the mark of the whole row
        emitRowChanged(gridRow);
    } else if (gridRow <= m_shownRows) {
        const QModelIndex at = index(gridRow - 1, column);
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
}

void ReplayTableModel::setRow(int gridRow, const ReplayTableRow &row)
{
    if (gridRow < 1 || gridRow > int(m_rows.size()))
        return;
    m_rows[size_t(gridRow - 1)] = row;
    emitRowChanged(gridRow);
}

const ReplayTableRow &ReplayTableModel::row(int gridRow) const
{
    if (gridRow < 1 || gridRow > int(m_rows.size()))
        return emptyRowTexts();
    return m_rows[size_t(gridRow - 1)];
}

void ReplayTableModel::emptyRow(int gridRow)
{
    setRow(gridRow, ReplayTableRow{});
}

void ReplayTableModel::swapRows(int gridRowA, int gridRowB)
{
    const int n = int(m_rows.size());
    if (gridRowA < 1 || gridRowA > n || gridRowB < 1 || gridRowB > n || gridRowA == gridRowB)
        return;
    std::swap(m_rows[size_t(gridRowA - 1)], m_rows[size_t(gridRowB - 1)]);
    emitRowChanged(gridRowA);
    emitRowChanged(gridRowB);
}

void ReplayTableModel::emitRowChanged(int gridRow, const QList<int> &roles)
{
    if (gridRow < 1 || gridRow > m_shownRows)
        return;
    emit dataChanged(index(gridRow - 1, 0), index(gridRow - 1, ReplayTableColumns - 1), roles);
}

void ReplayTableModel::syncRowCount()
{
    const int wanted = int(m_rows.size());
    if (wanted > m_shownRows) {
        beginInsertRows({}, m_shownRows, wanted - 1);
        m_shownRows = wanted;
        endInsertRows();
    } else if (wanted < m_shownRows) {
        beginRemoveRows({}, wanted, m_shownRows - 1);
        m_shownRows = wanted;
        endRemoveRows();
    }
}

void ReplayTableModel::rowsChanged()
{
    // A data row always exists, even when a caller emptied the vector.
    if (m_rows.empty())
        m_rows.resize(1);
    syncRowCount();
    emit dataChanged(index(0, 0), index(m_shownRows - 1, ReplayTableColumns - 1));
}

void ReplayTableModel::setDeleteMarks(bool deleteMode, const QStringList &delFileList)
{
    m_deleteMode = deleteMode;
    m_marked = QSet<QString>(delFileList.begin(), delFileList.end());
    emit dataChanged(index(0, 0), index(m_shownRows - 1, ReplayTableColumns - 1),
                     {Qt::BackgroundRole, MarkedRole});
}

bool ReplayTableModel::isMarked(int gridRow) const
{
    if (!m_deleteMode || m_marked.isEmpty() || gridRow < 1 || gridRow > int(m_rows.size()))
        return false;
    const QString &name = m_rows[size_t(gridRow - 1)][0];
    return !name.isEmpty() && m_marked.contains(name);
}

void ReplayTableModel::setStoredNames(const std::vector<QStringList> &namesByRow)
{
    std::vector<QStringList> stored(m_rows.size());
    for (size_t r = 0; r < stored.size() && r < namesByRow.size(); ++r)
        stored[r] = namesByRow[r];
    if (stored == m_stored)
        return;
    m_stored = std::move(stored);
    if (m_shownRows > 0)
        emit dataChanged(index(0, 0), index(m_shownRows - 1, 0), {StoredRole, Qt::ToolTipRole});
}

const QStringList &ReplayTableModel::storedNames(int gridRow) const
{
    static const QStringList none;
    if (gridRow < 1 || gridRow > int(m_stored.size()))
        return none;
    return m_stored[size_t(gridRow - 1)];
}

const QStringList &ReplayTableModel::headerTexts()
{
    static const QStringList texts{
        QStringLiteral("ファイル名"), QStringLiteral("スコア"),     QStringLiteral("ダンジョン名"),
        QStringLiteral("達成階数"),   QStringLiteral("使用キャラ"), QStringLiteral("プレイヤー名"),
    };
    return texts;
}

QColor ReplayTableModel::evenRowColor()
{
    return QColor(218, 252, 221);
}

QColor ReplayTableModel::markedRowColor()
{
    return QColor(255, 128, 128);
}

int ReplayTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int ReplayTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ReplayTableColumns;
}

Qt::Alignment ReplayTableModel::alignment(int column) const
{
    switch (column) {
    case 0:
        return m_tag == FolderKind::Game ? Qt::AlignHCenter : Qt::AlignLeft;
    case 1:
        return Qt::AlignRight;
    case 5:
        return Qt::AlignLeft;
    default:
        return Qt::AlignHCenter;
    }
}

QVariant ReplayTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int gridRow = index.row() + 1;
    const int column = index.column();
    if (gridRow > int(m_rows.size())) // rows being removed
        return {};

    switch (role) {
    case Qt::DisplayRole:
        return m_rows[size_t(gridRow - 1)][size_t(column)];
    case Qt::TextAlignmentRole:
        return int(alignment(column) | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (isMarked(gridRow))
            return markedRowColor();
        if (gridRow % 2 == 0)
            return evenRowColor();
        return {};
    case FixedCellRole:
        return m_tag == FolderKind::Game && column == 0;
    case MarkedRole:
        return isMarked(gridRow);
    case StoredRole:
        return column == 0 ? storedNames(gridRow) : QStringList();
    case Qt::ToolTipRole:
        if (column == 0 && !storedNames(gridRow).isEmpty())
            return plainToolTip(QStringLiteral("格納済み：\n") + storedNames(gridRow).join(QLatin1Char('\n')));
        return {};
    default:
        return {};
    }
}

QVariant ReplayTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ReplayTableColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole:
        return headerTexts().at(section);
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags ReplayTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    // The empty row of an empty folder's table can be current but is never
    // drawn as selected.
    if (!cell(index.row() + 1, 0).isEmpty())
        flags |= Qt::ItemIsSelectable;
    if (m_filePath && !m_deleteMode && rowHasReplay(index.row() + 1))
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

bool ReplayTableModel::rowHasReplay(int gridRow) const
{
    // An empty game slot keeps its file name but has no score; every other
    // row with a replay shows one.
    return !cell(gridRow, 0).isEmpty() && !cell(gridRow, 1).isEmpty();
}

QStringList ReplayTableModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData *ReplayTableModel::mimeData(const QModelIndexList &indexes) const
{
    if (!m_filePath)
        return nullptr;
    QList<QUrl> urls;
    QList<int> seen;
    for (const QModelIndex &index : indexes) {
        const int gridRow = index.row() + 1;
        if (!index.isValid() || seen.contains(gridRow) || !rowHasReplay(gridRow))
            continue;
        seen.append(gridRow);
        const QString path = m_filePath(cell(gridRow, 0));
        if (QFileInfo(path).isFile()) // a file gone since the last read is not offered
            urls.append(QUrl::fromLocalFile(path));
    }
    if (urls.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

Qt::DropActions ReplayTableModel::supportedDragActions() const
{
    // Copy only: a move would have the view remove the rows itself.
    return Qt::CopyAction;
}

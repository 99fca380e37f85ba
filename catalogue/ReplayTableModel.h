#pragma once

#include "catalogue/FolderKind.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

// The six cell texts of one table row: file name, score, dungeon, floors,
// character, player name.
inline constexpr int ReplayTableColumns = 6;
using ReplayTableRow = std::array<QString, ReplayTableColumns>;

// One of the two replay tables as rows of texts, addressed like the grid they
// stand for: row 0 is the header row, data rows are 1..rowCountWithHeader()-1
// (model row r-1 is grid row r). The fill, sort and selection routines work
// on these rows; the view only shows them.
//
// setCell, setRow, emptyRow, swapRows and setRowCountWithHeader tell the views
// at once; edits through rows() are shown after rowsChanged().
class ReplayTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // True in a cell of a fixed column (the game table's file-name column).
    static constexpr int FixedCellRole = Qt::UserRole + 1;
    // True in every cell of a row marked for deletion while deletion mode is on.
    static constexpr int MarkedRole = Qt::UserRole + 2;
    // In the game table's file-name column: the storage files that hold the
    // slot's replay (a QStringList, empty when none).
    static constexpr int StoredRole = Qt::UserRole + 3;

    static constexpr int GameRows = 10;

    explicit ReplayTableModel(FolderKind tag, QObject *parent = nullptr);

    FolderKind tag() const { return m_tag; }

    // Grid-style access (grid rows, header = row 0).
    int rowCountWithHeader() const { return int(m_rows.size()) + 1; }
    void setRowCountWithHeader(int rows); // at least 2: header and one data row
    const QString &cell(int gridRow, int column) const;
    void setCell(int gridRow, int column, const QString &text);
    void setRow(int gridRow, const ReplayTableRow &row);
    const ReplayTableRow &row(int gridRow) const;
    void emptyRow(int gridRow);
    void swapRows(int gridRowA, int gridRowB);

    // All data rows, index r-1 for grid row r; edits must be followed by
    // rowsChanged().
    std::vector<ReplayTableRow> &rows() { return m_rows; }
    const std::vector<ReplayTableRow> &rows() const { return m_rows; }
    // Tells the views that row texts changed (after a fill or a sort). A
    // changed row count is announced as rows inserted or removed at the end,
    // so the views keep their current row where it still exists.
    void rowsChanged();

    // Deletion marks: while on, rows whose file name is in the list (compared
    // exactly: names that differ in letter case are two files) are painted
    // light red.
    void setDeleteMarks(bool deleteMode, const QStringList &delFileList);
    bool isMarked(int gridRow) const;

    // "Already stored" marks of the game table: for each slot row (index
    // r-1 for grid row r) the storage files holding its replay. Missing
    // entries are empty.
    void setStoredNames(const std::vector<QStringList> &namesByRow);
    const QStringList &storedNames(int gridRow) const;

    // Rows that hold a replay may be dragged out as file URLs once the model
    // knows where its files are: path gives the full path of a file name. No
    // row is dragged while deletion mode is on, where a press and a sweep
    // over the rows toggle marks.
    void setFilePath(std::function<QString(const QString &fileName)> path) { m_filePath = std::move(path); }
    bool rowHasReplay(int gridRow) const;

    static const QStringList &headerTexts();
    static QColor evenRowColor();  // RGB 218, 252, 221
    static QColor markedRowColor(); // RGB 255, 128, 128

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;

private:
    void syncRowCount();
    void emitRowChanged(int gridRow, const QList<int> &roles = {});
    Qt::Alignment alignment(int column) const;

    FolderKind m_tag;
    std::vector<ReplayTableRow> m_rows;
    int m_shownRows = 0; // data rows the views have been told about
    bool m_deleteMode = false;
    QSet<QString> m_marked;
    std::vector<QStringList> m_stored; // by data row
    std::function<QString(const QString &)> m_filePath;
};

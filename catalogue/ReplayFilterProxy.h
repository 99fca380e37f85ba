#pragma once

#include "catalogue/ReplayFilter.h"

#include <QSortFilterProxyModel>

#include <vector>

class ReplayList;
class ReplayTableModel;

// The storage table as the view shows it while the filter box holds words:
// only the rows whose replay matches, in the table's own order (nothing is
// sorted here, so the fill and the seven orders stay the table's). Rows are
// given as grid rows of the table (1 = first data row); the view's indexes
// map to them through gridRow() and viewIndex().
//
// The folded text of every replay is made once after the catalogue changed,
// when a filter first needs it, and not again for each word typed.
class ReplayFilterProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    ReplayFilterProxy(ReplayTableModel &table, const ReplayList &list, QObject *parent = nullptr);

    // Filters by the words typed (none: every row is shown).
    void setFilterText(const QString &typed);
    bool isFiltering() const { return !m_filter.isEmpty(); }

    // The catalogue was read again or a replay's texts changed; the table is
    // filled again after this, which filters its rows anew.
    void catalogueChanged();

    // Whether a replay of this name, or the table's grid row, is shown.
    bool acceptsFileName(const QString &fileName) const;
    bool isShown(int gridRow) const;

    // Grid row of a view index, 0 for none; the view index of a grid row's
    // cell, invalid when the row is hidden.
    int gridRow(const QModelIndex &viewIndex) const;
    QModelIndex viewIndex(int gridRow, int column) const;
    // The first grid row shown, 0 when none is.
    int firstShownRow() const;

    // While filtering, the rows shown alternate their colours in the order
    // shown (a marked row stays marked).
    QVariant data(const QModelIndex &index, int role) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    void makeHaystacks() const;

    ReplayTableModel &m_table;
    const ReplayList &m_list;
    ReplayFilter m_filter;
    mutable std::vector<QString> m_haystacks; // by catalogue Id - 1
    mutable bool m_haystacksStale = true;
};

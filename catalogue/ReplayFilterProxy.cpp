#include "catalogue/ReplayFilterProxy.h"

#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableModel.h"

ReplayFilterProxy::ReplayFilterProxy(ReplayTableModel &table, const ReplayList &list, QObject *parent)
    : QSortFilterProxyModel(parent),
      m_table(table),
      m_list(list)
{
    setSourceModel(&table);
}

void ReplayFilterProxy::setFilterText(const QString &typed)
{
    ReplayFilter filter(typed);
    if (filter.words() == m_filter.words())
        return;
    m_filter = std::move(filter);
    invalidateFilter();
}

void ReplayFilterProxy::catalogueChanged()
{
    m_haystacksStale = true;
    m_haystacks.clear();
}

void ReplayFilterProxy::makeHaystacks() const
{
    if (!m_haystacksStale)
        return;
    const int count = m_list.Count();
    m_haystacks.assign(size_t(count), QString());
    for (int id = 1; id <= count; ++id) {
        if (const ReplayListItem *item = m_list.itemById(id))
            m_haystacks[size_t(id - 1)] = ReplayFilter::haystackOf(item->FileName, item->info());
    }
    m_haystacksStale = false;
}

bool ReplayFilterProxy::acceptsFileName(const QString &fileName) const
{
    if (m_filter.isEmpty())
        return true;
    const ReplayListItem *item = fileName.isEmpty() ? nullptr : m_list.itemByName(fileName);
    if (!item)
        return false; // the empty row of an empty folder matches no word
    makeHaystacks();
    const size_t at = size_t(item->Id - 1);
    return at < m_haystacks.size() && m_filter.matches(m_haystacks[at]);
}

bool ReplayFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (sourceParent.isValid())
        return false;
    return acceptsFileName(m_table.cell(sourceRow + 1, 0));
}

bool ReplayFilterProxy::isShown(int gridRow) const
{
    return viewIndex(gridRow, 0).isValid();
}

int ReplayFilterProxy::gridRow(const QModelIndex &viewIndex) const
{
    const QModelIndex source = mapToSource(viewIndex);
    return source.isValid() ? source.row() + 1 : 0;
}

QModelIndex ReplayFilterProxy::viewIndex(int gridRow, int column) const
{
    return mapFromSource(m_table.index(gridRow - 1, column));
}

QVariant ReplayFilterProxy::data(const QModelIndex &index, int role) const
{
    if (role == Qt::BackgroundRole && isFiltering() && index.isValid()
        && !QSortFilterProxyModel::data(index, ReplayTableModel::MarkedRole).toBool())
        return index.row() % 2 == 1 ? QVariant(ReplayTableModel::evenRowColor()) : QVariant();
    return QSortFilterProxyModel::data(index, role);
}

int ReplayFilterProxy::firstShownRow() const
{
    return rowCount() > 0 ? gridRow(index(0, 0)) : 0;
}

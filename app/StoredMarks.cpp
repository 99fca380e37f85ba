#include "app/StoredMarks.h"

#include "app/ReplayWorkspace.h"
#include "catalogue/ReplayTableModel.h"

StoredMarks::StoredMarks(const ReplayWorkspace &workspace, ReplayTableModel &gameTable, QObject *parent)
    : QObject(parent),
      m_workspace(workspace),
      m_gameTable(gameTable)
{
    connect(&workspace, &ReplayWorkspace::storageContentChanged, this, &StoredMarks::storageChanged);
    connect(&workspace, &ReplayWorkspace::tarnelContentChanged, this, &StoredMarks::update);
    storageChanged();
}

QStringList StoredMarks::namesOfSlot(int slot) const
{
    if (slot < 0 || slot >= ReplaySlotCount || m_workspace.Slots()[size_t(slot)].PlayDate == 0)
        return {};
    return m_index.names(m_workspace.slotIdentities()[size_t(slot)]);
}

void StoredMarks::storageChanged()
{
    // One pass over the catalogue; a text edit changes no identity but costs
    // no more than this.
    m_index.rebuild(m_workspace.Replays());
    update();
}

void StoredMarks::update()
{
    std::vector<QStringList> names(ReplaySlotCount);
    for (int slot = 0; slot < ReplaySlotCount; ++slot)
        names[size_t(slot)] = namesOfSlot(slot);
    m_gameTable.setStoredNames(names);
    emit changed();
}

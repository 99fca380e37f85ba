#include "app/ReplayWorkspace.h"

#include "replay/ReplayTextWriter.h"

#include <cstring>

ReplayWorkspace::ReplayWorkspace(QObject *parent)
    : QObject(parent)
{
}

void ReplayWorkspace::setFolders(const FolderSettings &folders)
{
    m_folders = folders;
}

void ReplayWorkspace::setTarnelDir(const QString &dir)
{
    m_folders.TarnelDir = dir;
}

void ReplayWorkspace::setStorageDir(const QString &dir)
{
    m_folders.StorageDir = dir;
}

QString ReplayWorkspace::slotPath(int slot) const
{
    return m_folders.TarnelDir + slotFileName(slot);
}

QString ReplayWorkspace::storagePath(const QString &fileName) const
{
    return m_folders.StorageDir + fileName;
}

void ReplayWorkspace::reloadTarnelFolder(ScanProgress *progress)
{
    LoadTarnelFolder(m_folders.TarnelDir, m_slots, progress);
    emit tarnelContentChanged();
}

void ReplayWorkspace::reloadStorageFolder(ScanProgress *progress)
{
    m_replayList.ClearReplayList();
    LoadReplayFolder(m_folders.StorageDir, m_replayList, progress);
    emit storageContentChanged();
}

void ReplayWorkspace::clearStorage()
{
    m_replayList.ClearReplayList();
    emit storageContentChanged();
}

bool ReplayWorkspace::setSlotText(int slot, const char (&name)[PlayerNameSize], const char (&comment)[CommentSize])
{
    if (slot < 0 || slot >= ReplaySlotCount)
        return false;
    ReplayInfo &info = m_slots[size_t(slot)];
    std::memcpy(info.PlayerName, name, PlayerNameSize);
    std::memcpy(info.Comment, comment, CommentSize);
    emit tarnelContentChanged();
    return true;
}

bool ReplayWorkspace::setStorageText(const QString &fileName, const char (&name)[PlayerNameSize],
                                     const char (&comment)[CommentSize])
{
    if (!m_replayList.UpdateReplayListText(fileName, name, comment))
        return false;
    emit storageContentChanged();
    return true;
}

bool ReplayWorkspace::writeSlotText(int slot) const
{
    if (slot < 0 || slot >= ReplaySlotCount)
        return false;
    const ReplayInfo &info = m_slots[size_t(slot)];
    return RewriteReplayText(slotPath(slot), info.PlayerName, info.Comment);
}

bool ReplayWorkspace::writeStorageText(const QString &fileName) const
{
    const ReplayListItem *item = m_replayList.itemByName(fileName);
    if (!item)
        return false;
    return RewriteReplayText(storagePath(item->FileName), item->Info.PlayerName, item->Info.Comment);
}

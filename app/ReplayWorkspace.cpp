#include "app/ReplayWorkspace.h"

#include "replay/ReplayTextWriter.h"

#include <QScopeGuard>

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

ScanCounts ReplayWorkspace::runScan(bool &pending, ScanCounts (ReplayWorkspace::*scan)(ScanProgress *),
                                    ScanProgress *progress)
{
    if (m_scanning) {
        pending = true;
        return {};
    }
    m_scanning = true;
    const auto done = qScopeGuard([this] { m_scanning = false; });
    const ScanCounts counts = (this->*scan)(progress);
    // Whatever was asked for meanwhile, in the same progress box.
    while (m_tarnelPending || m_storagePending) {
        if (m_tarnelPending) {
            m_tarnelPending = false;
            scanTarnelNow(progress);
        } else {
            m_storagePending = false;
            scanStorageNow(progress);
        }
    }
    return counts;
}

ScanCounts ReplayWorkspace::reloadTarnelFolder(ScanProgress *progress)
{
    return runScan(m_tarnelPending, &ReplayWorkspace::scanTarnelNow, progress);
}

ScanCounts ReplayWorkspace::reloadStorageFolder(ScanProgress *progress)
{
    return runScan(m_storagePending, &ReplayWorkspace::scanStorageNow, progress);
}

ScanCounts ReplayWorkspace::scanTarnelNow(ScanProgress *progress)
{
    const ScanCounts counts = m_scanner.scanTarnel(m_folders.TarnelDir, m_slots, m_slotIdentities, progress);
    emit tarnelContentChanged();
    return counts;
}

ScanCounts ReplayWorkspace::scanStorageNow(ScanProgress *progress)
{
    m_replayList.ClearReplayList();
    std::vector<LeftOutFile> leftOut;
    const ScanCounts counts = m_scanner.scanStorage(m_folders.StorageDir, m_replayList, leftOut, progress);
    const bool leftOutChanged = leftOut != m_leftOut;
    m_leftOut = std::move(leftOut);
    emit storageContentChanged();
    if (leftOutChanged)
        emit leftOutFilesChanged();
    return counts;
}

void ReplayWorkspace::clearStorage()
{
    m_replayList.ClearReplayList();
    emit storageContentChanged();
    if (!m_leftOut.empty()) {
        m_leftOut.clear();
        emit leftOutFilesChanged();
    }
}

QList<DecodedNameRename::Result> ReplayWorkspace::renameToDecodedNames(const QList<QByteArray> &names,
                                                                       ScanProgress *progress)
{
    const QList<DecodedNameRename::Result> results = DecodedNameRename(m_folders.StorageDir, names).run();
    reloadStorageFolder(progress);
    return results;
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

bool ReplayWorkspace::writeSlotText(int slot)
{
    if (slot < 0 || slot >= ReplaySlotCount)
        return false;
    const ReplayInfo &info = m_slots[size_t(slot)];
    if (!RewriteReplayText(slotPath(slot), info.PlayerName, info.Comment))
        return false;
    // The next scan need not read the file again.
    m_scanner.noteTextsRewritten(m_folders.TarnelDir, slotFileName(slot), info);
    return true;
}

bool ReplayWorkspace::writeStorageText(const QString &fileName)
{
    const ReplayListItem *item = m_replayList.itemByName(fileName);
    if (!item)
        return false;
    if (!RewriteReplayText(storagePath(item->FileName), item->Info.PlayerName, item->Info.Comment))
        return false;
    m_scanner.noteTextsRewritten(m_folders.StorageDir, item->FileName, item->Info);
    return true;
}

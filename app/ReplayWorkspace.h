#pragma once

#include "app/Settings.h"
#include "catalogue/FolderScan.h"
#include "catalogue/ReplayList.h"

#include <QObject>
#include <QString>

// The program's working data without any view: the two folders, the ten game
// slots and the storage catalogue. It reads the folders again on request,
// changes the name and comment of one replay in memory and writes them to its
// file, and says when the content of either folder changed in memory.
//
// Scans report their steps to a ScanProgress handed in by the caller, so the
// progress box stays with the window.
class ReplayWorkspace : public QObject {
    Q_OBJECT
public:
    explicit ReplayWorkspace(QObject *parent = nullptr);

    // --- folders (each path ends with "/"); changing one reads nothing ---
    const FolderSettings &folders() const { return m_folders; }
    const QString &TarnelDir() const { return m_folders.TarnelDir; }
    const QString &StorageDir() const { return m_folders.StorageDir; }
    void setFolders(const FolderSettings &folders);
    void setTarnelDir(const QString &dir);
    void setStorageDir(const QString &dir);

    // Full paths of a game slot's file (slot 0..9) and of a storage file.
    QString slotPath(int slot) const;
    QString storagePath(const QString &fileName) const;

    // --- content ---
    const ReplaySlots &Slots() const { return m_slots; }
    const ReplayList &Replays() const { return m_replayList; }

    // Clears the ten slots and reads the game folder again. progress may be null.
    void reloadTarnelFolder(ScanProgress *progress);
    // Releases the storage catalogue and reads the storage folder again.
    // progress may be null.
    void reloadStorageFolder(ScanProgress *progress);
    // Releases the storage catalogue (at the end of the run).
    void clearStorage();

    // --- name and comment of one replay ---
    // In memory only. False for a slot number outside 0..9, or when no
    // storage item has exactly this file name (nothing is changed then).
    bool setSlotText(int slot, const char (&name)[PlayerNameSize], const char (&comment)[CommentSize]);
    bool setStorageText(const QString &fileName, const char (&name)[PlayerNameSize],
                        const char (&comment)[CommentSize]);
    // Rewrites the replay's file with the name and comment held in memory,
    // behind its unchanged stream. False when the file could not be rewritten
    // (the old file is then unchanged) or there is no such slot or item.
    bool writeSlotText(int slot) const;
    bool writeStorageText(const QString &fileName) const;

signals:
    // The slots were read again or one slot's texts changed.
    void tarnelContentChanged();
    // The catalogue was read again or released, or one item's texts changed.
    void storageContentChanged();

private:
    FolderSettings m_folders;
    ReplaySlots m_slots{};
    ReplayList m_replayList;
};

#pragma once

#include "app/Settings.h"
#include "catalogue/FolderKind.h"
#include "catalogue/FolderScan.h"
#include "catalogue/FolderScanner.h"
#include "catalogue/ReplayList.h"
#include "operations/DecodedNameRename.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <vector>

class FileWorkRunner;
class ScanCache;

// The program's working data without any view: the two folders, the ten game
// slots and the storage catalogue. It reads the folders again on request,
// changes the name and comment of one replay in memory and writes them to its
// file, and says when the content of either folder changed in memory.
//
// Scans report their steps to a ScanProgress handed in by the caller, so the
// progress box stays with the window. Every reload reads only the files that
// changed since the last scan (or, through the cache, since the last run),
// with the result of a full scan.
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

    const QString &dir(FolderKind folder) const;

    // Full paths of a game slot's file (slot 0..9) and of a storage file.
    QString slotPath(int slot) const;
    QString storagePath(const QString &fileName) const;

    // --- content ---
    const ReplaySlots &Slots() const { return m_slots; }
    const ReplayList &Replays() const { return m_replayList; }

    // The identities of the ten slots' streams (null for an empty slot).
    const SlotIdentities &slotIdentities() const { return m_slotIdentities; }
    // Files named like replays in the storage folder that are not in the
    // catalogue, with their reasons, in listing order.
    const std::vector<LeftOutFile> &leftOutFiles() const { return m_leftOut; }

    // --- reading the folders ---
    // The cache of what earlier runs read (null, the default: none). Not owned.
    void setScanCache(ScanCache *cache) { m_scanner.setCache(cache); }
    FolderScanner &scanner() { return m_scanner; }

    // LoadTarnelFolder: clears the ten slots and reads the game folder again, reading only the
    // files that changed. progress may be null.
    ScanCounts reloadTarnelFolder(ScanProgress *progress);
    // LoadReplayFolder: releases the storage catalogue and reads the storage folder again,
    // reading only the files that changed: after the program's own copy or
    // trash, or when something else changed the folder. progress may be null.
    // A reload asked for while a scan runs (from an event handled meanwhile)
    // runs when that scan is done.
    ScanCounts reloadStorageFolder(ScanProgress *progress);
    // Either of the two above.
    ScanCounts reload(FolderKind folder, ScanProgress *progress);
    // The program has just copied a replay into folder dir (a game or storage
    // path) under fileName: the next reload reads it once and keeps it.
    void noteCopiedInto(const QString &dir, const QString &fileName) { m_scanner.noteOwnWrite(dir, fileName); }
    // Releases the storage catalogue (at the end of the run).
    void clearStorage();

    // --- following changes made by other programs ---
    enum class LiveResult {
        Unchanged, // the folder is as the last scan saw it (perhaps changed by the program itself)
        Updated,   // what changed was read; the content-changed signal has gone out
        Held,      // a file seems to be still being written: nothing changed in memory; try again soon
    };
    // Whether the folder (its state, names and stamps) differs from what the
    // last scan that the program shows saw.
    bool changedOnDisk(FolderKind folder) const;
    // Reads what changed since the last scan, as the reloads do, unless
    // nothing did. With mayHold, a file that changed and is still being
    // written (written within the last moment, or young and not yet a whole
    // replay) holds the update back, and the slots or catalogue stay as they
    // are; without, the folder is taken as it is. progress may be null.
    LiveResult liveReload(FolderKind folder, ScanProgress *progress, bool mayHold);
    // A file written within quietMs is taken to be still being written; one
    // that is not a whole replay is waited for while it was written within
    // graceMs.
    void setWriteTimes(int quietMs, int graceMs);
    // What the last scan shown saw of each folder: whether it is there, and
    // the files named like replays.
    const FolderSnapshot &tarnelSeen() const { return m_tarnelSeen; }
    const FolderSnapshot &storageSeen() const { return m_storageSeen; }
    const FolderSnapshot &seen(FolderKind folder) const;

    // --- name and comment of one replay ---
    // In memory only. False for a slot number outside 0..9, or when no
    // storage item has exactly this file name (nothing is changed then).
    bool setSlotText(int slot, const char (&name)[PlayerNameSize], const char (&comment)[CommentSize]);
    bool setStorageText(const QString &fileName, const char (&name)[PlayerNameSize],
                        const char (&comment)[CommentSize]);
    // Rewrites the replay's file with the name and comment held in memory,
    // behind its unchanged stream. False when the file could not be rewritten
    // (the old file is then unchanged; reason, may be null, says why) or
    // there is no such slot or item.
    bool writeSlotText(int slot, QString *reason = nullptr);
    bool writeStorageText(const QString &fileName, QString *reason = nullptr);

    // --- files whose names are not UTF-8 ---
    // Renames these storage files (raw names) to their Shift-JIS decoding,
    // never over an existing file, then reads the storage folder again (the
    // renamed files are read like any other). The renaming runs on runner
    // (null: here) and may be stopped there. One result per name tried.
    QList<DecodedNameRename::Result> renameToDecodedNames(const QList<QByteArray> &names, ScanProgress *progress,
                                                          FileWorkRunner *runner = nullptr);

signals:
    // The slots were read again or one slot's texts changed.
    void tarnelContentChanged();
    // The catalogue was read again or released, or one item's texts changed.
    void storageContentChanged();
    // The list of left-out storage files changed.
    void leftOutFilesChanged();

private:
    FolderSettings m_folders;
    ReplaySlots m_slots{};
    ReplayList m_replayList;
    SlotIdentities m_slotIdentities{};
    std::vector<LeftOutFile> m_leftOut;
    FolderScanner m_scanner;
    // A scan lets the window handle events; a reload asked for meanwhile waits.
    bool m_scanning = false;
    bool m_tarnelPending = false;
    bool m_storagePending = false;

    // Runs scan now, or after the scan that is running; then any reload asked
    // for meanwhile.
    ScanCounts runScan(bool &pending, ScanCounts (ReplayWorkspace::*scan)(ScanProgress *), ScanProgress *progress);
    ScanCounts scanTarnelNow(ScanProgress *progress);
    ScanCounts scanStorageNow(ScanProgress *progress);
    // What one look at a folder found, before it is taken into memory.
    struct Scanned;
    Scanned scanNow(FolderKind folder, ScanProgress *progress);
    void commit(FolderKind folder, Scanned &&scanned);
    void commitTarnel(const ReplaySlots &gameSlots, const SlotIdentities &identities);
    void commitStorage(ReplayList &&list, std::vector<LeftOutFile> &&leftOut);
    // The file of folder dir was rewritten by the program: the snapshots
    // take its new stamp, so that the change is not taken for someone else's.
    void noteOwnRewrite(const QString &dir, const QString &fileName);
    // Of names (changed in now), whether one was written after sinceNs.
    static bool writtenSince(const FolderSnapshot &now, const QList<QByteArray> &names, qint64 sinceNs);

    FolderSnapshot m_tarnelSeen;
    FolderSnapshot m_storageSeen;
    qint64 m_quietNs = 200'000'000;
    qint64 m_graceNs = 3'000'000'000;
};

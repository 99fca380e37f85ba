#pragma once

#include "catalogue/FolderScan.h"
#include "catalogue/FolderSnapshot.h"
#include "catalogue/ScannedFile.h"
#include "catalogue/ScannedFiles.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class ReplayList;
class ScanCache;
struct ListedFile;

// The identities of the ten slots' streams; null for an empty slot.
using SlotIdentities = std::array<ReplayIdentity, ReplaySlotCount>;

// How a scan came by its results.
struct ScanCounts {
    int read = 0;   // files opened and read
    int reused = 0; // files whose unchanged stamp let an earlier record stand
};

// Scans the game folder and the storage folder with the results of a full
// scan (same slots, same catalogue in listing order, same ids and texts) while
// reading only what changed: it remembers, per folder, what the last scan read
// from each file and its stamp, and asks the cache (when it has one) for what
// earlier runs read. Files to read are read on worker threads, one per core;
// the calling thread keeps the progress box drawn meanwhile.
class FolderScanner {
public:
    // Files whose change time is not at least this much older than the
    // moment they are read are read again at the next scan: a file rewritten
    // at the same size within one tick of the file system's clock (two
    // seconds on some) would otherwise keep its stamp and be served stale.
    static constexpr qint64 DefaultSettleNs = 2'000'000'000;

    explicit FolderScanner(ScanCache *cache = nullptr);

    // The cache to consult and update; null: none. Not owned.
    void setCache(ScanCache *cache) { m_cache = cache; }
    ScanCache *cache() const { return m_cache; }
    // Worker threads; 0 (the default) is one per core.
    void setThreads(int threads) { m_threads = threads; }
    void setSettleTime(qint64 ns) { m_settleNs = ns; }

    // Rebuilds the ten slots (cleared first) and their identities from the
    // game folder (ending with "/"). progress may be null.
    ScanCounts scanTarnel(const QString &tarnelDir, ReplaySlots &tarnelSlots, SlotIdentities &identities,
                          ScanProgress *progress);

    // Appends the replays of the storage folder (ending with "/") to list in
    // listing order, and gives every other file named like a replay with its
    // reason in leftOut (replaced), in listing order. progress may be null.
    ScanCounts scanStorage(const QString &storageDir, ReplayList &list, std::vector<LeftOutFile> &leftOut,
                           ScanProgress *progress);

    // The program rewrote the name and comment behind the stream of a replay
    // it had read from folder dir: its record takes the new stamp and texts,
    // in memory and in the cache, so that the next scan does not read it.
    void noteTextsRewritten(const QString &dir, const QString &fileName, const ReplayInfo &info);

    // The program itself has just written this file of folder dir (a copy),
    // completely: the next scan that reads it keeps its record without
    // waiting for it to settle.
    void noteOwnWrite(const QString &dir, const QString &fileName);

    // What the last scan of each folder saw: the listing it read from.
    const FolderSnapshot &tarnelSeen() const { return m_tarnelSeen; }
    const FolderSnapshot &storageSeen() const { return m_storageSeen; }

    // The ten slot files of a game folder (the path as the system spells
    // it), stamped without opening them; a slot without a file is refused
    // as missing.
    static std::vector<ListedFile> slotEntries(const QByteArray &folder);

private:
    // What the last scan of one folder learnt, by raw file name.
    struct FolderMemory {
        QByteArray folder; // the path as the system spells it; empty: none yet
        ScannedFiles files;
        bool inCache = false; // the cache holds these records and no others of the folder
        bool loaded = false;  // files came from the cache and no scan has used them yet
    };

    // One record per entry.
    using Records = std::vector<const ScannedFile *>;
    using RecordsUser = std::function<void(const Records &)>;
    // Reads or reuses a record for every entry that takes a step (the others
    // get the reason they cannot be read), reports the steps, caches the
    // results, hands the records to use (valid during the call only) and
    // remembers them. memory is memoryFor(folder). wholeFolder: the entries are the whole folder, so any
    // other file the cache knows is gone (not so for the ten slots).
    ScanCounts scan(FolderMemory &memory, const QByteArray &folder, const std::vector<ListedFile> &entries,
                    const std::vector<bool> &stepping, int total, bool wholeFolder, ScanProgress *progress,
                    const RecordsUser &use, const QElapsedTimer &timer);
    FolderMemory &memoryFor(FolderMemory &memory, const QByteArray &folder);

    ScanCache *m_cache;
    int m_threads = 0;
    qint64 m_settleNs = DefaultSettleNs;
    FolderMemory m_tarnel;
    FolderMemory m_storage;
    FolderSnapshot m_tarnelSeen;
    FolderSnapshot m_storageSeen;
    QHash<QByteArray, QSet<QByteArray>> m_ownWrites; // by folder
};

#include "catalogue/FolderScanner.h"

#include "catalogue/FolderListing.h"
#include "catalogue/ParallelReads.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ScanCache.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <new>

namespace {

QString countText(int position, int total)
{
    return QStringLiteral("%1 / %2").arg(position).arg(total);
}

// The record of an entry that is not read: why it cannot be.
ScannedFile unreadable(const ListedFile &entry)
{
    ScannedFile file;
    file.openStatus = entry.status;
    if (!entry.utf8)
        file.outcome = ScannedFile::Outcome::NameNotUtf8;
    else if (entry.danglingLink)
        file.outcome = ScannedFile::Outcome::DanglingLink;
    else if (entry.status.refusal == RegularFile::Refusal::NotRegular)
        file.outcome = ScannedFile::Outcome::NotRegular;
    else
        file.outcome = ScannedFile::Outcome::CannotOpen;
    return file;
}

} // namespace

FolderScanner::FolderScanner(ScanCache *cache)
    : m_cache(cache)
{
}

FolderScanner::FolderMemory &FolderScanner::memoryFor(FolderMemory &memory, const QByteArray &folder)
{
    if (memory.folder != folder) {
        memory = FolderMemory{};
        memory.folder = folder;
    }
    // Nothing in memory (the first scan of the run, or another folder): what
    // earlier runs read.
    if (memory.files.isEmpty() && m_cache) {
        bool ok = false;
        memory.files = m_cache->load(folder, &ok);
        memory.inCache = ok;
    }
    return memory;
}

ScanCounts FolderScanner::scan(FolderMemory &memory, const QByteArray &folder, const std::vector<ListedFile> &entries,
                               const std::vector<bool> &stepping, std::vector<ScannedFile> &results, int total,
                               bool wholeFolder, ScanProgress *progress)
{
    ScanCounts counts;
    QHash<QByteArray, ScannedFile> earlier = std::move(memoryFor(memory, folder).files);
    memory.files = {};

    std::vector<size_t> steps;  // entries that take a progress step, in listing order
    std::vector<size_t> toRead; // of those, the ones to read
    std::vector<bool> fresh(entries.size(), false);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!stepping[i])
            continue;
        steps.push_back(i);
        const ListedFile &entry = entries[i];
        if (!entry.status || !entry.utf8) {
            results[i] = unreadable(entry);
            continue;
        }
        const auto it = earlier.find(entry.nameBytes);
        if (it != earlier.end() && it->reusable && it->stamp == entry.stamp) {
            results[i] = std::move(*it);
            earlier.erase(it);
            ++counts.reused;
            continue;
        }
        toRead.push_back(i);
        fresh[i] = true;
    }
    counts.read = int(toRead.size());

    // Steps go in listing order and count what is done: files that need no
    // reading at once, the others as the workers finish them, in any order.
    const qsizetype doneAtOnce = qsizetype(steps.size() - toRead.size());
    int reported = 0;
    const auto report = [&](qsizetype readsDone) {
        if (!progress)
            return;
        const qsizetype done = doneAtOnce + readsDone;
        while (reported < done) {
            ++reported;
            progress->step(reported, countText(reported, total), entries[steps[size_t(reported - 1)]].name);
        }
        progress->waiting();
    };
    report(0);
    const qint64 settleNs = m_settleNs;
    const QSet<QByteArray> ownWrites = m_ownWrites.take(folder);
    runInParallel(
        qsizetype(toRead.size()), m_threads,
        [&](qsizetype k) {
            const size_t i = toRead[size_t(k)];
            // The program's own copy is complete: no need to wait for it to settle.
            const qint64 settle = ownWrites.contains(entries[i].nameBytes) ? 0 : settleNs;
            try {
                results[i] = ScannedFile::read(folder + entries[i].nameBytes, settle);
            } catch (const std::bad_alloc &) {
                // A file for which no memory can be had is left out.
                results[i] = ScannedFile{};
                results[i].outcome = ScannedFile::Outcome::CannotOpen;
                results[i].openStatus.refusal = RegularFile::Refusal::Failed;
                results[i].openStatus.systemError = ENOMEM;
            }
        },
        report);
    report(qsizetype(toRead.size()));

    // Remember what can be served again; the cache follows in one transaction.
    QList<ScanCache::Row> rows;
    // Rows to drop: gone, changed or no longer a file. A scan of some names
    // only (the slots) knows nothing of the folder's other files.
    QList<QByteArray> removed;
    if (wholeFolder) {
        removed = earlier.keys();
    } else {
        for (size_t i : steps) {
            if (earlier.contains(entries[i].nameBytes))
                removed.append(entries[i].nameBytes);
        }
    }
    for (size_t i : steps) {
        const ScannedFile &file = results[i];
        const QByteArray &name = entries[i].nameBytes;
        if (file.isLasting() && file.reusable) {
            memory.files.insert(name, file);
            if (fresh[i] || !memory.inCache)
                rows.append({name, &file});
        }
    }
    if (m_cache)
        memory.inCache = m_cache->store(folder, rows, removed, wholeFolder && !memory.inCache);
    return counts;
}

ScanCounts FolderScanner::scanTarnel(const QString &tarnelDir, ReplaySlots &tarnelSlots, SlotIdentities &identities,
                                     ScanProgress *progress)
{
    for (ReplayInfo &slot : tarnelSlots)
        slot = ReplayInfo{};
    identities = {};

    const QByteArray folder = QFile::encodeName(tarnelDir);
    if (progress)
        progress->start(ReplaySlotCount, QStringLiteral("Tarnelリプレイフォルダ読み込み中"));
    std::vector<ListedFile> entries(ReplaySlotCount);
    for (int i = 0; i < ReplaySlotCount; ++i) {
        ListedFile &entry = entries[size_t(i)];
        entry.name = slotFileName(i);
        entry.nameBytes = QFile::encodeName(entry.name);
        // A FIFO or device in a slot is never opened: the open itself could
        // block for good.
        FolderListing::stampOfPath(folder + entry.nameBytes, &entry.stamp, &entry.status);
    }
    std::vector<ScannedFile> results(entries.size());
    const ScanCounts counts = scan(m_tarnel, folder, entries, std::vector<bool>(entries.size(), true), results,
                                   ReplaySlotCount, false, progress);
    for (int i = 0; i < ReplaySlotCount; ++i) {
        const ScannedFile &file = results[size_t(i)];
        if (file.isAccepted()) {
            tarnelSlots[size_t(i)] = file.info;
            identities[size_t(i)] = file.identity;
        }
    }
    if (progress)
        progress->finish();
    return counts;
}

ScanCounts FolderScanner::scanStorage(const QString &storageDir, ReplayList &list, std::vector<LeftOutFile> &leftOut,
                                      ScanProgress *progress)
{
    leftOut.clear();
    const QByteArray folder = QFile::encodeName(storageDir);
    // First pass: count. A folder without a file to read shows no progress.
    const int total = FolderListing::countReadable(folder);
    if (total > 0 && progress)
        progress->start(total, QString());

    // Second pass: the names in listing order. Files that appeared meanwhile
    // are read too, even past the counted total.
    std::vector<ListedFile> entries = FolderListing::list(folder);
    std::vector<bool> stepping(entries.size(), false);
    std::vector<ScannedFile> results(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ListedFile &entry = entries[i];
        if (entry.status && entry.utf8)
            stepping[i] = true;
        else
            results[i] = unreadable(entry);
    }
    if (total == 0) {
        // Nothing was counted, so nothing is read (a file that appeared
        // after the count waits for the next scan).
        std::vector<ListedFile> kept;
        std::vector<ScannedFile> keptResults;
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!stepping[i]) {
                kept.push_back(std::move(entries[i]));
                keptResults.push_back(results[i]);
            }
        }
        entries = std::move(kept);
        results = std::move(keptResults);
        stepping.assign(entries.size(), false);
    }

    const ScanCounts counts = scan(m_storage, folder, entries, stepping, results, total, true, progress);
    for (size_t i = 0; i < entries.size(); ++i) {
        const ScannedFile &file = results[i];
        if (file.isAccepted()) {
            // An entry for which no memory can be had is left out silently.
            list.AddReplayList(entries[i].name, file.info, file.info.PlayerName, file.info.Comment, file.identity);
            continue;
        }
        leftOut.push_back({entries[i].nameBytes, entries[i].name, file.outcome, file.reasonText()});
    }
    if (total > 0 && progress)
        progress->finish();
    return counts;
}

void FolderScanner::noteOwnWrite(const QString &dir, const QString &fileName)
{
    m_ownWrites[QFile::encodeName(dir)].insert(QFile::encodeName(fileName));
}

void FolderScanner::noteTextsRewritten(const QString &dir, const QString &fileName, const ReplayInfo &info)
{
    const QByteArray folder = QFile::encodeName(dir);
    const QByteArray name = QFile::encodeName(fileName);
    // The game folder and the storage folder may be one and the same.
    for (FolderMemory *memory : {&m_tarnel, &m_storage}) {
        if (memory->folder != folder)
            continue;
        const auto it = memory->files.find(name);
        if (it == memory->files.end() || !it->isAccepted())
            continue;
        FileStamp stamp;
        RegularFile::Result status;
        if (!FolderListing::stampOfPath(folder + name, &stamp, &status)) {
            memory->files.erase(it);
            continue;
        }
        // The stream and with it head, length and identity are unchanged.
        std::memcpy(it->info.PlayerName, info.PlayerName, PlayerNameSize);
        std::memcpy(it->info.Comment, info.Comment, CommentSize);
        it->stamp = stamp;
        it->reusable = true;
        if (m_cache && memory->inCache)
            memory->inCache = m_cache->store(folder, {{name, &*it}}, {}, false);
    }
}

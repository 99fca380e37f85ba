#include "catalogue/FolderScanner.h"

#include "catalogue/FolderListing.h"
#include "catalogue/ParallelReads.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ScanCache.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <deque>
#include <new>
#include <utility>

// Off unless asked for: QT_LOGGING_RULES="qv.scan.info=true".
Q_LOGGING_CATEGORY(lcScan, "qv.scan", QtWarningMsg)

namespace {

// "k / n" for step k of n.
QString countText(int position, const QString &ofTotal)
{
    return QString::number(position) + ofTotal;
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
    if (memory.files.isEmpty() && !memory.loaded && m_cache) {
        bool ok = false;
        memory.files = m_cache->load(folder, &ok);
        memory.inCache = ok;
        memory.loaded = true;
    }
    return memory;
}

ScanCounts FolderScanner::scan(FolderMemory &memory, const QByteArray &folder, const std::vector<ListedFile> &entries,
                               const std::vector<bool> &stepping, int total, bool wholeFolder, ScanProgress *progress,
                               const RecordsUser &use, const QElapsedTimer &timer)
{
    ScanCounts counts;
    // What earlier scans learnt. Records reused from it are pointed to, not
    // copied, and it becomes the new memory: nothing is added or removed
    // until the records have been used.
    QHash<QByteArray, ScannedFile> earlier = std::move(memory.files);
    memory.files = {};
    memory.loaded = false;

    std::deque<ScannedFile> made;               // records of this scan (stable addresses)
    std::vector<const ScannedFile *> records(entries.size(), nullptr);
    std::vector<ScannedFile *> fresh(entries.size(), nullptr); // read or refused in this scan
    std::vector<size_t> steps;                  // entries that take a progress step, in listing order
    std::vector<size_t> toRead;                 // of those, the ones to read
    std::vector<bool> reusedEntry(entries.size(), false); // the earlier record stands
    for (size_t i = 0; i < entries.size(); ++i) {
        const ListedFile &entry = entries[i];
        if (stepping[i])
            steps.push_back(i);
        if (!stepping[i] || !entry.status || !entry.utf8) {
            fresh[i] = &made.emplace_back(unreadable(entry));
            records[i] = fresh[i];
            continue;
        }
        const auto it = std::as_const(earlier).find(entry.nameBytes);
        if (it != earlier.cend() && it->reusable && it->stamp == entry.stamp) {
            records[i] = &*it;
            reusedEntry[i] = true;
            ++counts.reused;
            continue;
        }
        fresh[i] = &made.emplace_back();
        records[i] = fresh[i];
        toRead.push_back(i);
    }
    counts.read = int(toRead.size());

    // Steps go in listing order and count what is done: files that need no
    // reading at once, the others as the workers finish them, in any order.
    const qsizetype doneAtOnce = qsizetype(steps.size() - toRead.size());
    int reported = 0;
    const QString ofTotal = QStringLiteral(" / %1").arg(total);
    const auto report = [&](qsizetype readsDone) {
        if (!progress)
            return;
        const qsizetype done = doneAtOnce + readsDone;
        while (reported < done) {
            ++reported;
            // Files whose earlier record stands are counted without a step
            // of their own (a start over a large folder has a hundred
            // thousand of them), but for the last of those done at once.
            const size_t i = steps[size_t(reported - 1)];
            if (reusedEntry[i] && reported < doneAtOnce)
                continue;
            progress->step(reported, countText(reported, ofTotal), entries[i].name);
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
                *fresh[i] = ScannedFile::read(folder + entries[i].nameBytes, entries[i].stamp, settle);
            } catch (const std::bad_alloc &) {
                // A file for which no memory can be had is left out.
                *fresh[i] = ScannedFile{};
                fresh[i]->outcome = ScannedFile::Outcome::CannotOpen;
                fresh[i]->openStatus.refusal = RegularFile::Refusal::Failed;
                fresh[i]->openStatus.systemError = ENOMEM;
            }
        },
        report);
    report(qsizetype(toRead.size()));

    // What can be served again: the reused records and the lasting new ones.
    const auto keep = [&](size_t i) { return fresh[i] && stepping[i] && fresh[i]->isLasting() && fresh[i]->reusable; };
    // The cache follows in one transaction. Rows to drop: gone, changed or no
    // longer a file; a scan of some names only (the slots) knows nothing of
    // the folder's other files. Names are compared only when some earlier
    // record does not stand (the names of entries are distinct).
    const bool allReused = counts.reused == earlier.size();
    QSet<QByteArrayView> reused;
    QList<QByteArray> removed;
    if (!allReused) {
        reused.reserve(counts.reused);
        for (size_t i = 0; i < entries.size(); ++i) {
            if (reusedEntry[i])
                reused.insert(entries[i].nameBytes);
        }
        for (auto it = earlier.cbegin(); it != earlier.cend(); ++it) {
            if (!reused.contains(it.key()))
                removed.append(it.key());
        }
    }
    if (!wholeFolder) {
        QList<QByteArray> ours;
        for (size_t i : steps) {
            if (removed.contains(entries[i].nameBytes))
                ours.append(entries[i].nameBytes);
        }
        removed = ours;
    }
    if (m_cache) {
        QList<ScanCache::Row> rows;
        for (size_t i : steps) {
            if (keep(i) || (!memory.inCache && !fresh[i]))
                rows.append({entries[i].nameBytes, records[i]});
        }
        memory.inCache = m_cache->store(folder, rows, removed, wholeFolder && !memory.inCache);
    }

    use(records);
    records.clear();
    if (!allReused) {
        earlier.removeIf([&reused](const QHash<QByteArray, ScannedFile>::iterator &it) {
            return !reused.contains(it.key());
        });
    }
    for (size_t i : steps) {
        if (keep(i))
            earlier.emplace(entries[i].nameBytes, std::move(*fresh[i]));
    }
    memory.files = std::move(earlier);
    qCInfo(lcScan, "%s: %d files, %d read, %d unchanged, %lld ms", folder.constData(), int(steps.size()), counts.read,
           counts.reused, timer.elapsed());
    return counts;
}

ScanCounts FolderScanner::scanTarnel(const QString &tarnelDir, ReplaySlots &tarnelSlots, SlotIdentities &identities,
                                     ScanProgress *progress)
{
    for (ReplayInfo &slot : tarnelSlots)
        slot = ReplayInfo{};
    identities = {};

    QElapsedTimer timer;
    timer.start();
    const QByteArray folder = QFile::encodeName(tarnelDir);
    if (progress)
        progress->start(ReplaySlotCount, QStringLiteral("Tarnelリプレイフォルダ読み込み中"));
    const FolderSnapshot::State state = FolderSnapshot::stateOf(folder);
    const std::vector<ListedFile> entries = slotEntries(folder);
    m_tarnelSeen = FolderSnapshot::of(state, entries);
    const ScanCounts counts = scan(memoryFor(m_tarnel, folder), folder, entries, std::vector<bool>(entries.size(), true),
                                   ReplaySlotCount, false, progress, [&](const Records &records) {
                                       for (int i = 0; i < ReplaySlotCount; ++i) {
                                           const ScannedFile &file = *records[size_t(i)];
                                           if (file.isAccepted()) {
                                               file.toInfo(tarnelSlots[size_t(i)]);
                                               identities[size_t(i)] = file.identity;
                                           }
                                       }
                                   },
                                   timer);
    if (progress)
        progress->finish();
    return counts;
}

std::vector<ListedFile> FolderScanner::slotEntries(const QByteArray &folder)
{
    std::vector<ListedFile> entries(ReplaySlotCount);
    for (int i = 0; i < ReplaySlotCount; ++i) {
        ListedFile &entry = entries[size_t(i)];
        entry.name = slotFileName(i);
        entry.nameBytes = QFile::encodeName(entry.name);
        // A FIFO or device in a slot is never opened: the open itself could
        // block for good.
        FolderListing::stampOfPath(folder + entry.nameBytes, &entry.stamp, &entry.status);
    }
    return entries;
}

ScanCounts FolderScanner::scanStorage(const QString &storageDir, ReplayList &list, std::vector<LeftOutFile> &leftOut,
                                      ScanProgress *progress)
{
    QElapsedTimer timer;
    timer.start();
    leftOut.clear();
    const QByteArray folder = QFile::encodeName(storageDir);
    // The listing, with the stamp of every entry, on a thread of its own
    // while this one takes what earlier runs read from the cache.
    FolderSnapshot::State state = FolderSnapshot::State::Missing;
    std::vector<ListedFile> entries;
    runBeside(
        [&] {
            state = FolderSnapshot::stateOf(folder);
            entries = FolderListing::list(folder);
        },
        [&] { memoryFor(m_storage, folder); });
    std::vector<bool> stepping(entries.size(), false);
    int total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        stepping[i] = entries[i].status && entries[i].utf8;
        total += stepping[i] ? 1 : 0;
    }
    // A folder without a file to read shows no progress.
    if (total > 0 && progress)
        progress->start(total, QString());

    const auto fill = [&](const Records &records) {
        qint32 accepted = 0;
        for (const ScannedFile *file : records)
            accepted += file->isAccepted() ? 1 : 0;
        list.reserve(list.Count() + accepted);
        for (size_t i = 0; i < entries.size(); ++i) {
            const ScannedFile &file = *records[i];
            if (file.isAccepted()) {
                // An entry for which no memory can be had is left out silently.
                list.addReplay(entries[i].name, file.head, file.playerName, file.comment, file.identity);
                continue;
            }
            leftOut.push_back({entries[i].nameBytes, entries[i].name, file.outcome, file.reasonText()});
        }
    };
    // What the scan saw, for telling later changes, made meanwhile.
    ScanCounts counts;
    runBeside([&] { m_storageSeen = FolderSnapshot::of(state, entries); },
              [&] { counts = scan(m_storage, folder, entries, stepping, total, true, progress, fill, timer); });
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
        it->setTexts(info);
        it->stamp = stamp;
        it->reusable = true;
        if (m_cache && memory->inCache)
            memory->inCache = m_cache->store(folder, {{name, &*it}}, {}, false);
    }
}

#include "catalogue/FolderScanner.h"

#include "catalogue/FolderListing.h"
#include "catalogue/ParallelReads.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ScanCache.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <new>
#include <utility>

// Off unless asked for: QT_LOGGING_RULES="qv.scan.info=true".
Q_LOGGING_CATEGORY(lcScan, "qv.scan", QtWarningMsg)

namespace {

// Folders of at least this many entries are looked up, and their catalogue
// items made, on two threads.
constexpr size_t LookUpOnTwoThreads = 4096;
constexpr size_t MakeOnTwoThreads = LookUpOnTwoThreads;

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

// Appends the accepted entries to the catalogue in listing order and gives
// the others with their reasons in leftOut. The items of a large folder are
// made on two threads, each over half the entries, and moved in at once.
void fillCatalogue(const std::vector<ListedFile> &entries, const std::vector<const ScannedFile *> &records,
                   ReplayList &list, std::vector<LeftOutFile> &leftOut)
{
    const size_t half = entries.size() >= MakeOnTwoThreads ? entries.size() / 2 : entries.size();
    size_t accepted = 0;
    size_t acceptedFirstHalf = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ScannedFile &file = *records[i];
        if (!file.isAccepted()) {
            leftOut.push_back({entries[i].nameBytes, entries[i].name, file.outcome, file.reasonText()});
            continue;
        }
        ++accepted;
        if (i < half)
            ++acceptedFirstHalf;
    }
    try {
        std::vector<ReplayListItem> items(accepted);
        const auto make = [&](size_t from, size_t to, size_t at) {
            for (size_t i = from; i < to; ++i) {
                const ScannedFile &file = *records[i];
                if (!file.isAccepted())
                    continue;
                ReplayListItem &item = items[at++];
                item.FileName = entries[i].name;
                item.Head = file.head;
                item.PlayerName = file.playerName;
                item.Comment = file.comment;
                item.Identity = file.identity;
            }
        };
        if (half < entries.size())
            runBeside([&] { make(half, entries.size(), acceptedFirstHalf); }, [&] { make(0, half, 0); });
        else
            make(0, entries.size(), 0);
        list.appendItems(std::move(items));
    } catch (const std::bad_alloc &) {
        // No memory for the catalogue: it stays as it was.
    }
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
    ScannedFiles earlier = std::move(memory.files);
    memory.files = {};
    memory.loaded = false;

    std::deque<ScannedFile> made;               // records of this scan (stable addresses)
    std::vector<const ScannedFile *> records(entries.size(), nullptr);
    std::vector<ScannedFile *> fresh(entries.size(), nullptr); // read or refused in this scan
    std::vector<size_t> steps;                  // entries that take a progress step, in listing order
    std::vector<size_t> toRead;                 // of those, the ones to read
    // Which earlier records stand. The lookups only read the memory, so a
    // large folder is looked up on two threads, each over half the entries.
    std::vector<qsizetype> earlierAt(entries.size(), -1); // the entry's earlier record, if any
    std::vector<char> reusedEntry(entries.size(), 0);      // the earlier record stands
    const auto lookUp = [&](size_t from, size_t to) {
        qsizetype lastAt = -1;
        for (size_t i = from; i < to; ++i) {
            const ListedFile &entry = entries[i];
            if (!stepping[i] || !entry.status || !entry.utf8)
                continue;
            // Memory made by a scan is in listing order, which an unchanged
            // folder keeps: the record after the last one found comes first.
            const qsizetype next = lastAt + 1;
            const qsizetype at = next < earlier.size() && earlier.nameAt(next) == entry.nameBytes
                ? next
                : earlier.indexOf(entry.nameBytes);
            if (at < 0)
                continue;
            earlierAt[i] = lastAt = at;
            reusedEntry[i] = earlier.at(at).reusable && earlier.at(at).stamp == entry.stamp;
        }
    };
    const size_t half = entries.size() / 2;
    if (entries.size() >= LookUpOnTwoThreads)
        runBeside([&] { lookUp(half, entries.size()); }, [&] { lookUp(0, half); });
    else
        lookUp(0, entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ListedFile &entry = entries[i];
        if (stepping[i])
            steps.push_back(i);
        if (!stepping[i] || !entry.status || !entry.utf8) {
            fresh[i] = &made.emplace_back(unreadable(entry));
            records[i] = fresh[i];
        } else if (reusedEntry[i]) {
            records[i] = &earlier.at(earlierAt[i]);
            ++counts.reused;
        } else {
            fresh[i] = &made.emplace_back();
            records[i] = fresh[i];
            toRead.push_back(i);
        }
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
    // the folder's other files.
    const bool allReused = counts.reused == earlier.size();
    QList<QByteArray> removed;
    if (!allReused) {
        if (wholeFolder) {
            std::vector<bool> reusedAt(size_t(earlier.size()), false);
            for (size_t i = 0; i < entries.size(); ++i) {
                if (reusedEntry[i])
                    reusedAt[size_t(earlierAt[i])] = true;
            }
            for (qsizetype at = 0; at < earlier.size(); ++at) {
                if (!reusedAt[size_t(at)])
                    removed.append(earlier.nameAt(at));
            }
        } else {
            // Entries that could not be looked at were not looked up.
            for (size_t i : steps) {
                if (!reusedEntry[i] && earlier.indexOf(entries[i].nameBytes) >= 0)
                    removed.append(entries[i].nameBytes);
            }
        }
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
    // The new memory: the records that stand and the lasting new ones, in
    // listing order; an unchanged folder keeps the memory it had.
    const bool anyKept = std::any_of(steps.cbegin(), steps.cend(), [&](size_t i) { return keep(i); });
    if (allReused && !anyKept) {
        memory.files = std::move(earlier);
    } else {
        memory.files.reserve(qsizetype(steps.size()));
        for (size_t i : steps) {
            if (reusedEntry[i])
                memory.files.add(entries[i].nameBytes, std::move(earlier.at(earlierAt[i])));
            else if (keep(i))
                memory.files.add(entries[i].nameBytes, std::move(*fresh[i]));
        }
    }
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

    // The catalogue, and meanwhile what the scan saw, for telling later changes.
    const auto fill = [&](const Records &records) {
        runBeside([&] { m_storageSeen = FolderSnapshot::of(state, entries); },
                  [&] { fillCatalogue(entries, records, list, leftOut); });
    };
    const ScanCounts counts = scan(m_storage, folder, entries, stepping, total, true, progress, fill, timer);
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
        const qsizetype at = memory->files.indexOf(name);
        if (at < 0 || !memory->files.at(at).isAccepted())
            continue;
        ScannedFile &file = memory->files.at(at);
        FileStamp stamp;
        RegularFile::Result status;
        if (!FolderListing::stampOfPath(folder + name, &stamp, &status)) {
            // Read again at the next scan.
            file.reusable = false;
            continue;
        }
        // The stream and with it head, length and identity are unchanged.
        file.setTexts(info);
        file.stamp = stamp;
        file.reusable = true;
        if (m_cache && memory->inCache)
            memory->inCache = m_cache->store(folder, {{name, &file}}, {}, false);
    }
}

#include "app/ReplayWorkspace.h"

#include "operations/FileWorkRunner.h"
#include "replay/ReplayTextWriter.h"

#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <ctime>

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
    ReplaySlots gameSlots{};
    SlotIdentities identities{};
    const ScanCounts counts = m_scanner.scanTarnel(m_folders.TarnelDir, gameSlots, identities, progress);
    commitTarnel(gameSlots, identities);
    return counts;
}

ScanCounts ReplayWorkspace::scanStorageNow(ScanProgress *progress)
{
    // The catalogue shown stays whole while the scan lets the window draw.
    std::vector<LeftOutFile> leftOut;
    ReplayList list;
    const ScanCounts counts = m_scanner.scanStorage(m_folders.StorageDir, list, leftOut, progress);
    commitStorage(std::move(list), std::move(leftOut));
    return counts;
}

void ReplayWorkspace::commitTarnel(const ReplaySlots &gameSlots, const SlotIdentities &identities)
{
    m_slots = gameSlots;
    m_slotIdentities = identities;
    m_tarnelSeen = m_scanner.tarnelSeen();
    emit tarnelContentChanged();
}

void ReplayWorkspace::commitStorage(ReplayList &&list, std::vector<LeftOutFile> &&leftOut)
{
    m_replayList = std::move(list);
    m_storageSeen = m_scanner.storageSeen();
    const bool leftOutChanged = leftOut != m_leftOut;
    m_leftOut = std::move(leftOut);
    emit storageContentChanged();
    if (leftOutChanged)
        emit leftOutFilesChanged();
}

// ---------------------------------------------------------------------------
// changes made by other programs

namespace {

// The clock the file system stamps change times with.
qint64 nowNs()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

FolderSnapshot slotsNow(const QString &dir)
{
    const QByteArray folder = QFile::encodeName(dir);
    return FolderSnapshot::of(FolderSnapshot::stateOf(folder), FolderScanner::slotEntries(folder));
}

FolderSnapshot storageNow(const QString &dir)
{
    const QByteArray folder = QFile::encodeName(dir);
    const FolderSnapshot::State state = FolderSnapshot::stateOf(folder);
    return FolderSnapshot::of(state, state == FolderSnapshot::State::Present ? FolderListing::list(folder)
                                                                               : std::vector<ListedFile>{});
}

// What a file that is still being written reads as: nothing yet, the start
// of a stream, or a stream cut short.
bool mayBeIncomplete(ScannedFile::Outcome outcome)
{
    return outcome == ScannedFile::Outcome::Empty || outcome == ScannedFile::Outcome::NotReplay
        || outcome == ScannedFile::Outcome::Broken;
}

} // namespace

void ReplayWorkspace::setWriteTimes(int quietMs, int graceMs)
{
    m_quietNs = qint64(quietMs) * 1'000'000;
    m_graceNs = qint64(graceMs) * 1'000'000;
}

bool ReplayWorkspace::writtenSince(const FolderSnapshot &now, const QList<QByteArray> &names, qint64 sinceNs)
{
    return std::any_of(names.cbegin(), names.cend(), [&](const QByteArray &name) {
        // The change time, which no program can set back or ahead.
        const FileStamp *stamp = now.stampOf(name);
        return (stamp ? stamp->ctimeNs : 0) > sinceNs;
    });
}

const QString &ReplayWorkspace::dir(FolderKind folder) const
{
    return folder == FolderKind::Game ? m_folders.TarnelDir : m_folders.StorageDir;
}

const FolderSnapshot &ReplayWorkspace::seen(FolderKind folder) const
{
    return folder == FolderKind::Game ? m_tarnelSeen : m_storageSeen;
}

ScanCounts ReplayWorkspace::reload(FolderKind folder, ScanProgress *progress)
{
    return folder == FolderKind::Game ? reloadTarnelFolder(progress) : reloadStorageFolder(progress);
}

bool ReplayWorkspace::changedOnDisk(FolderKind folder) const
{
    const FolderSnapshot now = folder == FolderKind::Game ? slotsNow(dir(folder)) : storageNow(dir(folder));
    return now != seen(folder);
}

struct ReplayWorkspace::Scanned {
    ReplaySlots gameSlots{};
    SlotIdentities identities{};
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    // Files that changed into something that is no replay (yet): perhaps
    // still being written.
    QList<QByteArray> notReplays;
};

ReplayWorkspace::Scanned ReplayWorkspace::scanNow(FolderKind folder, ScanProgress *progress)
{
    Scanned scanned;
    if (folder == FolderKind::Game) {
        m_scanner.scanTarnel(m_folders.TarnelDir, scanned.gameSlots, scanned.identities, progress);
        for (int i = 0; i < ReplaySlotCount; ++i) {
            if (scanned.identities[size_t(i)].isNull())
                scanned.notReplays.append(QFile::encodeName(slotFileName(i)));
        }
    } else {
        m_scanner.scanStorage(m_folders.StorageDir, scanned.list, scanned.leftOut, progress);
        for (const LeftOutFile &file : scanned.leftOut) {
            if (mayBeIncomplete(file.reason))
                scanned.notReplays.append(file.nameBytes);
        }
    }
    return scanned;
}

void ReplayWorkspace::commit(FolderKind folder, Scanned &&scanned)
{
    if (folder == FolderKind::Game)
        commitTarnel(scanned.gameSlots, scanned.identities);
    else
        commitStorage(std::move(scanned.list), std::move(scanned.leftOut));
}

ReplayWorkspace::LiveResult ReplayWorkspace::liveReload(FolderKind folder, ScanProgress *progress, bool mayHold)
{
    if (m_scanning)
        return LiveResult::Held;
    const FolderSnapshot &before = seen(folder);
    const FolderSnapshot now = folder == FolderKind::Game ? slotsNow(dir(folder)) : storageNow(dir(folder));
    if (now == before)
        return LiveResult::Unchanged;
    const QList<QByteArray> changed = before.changedIn(now);
    if (mayHold && writtenSince(now, changed, nowNs() - m_quietNs))
        return LiveResult::Held;

    m_scanning = true;
    const auto done = qScopeGuard([this] { m_scanning = false; });
    Scanned scanned = scanNow(folder, progress);
    if (mayHold) {
        // A file that changed and is no replay yet may be one the game, a
        // copy or a download is still writing: it waits a little.
        const FolderSnapshot &seenNow = folder == FolderKind::Game ? m_scanner.tarnelSeen() : m_scanner.storageSeen();
        const qint64 youngSince = nowNs() - m_graceNs;
        for (const QByteArray &name : std::as_const(scanned.notReplays)) {
            if (changed.contains(name) && writtenSince(seenNow, {name}, youngSince))
                return LiveResult::Held;
        }
    }
    commit(folder, std::move(scanned));
    return LiveResult::Updated;
}

void ReplayWorkspace::noteOwnRewrite(const QString &dir, const QString &fileName)
{
    const QByteArray name = QFile::encodeName(fileName);
    FileStamp stamp;
    RegularFile::Result status;
    const bool there = FolderListing::stampOfPath(QFile::encodeName(dir + fileName), &stamp, &status);
    // The game folder and the storage folder may be one and the same.
    const auto follow = [&](const QString &folder, FolderSnapshot &seen) {
        if (folder != dir || !seen.contains(name))
            return;
        if (there)
            seen.setStamp(name, stamp);
        else
            seen.remove(name);
    };
    follow(m_folders.TarnelDir, m_tarnelSeen);
    follow(m_folders.StorageDir, m_storageSeen);
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
                                                                       ScanProgress *progress, FileWorkRunner *runner)
{
    const DecodedNameRename rename(m_folders.StorageDir, names);
    const QList<DecodedNameRename::Result> results = FileWorkRunner::run(
        runner, QStringLiteral("ファイル名を変更中"), [&](FileWorkProgress &work) { return rename.run(&work); });
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

bool ReplayWorkspace::writeSlotText(int slot, QString *reason)
{
    if (slot < 0 || slot >= ReplaySlotCount)
        return false;
    const ReplayInfo &info = m_slots[size_t(slot)];
    if (!RewriteReplayText(slotPath(slot), info.PlayerName, info.Comment, reason))
        return false;
    // The next scan need not read the file again.
    m_scanner.noteTextsRewritten(m_folders.TarnelDir, slotFileName(slot), info);
    noteOwnRewrite(m_folders.TarnelDir, slotFileName(slot));
    return true;
}

bool ReplayWorkspace::writeStorageText(const QString &fileName, QString *reason)
{
    const ReplayListItem *item = m_replayList.itemByName(fileName);
    if (!item)
        return false;
    const ReplayInfo info = item->info();
    if (!RewriteReplayText(storagePath(item->FileName), info.PlayerName, info.Comment, reason))
        return false;
    m_scanner.noteTextsRewritten(m_folders.StorageDir, item->FileName, info);
    noteOwnRewrite(m_folders.StorageDir, item->FileName);
    return true;
}

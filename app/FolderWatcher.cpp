#include "app/FolderWatcher.h"

#include "platform/FileSystem.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QLoggingCategory>
#include <QTimer>

#include <atomic>

namespace {

Q_LOGGING_CATEGORY(lcWatch, "qv.watch", QtWarningMsg)

std::atomic<QtMessageHandler> passedOn{nullptr};

// Hands on every message but the system watcher's own line per path it
// cannot watch.
void withoutWatchRefusals(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1StringView("inotify_add_watch(")))
        return;
    if (const QtMessageHandler next = passedOn.load())
        next(type, context, message);
}

// Qt's watcher warns once per path it cannot watch: at the system's limit of
// watches that is a line per file at every look. The watcher says it once
// itself instead.
QStringList addWatchesQuietly(QFileSystemWatcher &watcher, const QStringList &paths)
{
    passedOn.store(qInstallMessageHandler(withoutWatchRefusals));
    const QStringList failed = watcher.addPaths(paths);
    qInstallMessageHandler(passedOn.load());
    return failed;
}

// What the system would refuse to watch is not asked for: it would only
// warn, again at every look.
bool mayWatch(const QString &path)
{
    return QFileInfo(path).isReadable();
}

// Which folder a path names now; empty when none.
QByteArray folderId(const QString &path)
{
    return QFileInfo(path).isDir() ? FileSystem::identity(path) : QByteArray();
}

} // namespace

FolderWatcher::FolderWatcher(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_poll(new QTimer(this)), m_sweep(new QTimer(this)),
      m_addWatches(addWatchesQuietly)
{
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FolderWatcher::pathChanged);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &FolderWatcher::pathChanged);
    connect(m_poll, &QTimer::timeout, this, &FolderWatcher::poll);
    connect(m_sweep, &QTimer::timeout, this, &FolderWatcher::sweep);
    for (FolderKind folder : BothFolders) {
        QTimer *timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, folder] { look(folder); });
        m_folders[size_t(folder)].timer = timer;
    }
}

FolderWatcher::~FolderWatcher() = default;

void FolderWatcher::setEnabled(bool on)
{
    m_enabled = on;
    for (Watched &watched : m_folders) {
        watched.timer->stop();
        watched.held = false;
    }
    sync();
    if (on) {
        for (FolderKind folder : BothFolders)
            check(folder);
    }
}

void FolderWatcher::setWatchAdder(WatchAdder adder)
{
    m_addWatches = adder ? std::move(adder) : WatchAdder(addWatchesQuietly);
}

void FolderWatcher::watch(FolderKind folder, const QString &dir, const QStringList &fileNames)
{
    Watched &watched = m_folders[size_t(folder)];
    watched.dir = dir;
    watched.path = dir.size() > 1 && dir.endsWith(QLatin1Char('/')) ? dir.chopped(1) : dir;
    watched.parent = watched.path.isEmpty() ? QString() : QFileInfo(watched.path).path();
    // Files watched already stay watched, so a large folder does not trade
    // one set of watches for another at every update.
    QSet<QString> files;
    files.reserve(qMin(fileNames.size(), qsizetype(MaxWatchedFiles)));
    for (const QString &name : fileNames) {
        if (files.size() < MaxWatchedFiles && watched.files.contains(dir + name))
            files.insert(dir + name);
    }
    for (const QString &name : fileNames) {
        if (files.size() >= MaxWatchedFiles)
            break;
        files.insert(dir + name);
    }
    watched.files = std::move(files);
    watched.partial = fileNames.size() > MaxWatchedFiles;
    sync();
}

bool FolderWatcher::isWatching(FolderKind folder) const
{
    const Watched &watched = m_folders[size_t(folder)];
    return !watched.path.isEmpty() && m_watcher->directories().contains(watched.path);
}

bool FolderWatcher::isLookPending(FolderKind folder) const
{
    return m_folders[size_t(folder)].timer->isActive();
}

bool FolderWatcher::isSweeping(FolderKind folder) const
{
    const Watched &watched = m_folders[size_t(folder)];
    return m_enabled && !watched.path.isEmpty() && (watched.partial || watched.refused > 0);
}

void FolderWatcher::check(FolderKind folder)
{
    const Watched &watched = m_folders[size_t(folder)];
    QTimer *timer = watched.timer;
    // Later reports of the same burst do not put the look off.
    if (m_enabled && !watched.path.isEmpty() && !timer->isActive())
        timer->start(m_timings.settleMs);
}

void FolderWatcher::holdBack(FolderKind folder)
{
    Watched &watched = m_folders[size_t(folder)];
    watched.heldThisTime = true;
    if (!watched.held) {
        watched.held = true;
        watched.heldSince.start();
    }
    if (m_enabled)
        watched.timer->start(m_timings.retryMs);
}

void FolderWatcher::pathChanged(const QString &path)
{
    for (FolderKind folder : BothFolders) {
        const Watched &watched = m_folders[size_t(folder)];
        // The folder above reports every change among its entries: only the
        // folder itself gone, renamed or replaced matters here.
        const bool folderMoved = path == watched.parent && !watched.path.isEmpty()
                                 && folderId(watched.path) != m_folderIds.value(watched.path);
        if (path == watched.path || folderMoved || watched.files.contains(path))
            check(folder);
    }
}

void FolderWatcher::look(FolderKind folder)
{
    if (!m_enabled)
        return;
    // A folder or file that was removed or replaced is watched again.
    sync();
    Watched &watched = m_folders[size_t(folder)];
    if (m_mayUpdate && !m_mayUpdate()) {
        watched.timer->start(m_timings.retryMs);
        return;
    }
    watched.heldThisTime = false;
    const bool mayHold = !watched.held || watched.heldSince.elapsed() < m_timings.maxHoldMs;
    emit changed(folder, mayHold);
    if (!watched.heldThisTime)
        watched.held = false;
}

void FolderWatcher::poll()
{
    for (FolderKind folder : BothFolders) {
        if (!m_folders[size_t(folder)].path.isEmpty() && !isWatching(folder))
            check(folder);
    }
}

void FolderWatcher::sweep()
{
    for (FolderKind folder : BothFolders) {
        if (isSweeping(folder))
            check(folder);
    }
}

void FolderWatcher::sync()
{
    QSet<QString> wantDirs;
    QSet<QString> wantFiles;
    if (m_enabled) {
        for (const Watched &watched : m_folders) {
            if (watched.path.isEmpty())
                continue;
            wantDirs.insert(watched.path);
            wantDirs.insert(watched.parent);
            wantFiles.unite(watched.files);
        }
    }

    QStringList dirs = m_watcher->directories();
    const QStringList files = m_watcher->files();
    QStringList drop;
    for (const QString &dir : std::as_const(dirs)) {
        // A folder renamed away is still watched under its old name: the
        // name now names another folder, or none.
        if (!wantDirs.contains(dir) || folderId(dir) != m_folderIds.value(dir))
            drop.append(dir);
    }
    for (const QString &file : files) {
        if (!wantFiles.contains(file))
            drop.append(file);
    }
    if (!drop.isEmpty()) {
        m_watcher->removePaths(drop);
        for (const QString &path : std::as_const(drop)) {
            m_folderIds.remove(path);
            dirs.removeOne(path);
        }
    }

    const QSet<QString> haveDirs(dirs.cbegin(), dirs.cend());
    const QSet<QString> haveFiles(files.cbegin(), files.cend());
    QStringList add;
    for (const QString &dir : std::as_const(wantDirs)) {
        if (!haveDirs.contains(dir) && QFileInfo(dir).isDir() && mayWatch(dir))
            add.append(dir);
    }
    for (const QString &file : std::as_const(wantFiles)) {
        if (!haveFiles.contains(file) && mayWatch(file))
            add.append(file);
    }
    QSet<QString> refused;
    if (!add.isEmpty()) {
        const QStringList failed = m_addWatches(*m_watcher, add);
        for (const QString &dir : std::as_const(wantDirs)) {
            if (!haveDirs.contains(dir) && add.contains(dir) && !failed.contains(dir))
                m_folderIds.insert(dir, folderId(dir));
        }
        for (const QString &path : failed) {
            if (wantFiles.contains(path))
                refused.insert(path);
        }
    }
    int refusedCount = 0;
    for (Watched &watched : m_folders) {
        watched.refused = 0;
        for (const QString &file : std::as_const(watched.files))
            watched.refused += refused.contains(file) ? 1 : 0;
        refusedCount += watched.refused;
    }
    if (refusedCount == 0) {
        m_refusalSaid = false;
    } else if (!m_refusalSaid) {
        m_refusalSaid = true;
        qCWarning(lcWatch, "%d files cannot be watched (the system's limit of file watches may be reached); "
                           "they are looked at every %d s instead",
                  refusedCount, m_timings.sweepMs / 1000);
    }

    bool lost = false;
    bool partial = false;
    for (FolderKind folder : BothFolders) {
        lost = lost || (m_enabled && !m_folders[size_t(folder)].path.isEmpty() && !isWatching(folder));
        partial = partial || isSweeping(folder);
    }
    const auto run = [](QTimer *timer, bool on, int interval) {
        if (!on)
            timer->stop();
        else if (!timer->isActive())
            timer->start(interval);
    };
    run(m_poll, lost, m_timings.pollMs);
    run(m_sweep, partial, m_timings.sweepMs);
}

#pragma once

#include "catalogue/FolderKind.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class QFileSystemWatcher;
class QTimer;

// Watches the game folder and the storage folder for changes that other
// programs make, and says when a folder should be looked at again: a short
// while after the first report of a change (changes come in bursts), and only
// when the window may change (no dialog open), else a little later. It says
// nothing about what changed: the one told compares the folder with what it
// read last, so the program's own changes, read already, cost nothing more.
//
// A folder's own entry reports files added, removed and renamed; its
// files are watched as well, since a file rewritten in place is not reported
// by its folder, and so is the folder above it, which reports the folder
// itself renamed or replaced. A folder that is missing, or was removed or
// replaced, is looked for again every few seconds (a watch follows the
// folder it was given, not its name).
//
// Watching a file costs the system a watch and the watcher time that grows
// with the square of their number (about 0.6 s for 10,000): beyond
// MaxWatchedFiles files in a folder, the others are looked at every
// sweepMs instead, which costs one listing. So is a folder with files whose
// watch the system refuses (its per-user limit of watches reached); their
// watches are asked for again at every look, and the refusal is said once
// on standard error, not once per file.
class FolderWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int Folders = 2;
    static constexpr int MaxWatchedFiles = 1000; // per folder

    struct Timings {
        int settleMs = 300;   // from the first report of a change to the look
        int retryMs = 300;    // again, while the window may not change or a file is being written
        int pollMs = 2000;    // for a folder that cannot be watched
        int maxHoldMs = 8000; // the longest an update waits for a file being written
        int sweepMs = 10000;  // for a folder with more files than are watched
    };

    explicit FolderWatcher(QObject *parent = nullptr);
    ~FolderWatcher() override;

    void setTimings(const Timings &timings) { m_timings = timings; }
    const Timings &timings() const { return m_timings; }

    // Asked before every look: whether the window may change now.
    void setGate(std::function<bool()> mayUpdate) { m_mayUpdate = std::move(mayUpdate); }

    // Adds watches to the system's watcher and gives back the paths it could
    // not watch. The default asks the system; a test stands in for a system
    // that refuses. An empty function brings the default back.
    using WatchAdder = std::function<QStringList(QFileSystemWatcher &, const QStringList &)>;
    void setWatchAdder(WatchAdder adder);

    // Off: nothing is watched, nothing reported. Turned on, both folders are
    // looked at at once (they may have changed meanwhile).
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }

    // The folder (ending with "/") and the names of the files in it to watch.
    void watch(FolderKind folder, const QString &dir, const QStringList &fileNames);

    // Looks at the folder soon, as if a change had been reported.
    void check(FolderKind folder);

    // The look at a folder was held back (a file seems to be still being
    // written): looks again soon. Once the update has waited maxHoldMs, the
    // next look asks to take the folder as it is.
    void holdBack(FolderKind folder);

    // Whether the folder itself is being watched (false while it is missing).
    bool isWatching(FolderKind folder) const;
    // Whether a look at the folder is due (a report may follow).
    bool isLookPending(FolderKind folder) const;
    // Whether some of the folder's files are not watched (beyond
    // MaxWatchedFiles, or refused by the system), so that it is swept.
    bool isSweeping(FolderKind folder) const;

    // Looks at every folder that is swept; runs every sweepMs.
    void sweep();

signals:
    // Look at the folder again and show what changed. mayHold is false once
    // the update has been held back for too long.
    void changed(FolderKind folder, bool mayHold);

private:
    struct Watched {
        QString dir;          // as given, ending with "/"
        QString path;         // the folder as the watcher names it (no trailing "/")
        QString parent;       // the folder above it
        QSet<QString> files;  // full paths, at most MaxWatchedFiles
        bool partial = false; // the folder has more files than are watched
        int refused = 0;      // files whose watch the system refused at the last try
        QTimer *timer = nullptr;
        bool held = false;    // the update has been held back since heldSince
        bool heldThisTime = false;
        QElapsedTimer heldSince;
    };

    void pathChanged(const QString &path);
    void look(FolderKind folder);
    void poll();
    // Brings the watched paths to what both folders want, adding what has
    // come back and dropping what is no longer wanted.
    void sync();

    QFileSystemWatcher *m_watcher;
    QTimer *m_poll;
    QTimer *m_sweep;
    QHash<QString, QByteArray> m_folderIds; // of the folders watched, as they were when added
    std::array<Watched, Folders> m_folders;
    std::function<bool()> m_mayUpdate;
    WatchAdder m_addWatches;
    bool m_refusalSaid = false; // since files were last all watched
    Timings m_timings;
    bool m_enabled = false;
};

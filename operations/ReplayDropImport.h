#pragma once

#include "operations/ReplayCopyJob.h"
#include "platform/FileListMessage.h"
#include "replay/ReplayIdentity.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <vector>

class FileWorkProgress;
class Prompter;
class QWidget;

// Files dropped onto the storage table from a file manager, copied into the
// storage folder. Only local replay files are taken (each is read as the
// folder scan reads it); folders, other files and addresses that are no
// local file (another host's included) are refused, each with the reason.
class ReplayDropImport {
public:
    // Reads every dropped file, telling progress (may be null) of each. A
    // file that inflates without end is read in constant memory and the
    // reading stops when progress is cancelled; then nothing is taken.
    ReplayDropImport(const QList<QUrl> &urls, const QString &storageDir, FileWorkProgress *progress = nullptr);

    bool wasCancelled() const { return m_cancelled; }

    // Full paths of the dropped replay files, in the order dropped.
    const QStringList &replays() const { return m_replays; }
    // One line for each dropped item that is not copied: its name and why.
    const QStringList &refused() const { return m_refused; }

    // The copy of each replay, in order: each must still find the replay
    // it was read as.
    std::vector<ReplayCopyJob> jobs() const;

    struct Result {
        int copied = 0;
        QStringList failures; // "name：reason" for each copy that failed
        bool cancelled = false; // the copies stopped at the player's cancel
        QList<TrashedFile> trashed; // the files the copies replaced, now in the trash
    };

    // Copies every replay under its own name (".dat" added when missing)
    // with the safe whole-file copy of the copy command: an existing file is
    // replaced only after the user said Yes. A cancel stops between copies
    // or inside one, which then leaves nothing behind.
    Result run(Prompter &prompter, QWidget *owner, FileWorkProgress *progress = nullptr) const;

    // The one message after a drop: every item not copied (refused, or whose
    // copy failed) with its reason; empty when all were copied.
    FileListMessage message(const Result &result) const;

    // The storage folder's name for a dropped file.
    static QString targetName(const QString &path);

private:
    QString m_storageDir;
    QStringList m_replays;
    QList<ReplayIdentity> m_identities; // of m_replays' streams
    QStringList m_refused;
    bool m_cancelled = false;
};

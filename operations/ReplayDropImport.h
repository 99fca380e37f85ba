#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class Prompter;
class QWidget;

// Files dropped onto the storage table from a file manager, copied into the
// storage folder. Only local replay files are taken (each is read with the
// stream reader, as the folder scan reads it); folders, other files and
// addresses that are no local file are refused, each with the reason.
class ReplayDropImport {
public:
    ReplayDropImport(const QList<QUrl> &urls, const QString &storageDir);

    // Full paths of the dropped replay files, in the order dropped.
    const QStringList &replays() const { return m_replays; }
    // One line for each dropped item that is not copied: its name and why.
    const QStringList &refused() const { return m_refused; }

    struct Result {
        int copied = 0;
        QStringList failures; // "name：reason" for each copy that failed
    };

    // Copies every replay under its own name (".dat" added when missing)
    // with the safe whole-file copy of the copy command: an existing file is
    // replaced only after the user said Yes.
    Result run(Prompter &prompter, QWidget *owner) const;

    // The one message after a drop: every item not copied (refused, or whose
    // copy failed) with its reason; empty when all were copied.
    QString message(const Result &result) const;

    // The storage folder's name for a dropped file.
    static QString targetName(const QString &path);

private:
    QString m_storageDir;
    QStringList m_replays;
    QStringList m_refused;
};

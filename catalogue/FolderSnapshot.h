#pragma once

#include "catalogue/FolderListing.h"
#include "catalogue/NameIndex.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <vector>

// What a scan saw of a folder: whether the folder could be listed, and the
// stamp of every entry named like a replay (zero for one that is no regular
// file). Two snapshots that are equal mean nothing there changed, so a
// watcher's report of a change the program made itself, and already read,
// can be told from a change by someone else. The names are held in listing
// order and found through a NameIndex, so that a snapshot of a large folder
// is made at the pace of copying it.
class FolderSnapshot {
public:
    using State = FolderState;

    State state = State::Missing;

    // Whether folder (the path as the system spells it) can be listed.
    static State stateOf(const QByteArray &folder) { return FolderListing::stateOf(folder); }
    // The entries of a scan; names that turned out to be missing are left out.
    static FolderSnapshot of(State state, const std::vector<ListedFile> &entries);

    // The stamp of name; null when the snapshot does not hold the name.
    const FileStamp *stampOf(QByteArrayView name) const;
    bool contains(QByteArrayView name) const { return stampOf(name) != nullptr; }
    // Gives name this stamp, adding the name when it is not held.
    void setStamp(const QByteArray &name, const FileStamp &stamp);
    // Forgets name.
    void remove(QByteArrayView name);
    // The number of names held, and the names in listing order.
    qsizetype size() const { return qsizetype(m_entries.size()) - m_gone; }
    QList<QByteArray> names() const;

    // Names that are new or have another stamp in now (gone ones are not named).
    QList<QByteArray> changedIn(const FolderSnapshot &now) const;

    friend bool operator==(const FolderSnapshot &a, const FolderSnapshot &b);
    friend bool operator!=(const FolderSnapshot &a, const FolderSnapshot &b) { return !(a == b); }

private:
    struct Entry {
        QByteArray name; // raw file name
        FileStamp stamp;
        bool gone = false; // removed: still indexed, no longer held
    };
    qsizetype indexOf(QByteArrayView name) const;

    std::vector<Entry> m_entries;
    NameIndex m_index;
    qsizetype m_gone = 0;
};

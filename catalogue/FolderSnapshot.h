#pragma once

#include "catalogue/FolderListing.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <vector>

// What a scan saw of a folder: whether the folder could be listed, and the
// stamp of every entry named like a replay (zero for one that is no regular
// file). Two snapshots that are equal mean nothing there changed, so a
// watcher's report of a change the program made itself, and already read,
// can be told from a change by someone else.
struct FolderSnapshot {
    using State = FolderState;

    State state = State::Missing;
    QHash<QByteArray, FileStamp> stamps; // by raw file name

    // Whether folder (the path as the system spells it) can be listed.
    static State stateOf(const QByteArray &folder) { return FolderListing::stateOf(folder); }
    // The entries of a scan; names that turned out to be missing are left out.
    static FolderSnapshot of(State state, const std::vector<ListedFile> &entries);

    // Names that are new or have another stamp in now (gone ones are not named).
    QList<QByteArray> changedIn(const FolderSnapshot &now) const;

    friend bool operator==(const FolderSnapshot &, const FolderSnapshot &) = default;
};

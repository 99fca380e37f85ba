#pragma once

#include "replay/ReplayIdentity.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

class ReplayList;

// Which storage files hold a given replay: stream identity -> file names of
// the catalogue, ordered by name (letter case ignored). Built in one pass over
// the catalogue, which only links the files of each identity; the names of
// one identity are gathered and ordered when asked for. Items without an
// identity are left out.
class StoredReplayIndex {
public:
    void rebuild(const ReplayList &list);
    void clear();

    // The storage files holding this replay; empty for a null identity.
    QStringList names(const ReplayIdentity &identity) const;

private:
    QHash<ReplayIdentity, qsizetype> m_first; // the first file of each identity, as its index + 1
    std::vector<QString> m_fileNames;         // the catalogue's, in its order
    std::vector<qsizetype> m_next;            // the next file of the same identity, or -1
};

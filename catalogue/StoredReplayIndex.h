#pragma once

#include "replay/ReplayIdentity.h"

#include <QHash>
#include <QStringList>

class ReplayList;

// Which storage files hold a given replay: stream identity -> file names of
// the catalogue, ordered by name (letter case ignored). Built in one pass over
// the catalogue; items without an identity are left out.
class StoredReplayIndex {
public:
    void rebuild(const ReplayList &list);
    void clear() { m_names.clear(); }

    // The storage files holding this replay; empty for a null identity.
    QStringList names(const ReplayIdentity &identity) const;

private:
    QHash<ReplayIdentity, QStringList> m_names;
};

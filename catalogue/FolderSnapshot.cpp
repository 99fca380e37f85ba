#include "catalogue/FolderSnapshot.h"

FolderSnapshot FolderSnapshot::of(State state, const std::vector<ListedFile> &entries)
{
    FolderSnapshot snapshot;
    snapshot.state = state;
    snapshot.stamps.reserve(qsizetype(entries.size()));
    for (const ListedFile &entry : entries) {
        if (entry.status.refusal == RegularFile::Refusal::Missing && !entry.danglingLink)
            continue;
        snapshot.stamps.insert(entry.nameBytes, entry.stamp);
    }
    return snapshot;
}

QList<QByteArray> FolderSnapshot::changedIn(const FolderSnapshot &now) const
{
    QList<QByteArray> changed;
    for (auto it = now.stamps.cbegin(); it != now.stamps.cend(); ++it) {
        const auto before = stamps.constFind(it.key());
        if (before == stamps.cend() || *before != *it)
            changed.append(it.key());
    }
    return changed;
}

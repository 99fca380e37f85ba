#include "catalogue/FolderSnapshot.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

FolderSnapshot::State FolderSnapshot::stateOf(const QByteArray &folder)
{
    struct stat status {};
    if (::stat(folder.isEmpty() ? "." : folder.constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? State::Missing : State::Unreadable;
    if (!S_ISDIR(status.st_mode))
        return State::Missing;
    DIR *dir = ::opendir(folder.isEmpty() ? "." : folder.constData());
    if (!dir)
        return State::Unreadable;
    ::closedir(dir);
    return State::Present;
}

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

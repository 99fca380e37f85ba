#include "catalogue/FolderSnapshot.h"

FolderSnapshot FolderSnapshot::of(State state, const std::vector<ListedFile> &entries)
{
    FolderSnapshot snapshot;
    snapshot.state = state;
    snapshot.m_entries.reserve(entries.size());
    snapshot.m_index.reserve(qsizetype(entries.size()));
    for (const ListedFile &entry : entries) {
        if (entry.status.refusal == RegularFile::Refusal::Missing && !entry.danglingLink)
            continue;
        snapshot.setStamp(entry.nameBytes, entry.stamp);
    }
    return snapshot;
}

qsizetype FolderSnapshot::indexOf(QByteArrayView name) const
{
    return m_index.find(NameIndex::hashOf(name), [&](qsizetype at) { return m_entries[size_t(at)].name == name; });
}

const FileStamp *FolderSnapshot::stampOf(QByteArrayView name) const
{
    const qsizetype at = indexOf(name);
    return at < 0 || m_entries[size_t(at)].gone ? nullptr : &m_entries[size_t(at)].stamp;
}

void FolderSnapshot::setStamp(const QByteArray &name, const FileStamp &stamp)
{
    // Room first, so that nothing can fail once the name is indexed.
    if (m_entries.size() == m_entries.capacity())
        m_entries.reserve(qMax<size_t>(16, m_entries.size() * 2));
    const qsizetype at = m_index.insert(NameIndex::hashOf(name), qsizetype(m_entries.size()),
                                        [&](qsizetype at) { return m_entries[size_t(at)].name == name; });
    if (at < 0) {
        m_entries.push_back({name, stamp, false});
        return;
    }
    Entry &entry = m_entries[size_t(at)];
    entry.stamp = stamp;
    if (entry.gone) {
        entry.gone = false;
        --m_gone;
    }
}

void FolderSnapshot::remove(QByteArrayView name)
{
    const qsizetype at = indexOf(name);
    if (at < 0 || m_entries[size_t(at)].gone)
        return;
    m_entries[size_t(at)].gone = true;
    ++m_gone;
}

QList<QByteArray> FolderSnapshot::names() const
{
    QList<QByteArray> names;
    names.reserve(size());
    for (const Entry &entry : m_entries) {
        if (!entry.gone)
            names.append(entry.name);
    }
    return names;
}

QList<QByteArray> FolderSnapshot::changedIn(const FolderSnapshot &now) const
{
    QList<QByteArray> changed;
    for (const Entry &entry : now.m_entries) {
        if (entry.gone)
            continue;
        const FileStamp *before = stampOf(entry.name);
        if (!before || *before != entry.stamp)
            changed.append(entry.name);
    }
    return changed;
}

bool operator==(const FolderSnapshot &a, const FolderSnapshot &b)
{
    if (a.state != b.state || a.size() != b.size())
        return false;
    // As many names on both sides: equal when each of one is in the other
    // with the same stamp. Listing order is compared first, which an
    // unchanged folder keeps.
    for (size_t i = 0; i < a.m_entries.size(); ++i) {
        const FolderSnapshot::Entry &entry = a.m_entries[i];
        if (entry.gone)
            continue;
        const bool sameHere = i < b.m_entries.size() && !b.m_entries[i].gone && b.m_entries[i].name == entry.name;
        const FileStamp *other = sameHere ? &b.m_entries[i].stamp : b.stampOf(entry.name);
        if (!other || *other != entry.stamp)
            return false;
    }
    return true;
}

#include "catalogue/ReplayList.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

void ReplayList::ClearReplayList()
{
    // Emptiness is decided by LastId alone.
    if (m_lastId == 0)
        return;
    std::vector<ReplayListItem>().swap(m_items);
    m_byName.clear();
    m_lastId = 0;
}

void ReplayList::reserve(qint32 count)
{
    try {
        m_items.reserve(size_t(qMax(count, 0)));
        m_byName.reserve(qMax(count, 0));
    } catch (const std::bad_alloc &) {
        // Items are then added one by one, each failing on its own.
    }
}

ReplayInfo ReplayListItem::info() const
{
    ReplayInfo info{};
    static_cast<ReplayHead &>(info) = Head;
    putStoredField(PlayerName, info.PlayerName, PlayerNameSize);
    putStoredField(Comment, info.Comment, CommentSize);
    return info;
}

qint32 ReplayList::AddReplayList(const QString &fileName, const ReplayHead &head,
                                 const char (&name)[PlayerNameSize], const char (&comment)[CommentSize],
                                 const ReplayIdentity &identity)
{
    if (!hasReplayPrefix(head))
        return 0;
    try {
        return addReplay(fileName, head, storedFieldBytes(name, PlayerNameSize), storedFieldBytes(comment, CommentSize),
                         identity);
    } catch (const std::bad_alloc &) {
        return -1;
    }
}

qint32 ReplayList::addReplay(const QString &fileName, const ReplayHead &head, const QByteArray &playerName,
                             const QByteArray &comment, const ReplayIdentity &identity)
{
    if (!hasReplayPrefix(head))
        return 0;

    const qsizetype index = qsizetype(m_items.size());
    try {
        ReplayListItem &item = m_items.emplace_back();
        item.Id = m_lastId + 1;
        item.FileName = fileName;
        item.Head = head;
        item.PlayerName = playerName;
        item.Comment = comment;
        item.Identity = identity;
    } catch (const std::bad_alloc &) {
        return -1;
    }
    try {
        // Only the first item of a name is found by name; later ones keep it.
        m_byName.insert(NameIndex::hashOf(fileName), index,
                        [&](qsizetype at) { return m_items[size_t(at)].FileName == fileName; });
    } catch (const std::bad_alloc &) {
        // Nothing half-added stays behind.
        m_items.pop_back();
        return -1;
    }
    return ++m_lastId;
}

qint32 ReplayList::appendItems(std::vector<ReplayListItem> &&items)
{
    items.erase(std::remove_if(items.begin(), items.end(),
                               [](const ReplayListItem &item) { return !hasReplayPrefix(item.Head); }),
                items.end());
    // Room first: what throws leaves the catalogue as it was.
    const size_t first = m_items.size();
    m_byName.reserve(qsizetype(first + items.size()));
    if (m_items.empty()) {
        m_items = std::move(items);
    } else {
        m_items.reserve(first + items.size());
        std::move(items.begin(), items.end(), std::back_inserter(m_items));
    }
    for (size_t i = first; i < m_items.size(); ++i) {
        ReplayListItem &item = m_items[i];
        item.Id = ++m_lastId;
        // Only the first item of a name is found by name; later ones keep it.
        m_byName.insert(NameIndex::hashOf(item.FileName), qsizetype(i),
                        [&](qsizetype at) { return m_items[size_t(at)].FileName == item.FileName; });
    }
    return qint32(m_items.size() - first);
}

const ReplayListItem *ReplayList::itemById(qint32 id) const
{
    if (m_lastId == 0 || id < 1 || id > Count())
        return nullptr;
    return &m_items[size_t(id - 1)];
}

const ReplayListItem *ReplayList::itemByName(const QString &fileName) const
{
    if (m_lastId == 0)
        return nullptr;
    const qsizetype at =
        m_byName.find(NameIndex::hashOf(fileName), [&](qsizetype at) {
            return m_items[size_t(at)].FileName == fileName;
        });
    return at < 0 ? nullptr : &m_items[size_t(at)];
}

bool ReplayList::FindReplayListById(qint32 id, QString *fileName, ReplayInfo *info) const
{
    const ReplayListItem *item = itemById(id);
    if (!item)
        return false;
    if (fileName)
        *fileName = item->FileName;
    if (info)
        *info = item->info();
    return true;
}

bool ReplayList::FindReplayListByName(const QString &fileName, ReplayInfo *info) const
{
    const ReplayListItem *item = itemByName(fileName);
    if (!item)
        return false;
    if (info)
        *info = item->info();
    return true;
}

bool ReplayList::UpdateReplayListText(const QString &fileName, const char (&name)[PlayerNameSize],
                                      const char (&comment)[CommentSize])
{
    const ReplayListItem *item = itemByName(fileName);
    if (!item)
        return false;
    ReplayListItem &stored = m_items[size_t(item - m_items.data())];
    stored.PlayerName = storedFieldBytes(name, PlayerNameSize);
    stored.Comment = storedFieldBytes(comment, CommentSize);
    return true;
}

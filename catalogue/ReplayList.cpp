#include "catalogue/ReplayList.h"

#include <cstring>
#include <new>

void ReplayList::ClearReplayList()
{
    // Emptiness is decided by LastId alone.
    if (m_lastId == 0)
        return;
    std::vector<ReplayListItem>().swap(m_items);
    m_byName = {};
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
        qsizetype &first = m_byName[fileName];
        if (first == 0)
            first = index + 1;
    } catch (const std::bad_alloc &) {
        // Nothing half-added stays behind.
        m_items.pop_back();
        return -1;
    }
    return ++m_lastId;
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
    const auto it = m_byName.constFind(fileName);
    if (it == m_byName.constEnd())
        return nullptr;
    return &m_items[size_t(it.value() - 1)];
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

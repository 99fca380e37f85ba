#pragma once

#include "catalogue/NameIndex.h"
#include "replay/ReplayIdentity.h"
#include "replay/ReplayInfo.h"

#include <QString>

#include <vector>

// One replay file of the storage folder. The texts are kept without their
// fields' trailing NULs (most comments are short), and share their bytes with
// the scan's own records: an item is a few hundred bytes, not a whole record.
struct ReplayListItem {
    qint32 Id = 0;      // 1, 2, ... in the order of appending since the last clear
    QString FileName;   // name within the storage folder, as the listing spells it
    ReplayHead Head{};
    QByteArray PlayerName; // the field's bytes without its trailing NULs
    QByteArray Comment;    // likewise
    ReplayIdentity Identity; // of the compressed stream: equal for the same replay under any name or texts

    // The replay as a fixed-size record: the head and both fields, padded with NULs.
    ReplayInfo info() const;
};

// The storage folder's catalogue. Ids run from 1 to Count in the order items
// were appended; lookups by name compare the whole name exactly (case
// matters) and find the first match. Held as a vector with an index by name,
// so lookups do not walk the list.
class ReplayList {
public:
    // Releases every item; Count and LastId become 0.
    void ClearReplayList();
    // Makes room for this many items in all, so that a scan appending them
    // does not move the items again and again.
    void reserve(qint32 count);

    // Appends an item and returns its Id; 0 when the version does not begin
    // with "QVreplay" (nothing appended); -1 when no memory could be had.
    qint32 AddReplayList(const QString &fileName, const ReplayHead &head, const char (&name)[PlayerNameSize],
                         const char (&comment)[CommentSize], const ReplayIdentity &identity = {});
    // The same with the texts as kept (storedFieldBytes), shared rather than copied.
    qint32 addReplay(const QString &fileName, const ReplayHead &head, const QByteArray &playerName,
                     const QByteArray &comment, const ReplayIdentity &identity);

    // Appends items made elsewhere (a scan makes them on several threads),
    // in order, giving them their Ids, and returns how many were appended:
    // items whose version does not begin with "QVreplay" are left out.
    qint32 appendItems(std::vector<ReplayListItem> &&items);

    // Copies of the item with this Id; false when there is none.
    bool FindReplayListById(qint32 id, QString *fileName, ReplayInfo *info) const;

    // A copy of the first item with exactly this file name; false when none.
    bool FindReplayListByName(const QString &fileName, ReplayInfo *info) const;

    // Overwrites name and comment of the first item with exactly this file
    // name; false when there is none.
    bool UpdateReplayListText(const QString &fileName, const char (&name)[PlayerNameSize],
                              const char (&comment)[CommentSize]);

    qint32 Count() const { return qint32(m_items.size()); }
    qint32 LastId() const { return m_lastId; }

    // Direct read access for fills and sorts that visit every item: the item
    // with Id id (1..Count), or nullptr.
    const ReplayListItem *itemById(qint32 id) const;
    // The first item with exactly this file name, or nullptr.
    const ReplayListItem *itemByName(const QString &fileName) const;

private:
    std::vector<ReplayListItem> m_items; // m_items[i].Id == i + 1
    NameIndex m_byName;                  // first index of each name
    qint32 m_lastId = 0;
};

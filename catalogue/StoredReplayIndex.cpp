#include "catalogue/StoredReplayIndex.h"

#include "catalogue/ReplayList.h"
#include "platform/TextCompare.h"

#include <algorithm>

void StoredReplayIndex::clear()
{
    m_first.clear();
    m_fileNames.clear();
    m_next.clear();
}

void StoredReplayIndex::rebuild(const ReplayList &list)
{
    clear();
    m_first.reserve(list.Count());
    m_fileNames.reserve(size_t(list.Count()));
    m_next.assign(size_t(list.Count()), -1);
    // Walked backwards, so that each identity's chain runs in catalogue order.
    for (qint32 id = list.Count(); id >= 1; --id) {
        const ReplayListItem *item = list.itemById(id);
        if (!item || item->Identity.isNull())
            continue;
        const qsizetype index = id - 1;
        qsizetype &first = m_first[item->Identity]; // index + 1; 0 for an identity new here
        m_next[size_t(index)] = first - 1;
        first = index + 1;
    }
    for (qint32 id = 1; id <= list.Count(); ++id)
        m_fileNames.push_back(list.itemById(id)->FileName);
}

QStringList StoredReplayIndex::names(const ReplayIdentity &identity) const
{
    if (identity.isNull())
        return {};
    const auto found = m_first.constFind(identity);
    if (found == m_first.cend())
        return {};
    QStringList names;
    for (qsizetype i = *found - 1; i >= 0; i = m_next[size_t(i)])
        names.append(m_fileNames[size_t(i)]);
    if (names.size() > 1)
        std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
            const int order = compareTextIgnoreCase(a, b);
            return order != 0 ? order < 0 : a < b;
        });
    return names;
}

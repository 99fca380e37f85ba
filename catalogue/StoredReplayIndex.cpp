#include "catalogue/StoredReplayIndex.h"

#include "catalogue/ReplayList.h"
#include "platform/TextCompare.h"

#include <algorithm>

void StoredReplayIndex::rebuild(const ReplayList &list)
{
    m_names.clear();
    m_names.reserve(list.Count());
    for (qint32 id = 1; id <= list.Count(); ++id) {
        const ReplayListItem *item = list.itemById(id);
        if (item && !item->Identity.isNull())
            m_names[item->Identity].append(item->FileName);
    }
    for (QStringList &names : m_names) {
        if (names.size() > 1)
            std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
                const int order = compareTextIgnoreCase(a, b);
                return order != 0 ? order < 0 : a < b;
            });
    }
}

QStringList StoredReplayIndex::names(const ReplayIdentity &identity) const
{
    if (identity.isNull())
        return {};
    return m_names.value(identity);
}

#include "operations/DuplicateFinder.h"

#include "catalogue/ReplayList.h"
#include "platform/RegularFile.h"
#include "platform/TextCompare.h"
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "replay/ShiftJisText.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace {

bool nameBefore(const QString &a, const QString &b)
{
    const int order = compareTextIgnoreCase(a, b);
    return order != 0 ? order < 0 : a < b;
}

bool olderFirst(const DuplicateFile &a, const DuplicateFile &b)
{
    if (a.modified != b.modified)
        return a.modified < b.modified;
    return nameBefore(a.fileName, b.fileName);
}

} // namespace

DuplicateFinder::DuplicateFinder(const ReplayList &list, const QString &storageDir)
    : m_list(list),
      m_storageDir(storageDir)
{
}

std::optional<QByteArray> DuplicateFinder::streamBytes(const QString &path)
{
    QFile file;
    if (!RegularFile::open(file, path))
        return std::nullopt;
    QByteArray bytes;
    ReplayHead head{};
    const qint64 length = ReadReplayStream(file, head, [&bytes](QByteArrayView piece) { bytes.append(piece); });
    if (length < 0 || bytes.size() != length)
        return std::nullopt;
    return bytes;
}

DuplicateGroups DuplicateFinder::find() const
{
    // Candidates: items sharing an identity, in catalogue order.
    QHash<ReplayIdentity, std::vector<const ReplayListItem *>> byIdentity;
    for (qint32 id = 1; id <= m_list.Count(); ++id) {
        const ReplayListItem *item = m_list.itemById(id);
        if (item && !item->Identity.isNull())
            byIdentity[item->Identity].push_back(item);
    }

    DuplicateGroups groups;
    for (const auto &candidates : std::as_const(byIdentity)) {
        if (candidates.size() < 2)
            continue;
        // Split the candidates by their stream bytes as they are on disk now.
        std::vector<std::pair<QByteArray, DuplicateGroup>> byStream;
        for (const ReplayListItem *item : candidates) {
            const QString path = m_storageDir + item->FileName;
            const std::optional<QByteArray> stream = streamBytes(path);
            if (!stream)
                continue;
            const QFileInfo info(path);
            DuplicateFile file{item->FileName, ShiftJisText::decodeField(item->PlayerName.constData(), int(item->PlayerName.size())),
                               info.size(), info.lastModified()};
            const auto same = std::find_if(byStream.begin(), byStream.end(),
                                           [&](const auto &entry) { return entry.first == *stream; });
            if (same != byStream.end())
                same->second.files.push_back(std::move(file));
            else
                byStream.push_back({*stream, DuplicateGroup{{std::move(file)}}});
        }
        for (auto &[stream, group] : byStream) {
            if (group.files.size() < 2)
                continue;
            std::sort(group.files.begin(), group.files.end(), olderFirst);
            groups.push_back(std::move(group));
        }
    }
    std::sort(groups.begin(), groups.end(), [](const DuplicateGroup &a, const DuplicateGroup &b) {
        return nameBefore(a.files.front().fileName, b.files.front().fileName);
    });
    return groups;
}

QStringList DuplicateFinder::allButOldest(const DuplicateGroups &groups)
{
    QStringList names;
    for (const DuplicateGroup &group : groups) {
        for (size_t i = 1; i < group.files.size(); ++i)
            names.append(group.files[i].fileName);
    }
    return names;
}

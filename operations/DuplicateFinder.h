#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class ReplayList;

// One file of a group of identical replays in the storage folder.
struct DuplicateFile {
    QString fileName;
    QString playerName;
    qint64 size = 0;
    QDateTime modified;
};

// Files holding the same replay (their streams compared byte for byte); the
// first is the one kept: the oldest.
struct DuplicateGroup {
    std::vector<DuplicateFile> files;
};
using DuplicateGroups = std::vector<DuplicateGroup>;

// Finds the files of the storage folder that hold the same replay. Items
// sharing a stream identity are candidates only: their stream bytes are read
// again from disk and compared, so a digest collision (or a file changed since
// it was read) never makes two different replays a group. A file that cannot
// be read now is left out.
//
// In a group the oldest file (earliest modification time; between equal times
// the first by name, letter case ignored) comes first and is the one kept; the
// others follow from older to newer. Groups are ordered by the name of their
// first file.
class DuplicateFinder {
public:
    DuplicateFinder(const ReplayList &list, const QString &storageDir);

    DuplicateGroups find() const;

    // The files to mark for deletion: all but the first of every group.
    static QStringList allButOldest(const DuplicateGroups &groups);

    // The compressed stream at the start of the file at path (the bytes
    // before name and comment), or nothing when the file cannot be opened
    // or does not start with a complete stream.
    static std::optional<QByteArray> streamBytes(const QString &path);

private:
    const ReplayList &m_list;
    QString m_storageDir;
};

#include "platform/GameFolderSearch.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

const QString SlotFile = QStringLiteral("qv_replay0.dat");
constexpr int MaxDepth = 3;
// Enough for a few program folders with their subfolders; a drive's root
// holds far more, which is why the count is bounded.
constexpr int MaxFolders = 4000;

struct Search {
    QString found;
    QDateTime foundTime;
    int looked = 0;

    void look(const QString &folder, int depth)
    {
        if (++looked > MaxFolders)
            return;
        const QFileInfo slot(QDir(folder).filePath(SlotFile));
        if (slot.isFile() && (found.isEmpty() || slot.lastModified() > foundTime)) {
            found = QDir::cleanPath(folder);
            foundTime = slot.lastModified();
        }
        if (depth == MaxDepth)
            return;
        const QFileInfoList children =
            QDir(folder).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
        for (const QFileInfo &child : children) {
            if (looked > MaxFolders)
                return;
            look(child.absoluteFilePath(), depth + 1);
        }
    }
};

} // namespace

QString GameFolderSearch::find(const QStringList &places)
{
    Search search;
    for (const QString &place : places) {
        if (!place.isEmpty() && QFileInfo(place).isDir())
            search.look(place, 0);
    }
    return search.found;
}

#include "catalogue/FolderScan.h"

#include "catalogue/ReplayList.h"
#include "platform/RegularFile.h"
#include "replay/ReplayStreamReader.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace {

// The storage folder's replay candidates: "*.dat", letter case ignored; only
// regular files and links to them (no directories, FIFOs, sockets, devices or
// broken links); no hidden files.
class ReplayFileIterator {
public:
    explicit ReplayFileIterator(const QString &dir)
        : m_it(dir, QStringList{QStringLiteral("*.dat")}, QDir::Files | QDir::NoDotAndDotDot)
    {
    }

    // The next matching name as the listing spells it, or false at the end.
    bool next(QString *name)
    {
        while (m_it.hasNext()) {
            m_it.next();
            const QFileInfo info = m_it.fileInfo();
            const QString fileName = info.fileName();
            if (!info.isFile() || fileName.startsWith(QLatin1Char('.')))
                continue;
            *name = fileName;
            return true;
        }
        return false;
    }

private:
    QDirIterator m_it;
};

} // namespace

QString slotFileName(int slot)
{
    return QStringLiteral("qv_replay%1.dat").arg(slot);
}

void LoadTarnelFolder(const QString &tarnelDir, ReplaySlots &tarnelSlots, ScanProgress *progress)
{
    for (ReplayInfo &slot : tarnelSlots)
        slot = ReplayInfo{};

    if (progress)
        progress->start(ReplaySlotCount, QStringLiteral("Tarnelリプレイフォルダ読み込み中"));
    for (int i = 0; i < ReplaySlotCount; ++i) {
        const QString name = slotFileName(i);
        if (progress)
            progress->step(i + 1, QStringLiteral("%1 / %2").arg(i + 1).arg(ReplaySlotCount), name);

        QFile file;
        // A FIFO or device must never be opened plainly: the open itself could
        // block the window for good.
        if (!RegularFile::open(file, tarnelDir + name))
            continue;
        ReplayInfo &slot = tarnelSlots[size_t(i)];
        if (ReadReplayStream(file, slot) == -1 || !hasReplayPrefix(slot))
            clearHead(slot);
        else
            ReadReplayText(file, slot);
    }
    if (progress)
        progress->finish();
}

void LoadReplayFolder(const QString &storageDir, ReplayList &list, ScanProgress *progress)
{
    // First pass: count.
    int total = 0;
    {
        ReplayFileIterator counter(storageDir);
        QString name;
        while (counter.next(&name))
            ++total;
    }
    if (total == 0)
        return;

    if (progress)
        progress->start(total, QString());
    // Second pass: read, in the order the listing delivers the names. Files
    // that appeared meanwhile are read too, even past the counted total.
    ReplayFileIterator reader(storageDir);
    QString name;
    int k = 0;
    while (reader.next(&name)) {
        ++k;
        if (progress)
            progress->step(k, QStringLiteral("%1 / %2").arg(k).arg(total), name);

        QFile file;
        if (!RegularFile::open(file, storageDir + name))
            continue;
        ReplayInfo info{};
        if (ReadReplayStream(file, info) != -1) {
            ReadReplayText(file, info);
            // Rejects a wrong version; an entry without memory is left out.
            list.AddReplayList(name, info, info.PlayerName, info.Comment);
        }
    }
    if (progress)
        progress->finish();
}

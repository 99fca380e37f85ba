#include "catalogue/FolderScan.h"

#include "catalogue/FolderScanner.h"

QString slotFileName(int slot)
{
    return QStringLiteral("qv_replay%1.dat").arg(slot);
}

void LoadTarnelFolder(const QString &tarnelDir, ReplaySlots &tarnelSlots, ScanProgress *progress)
{
    SlotIdentities identities;
    FolderScanner().scanTarnel(tarnelDir, tarnelSlots, identities, progress);
}

void LoadReplayFolder(const QString &storageDir, ReplayList &list, ScanProgress *progress)
{
    std::vector<LeftOutFile> leftOut;
    FolderScanner().scanStorage(storageDir, list, leftOut, progress);
}

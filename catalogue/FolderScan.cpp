#include "catalogue/FolderScan.h"

QString slotFileName(int slot)
{
    return QStringLiteral("qv_replay%1.dat").arg(slot);
}

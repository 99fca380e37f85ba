#include "operations/CommandState.h"

#include "replay/ReplayInfo.h"

int commandState(const ReplayInfo *replay)
{
    if (!replay)
        return 0;
    return isEditLockedVersion(*replay) ? CmdCopy | CmdDelete : CmdEdit | CmdCopy | CmdDelete;
}

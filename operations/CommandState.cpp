#include "operations/CommandState.h"

#include "replay/ReplayInfo.h"

int commandState(const ReplayInfo *replay)
{
    if (!replay)
        return 0;
    return isEditLockedVersion(*replay) ? CmdCopy | CmdDelete : CmdEdit | CmdCopy | CmdDelete;
}

EnabledState enabledState(const WindowState &state)
{
    EnabledState enabled;
    enabled.page = state.page;
    enabled.commands = commandState(state.selected);
    enabled.chooseStorageFolder = !state.deleteMode;
    enabled.unreadableList = state.unreadableFiles > 0;
    // Deletion mode keeps the storage folder as the marks were made on it.
    enabled.undo = state.undoable && !state.deleteMode;
    enabled.bulkRename = state.page == 1 && state.storageRows && !state.deleteMode;
    return enabled;
}

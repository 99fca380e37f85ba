#pragma once

struct ReplayInfo;

// Command-button state bits of a page.
enum CommandBits {
    CmdEdit = 1,   // edit name and comment
    CmdCopy = 2,   // copy to the other folder
    CmdDelete = 4, // enter deletion mode (storage page only)
};

// 0 when the selected row holds no replay (nullptr); 6 for versions 105 and
// 106 (no editing); 7 for every other replay.
int commandState(const ReplayInfo *replay);

// What the window's enabled states are computed from.
struct WindowState {
    int page = 0;            // the page in view (folderIndex)
    bool deleteMode = false;
    // The replay of the selected row of the page in view; null when the row
    // holds none or is hidden.
    const ReplayInfo *selected = nullptr;
    int unreadableFiles = 0; // the storage folder's files left out of the table
    bool undoable = false;    // the last trash operation left files to bring back
    bool storageRows = false; // the storage table shows at least one replay
};

// Every enabled state of the window, computed in one place. A page's
// buttons follow its selected replay while the page is in view and keep
// their state behind the other page.
struct EnabledState {
    int page = 0;                    // the page the command bits are for
    int commands = 0;                // its CommandBits
    bool chooseStorageFolder = true; // R1: not in deletion mode
    bool unreadableList = false;     // ActUnreadable: while there are such files
    bool undo = false;               // ActUndo: files to bring back, not in deletion mode
    bool bulkRename = false;         // ActBulkRename: the storage page with rows, not in deletion mode
};

EnabledState enabledState(const WindowState &state);

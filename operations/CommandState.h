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

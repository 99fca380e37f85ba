#pragma once

#include <QByteArray>

enum class FolderState {
    Present,
    Missing,    // no such folder (or a file of that name)
    Unreadable, // there, but its entries cannot be listed
};

// Whether folder (the path as the system spells it; empty for the current
// folder) can be listed.
FolderState folderState(const QByteArray &folder);

#pragma once

#include <QString>
#include <QStringList>

// Where the game keeps its replays on this machine, for the first start's
// folder chooser: the folder of "qv_replay0.dat" under the places games are
// usually installed.
namespace GameFolderSearch {

// The usual install places of this system, most likely first: under
// Windows the program folders (and their copies that Windows keeps for old
// programs writing there), the user's own folders and C:\Games; none
// under Linux, where the game does not run by itself.
QStringList usualPlaces();

// The folder holding "qv_replay0.dat" at most three folders below one of
// places (the place itself included); of several, the one whose file
// changed last. Empty when there is none. The search looks at a bounded
// number of folders, so a huge tree cannot hold up the start.
QString find(const QStringList &places);

} // namespace GameFolderSearch

#pragma once

#include "platform/FileError.h"

#include <QByteArray>

// Renames a file without ever replacing another: when `to` is taken (by a
// file, a link, a folder) the result is Exists and nothing changed. Paths as
// the system spells them. The system's no-replace rename where the file
// system has it; else a new link and the old name removed; else (a file
// system without links) a look first, which leaves a moment in which a file
// made by another program could be replaced.
FileError renameNoReplace(const QByteArray &from, const QByteArray &to);

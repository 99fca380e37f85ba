#pragma once

#include "platform/FileError.h"

#include <QtGlobal>

#include <functional>

// Told after every chunk of a copy how many of the source's bytes are
// through (holes count as through) of how many; false stops the copy.
using CopyChunkDone = std::function<bool(qint64 done, qint64 total)>;

// Copies the content of the open regular file `from` into the open, empty
// regular file `to`, in chunks of at most CopyChunkBytes. Holes stay holes
// where the file systems allow: only the regions holding data are read and
// written (by the system's in-kernel copy where it has one), and the copy
// gets the source's length, so a file with a long empty tail costs neither
// the time nor the room of its tail. A source that ends early (cut short
// while it is copied) gives a copy of what was there. Stopped by afterChunk,
// the result is Cancelled and `to` holds part of the content.
FileError copyFileContent(int from, int to, const CopyChunkDone &afterChunk);

inline constexpr qint64 CopyChunkBytes = 1024 * 1024;

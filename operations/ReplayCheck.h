#pragma once

#include "replay/ReplayIdentity.h"

#include <QtGlobal>

class FileWorkProgress;
class QIODevice;

// Whether a file holds a replay as the folder scan takes it (one whole zlib
// stream whose head is a replay's), and which one: the identity of its
// stream, as the scan computes it. The stream is inflated in 64 KiB pieces in
// constant memory whatever it inflates to, and the reading stops at the next
// piece once the work is cancelled, so a hostile file costs neither memory
// nor a wait that cannot be stopped.
struct ReplayCheck {
    enum class Verdict { Replay, NotReplay, Cancelled };
    Verdict verdict = Verdict::NotReplay;
    ReplayIdentity identity; // of a Replay's stream

    // Reads the open, seekable file from its first byte. While the stream is
    // inflated, progress (may be null) is told base plus the bytes read, of
    // total (the file's size when negative).
    static ReplayCheck read(QIODevice &file, FileWorkProgress *progress, qint64 base = 0, qint64 total = -1);
};

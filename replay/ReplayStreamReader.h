#pragma once

#include <QtGlobal>

class QIODevice;
struct ReplayHead;
struct ReplayInfo;

// Decompresses the zlib stream at the start of an open, readable device
// positioned at its first byte and fills head (cleared by the caller) from the
// first 34 records. Returns the stream's length L in bytes and leaves the
// device positioned at byte L, or returns -1 when the device does not start
// with one complete, valid zlib stream; head is then left as it was given.
// Memory use is constant, whatever the size of the stream.
qint64 ReadReplayStream(QIODevice &file, ReplayHead &head);

// Reads the player name (30 bytes) and, only when the name was complete, the
// comment (1024 bytes) that follow the stream. Call after ReadReplayStream
// returned a length, with the device still at byte L. Bytes the device does
// not supply keep the zero of the cleared record.
void ReadReplayText(QIODevice &file, ReplayInfo &info);

#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <functional>

class QIODevice;
struct ReplayHead;
struct ReplayInfo;

// Decompresses the zlib stream at the start of an open, readable device
// positioned at its first byte and fills head (cleared by the caller) from the
// first 34 records. Returns the stream's length L in bytes and leaves the
// device positioned at byte L, or returns -1 when the device does not start
// with one complete, valid zlib stream; head is then left as it was given.
// Memory use is bounded whatever the size of the stream: short streams are
// decoded whole in per-thread buffers of a capped size, longer ones in
// constant memory. Safe to call from several threads on different devices.
qint64 ReadReplayStream(QIODevice &file, ReplayHead &head);

// Receives the compressed stream's bytes (bytes 0 to L-1 of the device) in
// order, in one or more pieces. A piece lives in the reader's own buffers: it
// is valid only during the call, and the receiver must not read another
// replay on the same thread meanwhile.
using ReplayStreamBytes = std::function<void(QByteArrayView)>;

// The same, and hands streamBytes the L bytes of the stream as they are read,
// so that a caller can digest them without reading the file again. When the
// result is -1 the pieces it was given mean nothing.
qint64 ReadReplayStream(QIODevice &file, ReplayHead &head, const ReplayStreamBytes &streamBytes);

// The reference reader: the same contract and results, inflating with zlib in
// 64 KiB input and output chunks in constant memory. ReadReplayStream falls
// back on it for what it cannot decode whole; tests compare the two.
qint64 ReadReplayStreamZlib(QIODevice &file, ReplayHead &head);

// Reads the player name (30 bytes) and, only when the name was complete, the
// comment (1024 bytes) that follow the stream. Call after ReadReplayStream
// returned a length, with the device still at byte L. Bytes the device does
// not supply keep the zero of the cleared record.
void ReadReplayText(QIODevice &file, ReplayInfo &info);

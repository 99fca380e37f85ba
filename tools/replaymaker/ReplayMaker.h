#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

// Builds replay files for tests, benchmarks and demos from given field values,
// with real zlib streams. Nothing here is used by the program itself.
namespace ReplayMaker {

// What the recorded run behind the 34 information records looks like.
enum class RunShape {
    Drift,   // a small random step counter, then two positions that drift by -1, 0 or +1
    Counter, // a step counter, then a key state and a position that mostly repeat
    Noise,   // bytes of 200 values at random: deflate finds next to no matches
};

struct ReplayRecipe {
    QByteArray version = QByteArrayLiteral("QVreplay Ver107 "); // records 0..7, at most 16 bytes used
    qint32 versionHighBits = 0; // ORed into the version records' fields above their low byte
    qint32 dungeon = 0;
    qint32 floor = 1;
    qint32 chara = 0;
    qint32 score = 0;
    qint32 playDate = 1200000000;
    std::array<qint32, 9> limitPlay{};
    std::array<qint32, 11> extra{};
    qint32 playMillis = 0;      // record 33
    int infoRecords = 34;       // how many of the 34 information records the stream holds (0..34)
    qint64 runRecords = 0;      // further records: the recorded run, pseudo-random from runSeed
    quint32 runSeed = 1;
    RunShape runShape = RunShape::Drift;
    int partialTail = 0;        // bytes of a last, incomplete record (0..11)
    int compressionLevel = 6;   // zlib level 0..9
};

// The decompressed stream: the records the recipe describes, little-endian.
QByteArray decompressedStream(const ReplayRecipe &recipe);

// One complete zlib stream (RFC 1950) of decompressedStream(recipe).
QByteArray compressedStream(const ReplayRecipe &recipe);

// One complete zlib stream of exactly `length` bytes: decompressedStream(recipe)
// deflated at recipe.compressionLevel and flushed, then padded to the length with
// stored blocks of filler bytes (which therefore follow the recipe's records in
// the decompressed data). Empty when the length is too short for the data.
QByteArray compressedStreamOfLength(const ReplayRecipe &recipe, qint64 length);

// One complete zlib stream of decompressedStream(recipe) followed by `zeros`
// zero bytes, deflated piece by piece: a small file that inflates to any size
// (about a thousand times its own), as a zlib bomb does.
QByteArray compressedStreamWithZeros(const ReplayRecipe &recipe, qint64 zeros);

// The two text fields as stored: name padded to 30 bytes, comment to 1024
// (both cut when longer).
QByteArray textFields(const QByteArray &name, const QByteArray &comment);

// stream + what follows it. Without a tail the file ends right after the stream.
QByteArray replayFile(const ReplayRecipe &recipe, const QByteArray &tail = {});

// stream + textFields(name, comment) + trailing bytes.
QByteArray replayFile(const ReplayRecipe &recipe, const QByteArray &name, const QByteArray &comment,
                      const QByteArray &trailing = {});

// Files that are no replay.
enum class Damage {
    TruncatedStream,  // the stream cut in its middle, nothing after it
    BadAdler,         // last byte of the Adler-32 trailer changed
    RawDeflate,       // deflate data without the zlib wrapper
    GzipWrapper,      // the same data in a gzip wrapper
    Empty,            // zero bytes
    PlainText,        // a line of text
    LowerCasePrefix,  // a valid stream whose version begins with "qvreplay"
    PresetDictionary, // a zlib stream that needs a preset dictionary to inflate
};
QByteArray brokenFile(Damage damage, const ReplayRecipe &recipe = {});

// Writes bytes to path, replacing the file; false on any failure.
bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace ReplayMaker

#pragma once

#include <QtGlobal>

#include <cstddef>
#include <type_traits>

// Widths of the fixed text fields of a replay. A field is Shift-JIS text padded
// with NUL bytes; a text that fills its field completely has no terminating NUL.
inline constexpr int ReplayVerSize = 16;
inline constexpr int PlayerNameSize = 30;
inline constexpr int CommentSize = 1024;
inline constexpr int ReplayTextSize = PlayerNameSize + CommentSize;

// Records of the decompressed stream are three little-endian signed 32-bit
// integers; only the first 34 records carry information.
inline constexpr int ReplayRecordSize = 12;
inline constexpr int ReplayInfoRecords = 34;
inline constexpr int LimitPlayCount = 9;
inline constexpr int ExtraCount = 11;

// The part of a replay decoded from its compressed stream.
struct ReplayHead {
    char ReplayVer[ReplayVerSize];
    qint32 Dungeon;
    qint32 Floor;
    qint32 Chara;
    qint32 Score;
    qint32 PlayDate; // seconds since 1970-01-01 00:00:00 UTC; 0 marks an empty game slot
    qint32 LimitPlay[LimitPlayCount]; // 1 = condition on, any other value off
    qint32 Extra[ExtraCount];         // kept, never interpreted
    qint32 PlayHour;
    qint32 PlayMinute;
    qint32 PlaySecond;
};

// One replay as the program knows it: a plain fixed-size record, copied by
// value. A value-initialised record ({}) has every byte zero.
struct ReplayInfo : ReplayHead {
    char PlayerName[PlayerNameSize];
    char Comment[CommentSize];
};

static_assert(std::is_trivially_copyable_v<ReplayInfo>);

// Clears the stream-decoded part only.
inline void clearHead(ReplayInfo &info) { static_cast<ReplayHead &>(info) = ReplayHead{}; }

// A file is a replay only when its version begins with exactly these 8 bytes.
bool hasReplayPrefix(const ReplayHead &head);

// The version text: the bytes of ReplayVer up to the first NUL, at most 16.
QByteArray versionText(const ReplayHead &head);

// Versions 105 and 106 ("QVreplay Ver105 ", "QVreplay Ver106 ", letter case
// ignored) do not allow the name and comment to be edited.
bool isEditLockedVersion(const ReplayHead &head);

// The bytes of a fixed-width field up to its first NUL, or all of them.
QByteArray fieldBytes(const char *field, int width);

// A fixed-width field's bytes without its trailing NULs: what a catalogue
// keeps of a text field, small, from which every byte of the field comes back.
QByteArray storedFieldBytes(const char *field, int width);
// Writes stored bytes (from storedFieldBytes) back into a field, padded with NULs.
void putStoredField(const QByteArray &stored, char *field, int width);

#pragma once

#include <QByteArray>
#include <QIODevice>

class QFile;
class QString;

// Opens files that must be regular files (or links to one) without ever
// blocking: a FIFO, socket or device is refused before it is opened, and the
// opened descriptor is checked again, so a file swapped for something else in
// between is refused as well. The reason for a refusal is a result; callers
// word it.
class RegularFile {
public:
    enum class Refusal {
        None,       // opened
        Missing,    // no such file (also a broken link or a missing folder on the way)
        NotRegular, // a folder, FIFO, socket, device or other special file
        Denied,     // no permission
        Failed,     // any other system error
    };

    // What the name turned out to be, as far as it could be seen.
    enum class Kind { Unknown, Regular, Folder, Pipe, Socket, Device, Other };

    struct Result {
        Refusal refusal = Refusal::None;
        Kind kind = Kind::Unknown;
        int systemError = 0; // errno (Windows: error code) of the failing call, 0 when none

        explicit operator bool() const { return refusal == Refusal::None; }
        // A refusal to open a file of this kind.
        static Result notRegular(Kind kind) { return {Refusal::NotRegular, kind, 0}; }
    };

    // nativePath is the name as the system spells it (any bytes but NUL), so a
    // name that is no valid text can be opened too. mode is ReadOnly or
    // ReadWrite (never truncating); the file is opened unbuffered when mode
    // asks for it.
    static Result open(QFile &file, const QByteArray &nativePath, QIODevice::OpenMode mode = QIODevice::ReadOnly);
    // Tests only: called between the look at a name and its opening, where
    // another program may swap the file (null: nothing).
    static void setBetweenLookAndOpen(void (*hook)(const QByteArray &nativePath));
    static Result open(QFile &file, const QString &path, QIODevice::OpenMode mode = QIODevice::ReadOnly);

    // What a stat of a name told (following links): errno of a failed call,
    // or the mode of a success (under Windows: the error code, or the file
    // attributes). A regular file gives a result that is not refused. Lets a
    // folder listing word its entries as open() would.
    static Result fromStatus(int systemError, quint32 mode);

    // Why a file was refused, in plain Japanese for a message ("通常のファイル
    // ではありません（名前付きパイプ）", or the cause in FileError's words),
    // without a closing "。"; empty when it was opened.
    static QString reasonText(const Result &result);

private:
    // Runs the tests' hook, if any (the systems' open() between look and open).
    static void lookedAt(const QByteArray &nativePath);
};

#pragma once

#include <QString>

// Why a file operation failed, in terms a player can be told. Every file
// operation words its failures through reasonText(), so that one cause reads
// the same everywhere; the system's own code is kept for details.
struct FileError {
    enum class Cause {
        None,
        Missing,        // no such file or folder
        Denied,         // no permission
        ReadOnlyFile,   // the file is marked read-only
        ReadOnlyVolume, // the drive is mounted read-only
        DiskFull,       // no room left on the drive (or in the user's share of it)
        TooLarge,       // the file is larger than the drive (or a limit) allows
        NameTooLong,
        Exists,         // the name is taken
        CrossVolume,    // a move would have to go to another drive
        Busy,           // in use by another program
        DeviceError,    // the drive failed to read or write
        Cancelled,      // stopped by the player
        Other,          // see systemError
    };

    Cause cause = Cause::None;
    int systemError = 0; // the system's code (errno; under Windows GetLastError()), 0 when none

    bool failed() const { return cause != Cause::None; }

    static FileError of(Cause cause) { return FileError{cause, 0}; }
    // From the system's error code: errno, under Windows GetLastError().
    static FileError fromSystem(int systemError);
    // From the text Qt gives for a system error (QFile::errorString()), for
    // calls that keep their code to themselves; Other when it is no text
    // of a known cause.
    static FileError fromSystemText(const QString &text);

    // The system's own words for its code.
    static QString systemText(int systemError);

    // One sentence ending with "。", in the player's words; a cause without
    // words of its own gives the system's text in parentheses.
    QString reasonText() const;
};

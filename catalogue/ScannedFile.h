#pragma once

#include "catalogue/FolderListing.h"
#include "platform/RegularFile.h"
#include "replay/ReplayIdentity.h"
#include "replay/ReplayInfo.h"

#include <QByteArray>
#include <QString>

// What a scan learnt from one file named like a replay. Kept between scans,
// in memory and in the cache, so that a file whose stamp has not changed is
// not read again.
struct ScannedFile {
    // Why a file is in the catalogue or not. The numbers are stored in the
    // cache: never renumber.
    enum class Outcome : quint8 {
        Accepted = 0,    // a replay: stream, head and texts read
        NotReplay = 1,   // no zlib stream at its start, or a version other than "QVreplay..."
        Empty = 2,       // zero bytes
        Broken = 3,      // a zlib stream that is damaged or cut short
        CannotOpen = 4,  // the system refused to open it (openStatus says why)
        NotRegular = 5,  // a FIFO, socket or device (openStatus says which)
        DanglingLink = 6, // a link to nothing
        NameNotUtf8 = 7, // no path string can name it; not read
    };

    Outcome outcome = Outcome::NotReplay;
    FileStamp stamp;              // of the file as it was read
    RegularFile::Result openStatus; // for CannotOpen and NotRegular
    qint64 streamLength = -1;     // of an accepted replay
    // Head and texts of an accepted replay (all zero or empty otherwise). The
    // texts are their fields' bytes without the trailing NULs, so a record
    // stays small while every byte of a field comes back.
    ReplayHead head{};
    QByteArray playerName;
    QByteArray comment;
    ReplayIdentity identity;      // of an accepted replay's stream
    // The file did not change while it was read and had settled before: a
    // later scan may use this record for an unchanged stamp instead of
    // reading the file again.
    bool reusable = false;

    bool isAccepted() const { return outcome == Outcome::Accepted; }

    // The replay as the catalogue holds it: head and the two fixed fields.
    void toInfo(ReplayInfo &info) const;
    // Takes the texts from the two fixed fields of info.
    void setTexts(const ReplayInfo &info);
    // Whether the outcome says something lasting about the file's content;
    // refusals to open can pass and are asked again every time.
    bool isLasting() const
    {
        return outcome == Outcome::Accepted || outcome == Outcome::NotReplay || outcome == Outcome::Empty
            || outcome == Outcome::Broken;
    }

    // Reads the file at path (any bytes), listed with stamp `listed`: opens
    // it without blocking, decodes stream, head and texts, and digests the
    // stream. The record is reusable only when the file still has the listed
    // stamp once read, and its change time is at least settleNs older than
    // the moment of reading (else it could change again within the same
    // time stamp).
    static ScannedFile read(const QByteArray &path, const FileStamp &listed, qint64 settleNs);

    // The plain Japanese reason a file was left out of the catalogue; empty
    // for an accepted one.
    QString reasonText() const;
};

// A file named like a replay that is not in the catalogue, and why.
struct LeftOutFile {
    QByteArray nameBytes; // as the system spells it (renames and trashing need these)
    QString name;         // as shown: decoded from Shift-JIS when the name is not UTF-8
    ScannedFile::Outcome reason = ScannedFile::Outcome::NotReplay;
    QString reasonText;

    friend bool operator==(const LeftOutFile &, const LeftOutFile &) = default;
};

#pragma once

#include "operations/TrashedFile.h"
#include "platform/FileError.h"
#include "replay/ReplayIdentity.h"

#include <QString>

class FileWorkProgress;
class Prompter;
class QIODevice;
class ReplacementFile;
class QWidget;
struct SlotSummary;

// How a copy ended.
struct CopyResult {
    enum class Outcome {
        Copied,    // the destination now holds the source's bytes
        Declined,  // the user kept the existing destination; nothing was written
        Failed,    // nothing was replaced; reason says why
        Cancelled, // stopped by the user; nothing was replaced or left behind
    };
    Outcome outcome = Outcome::Failed;
    QString reason; // Failed: what failed and why, in sentences for the user
    FileError::Cause cause = FileError::Cause::None; // Failed: the cause, where a file operation failed
    // Copied over a file: the file replaced, now in the trash.
    std::optional<TrashedFile> replaced;
    bool sourceChanged = false; // Failed: the source is no longer the replay expected (or cannot be opened)
};

// Whether a copy can be made, found before anything is written.
struct CopyPlan {
    QString refusal;       // not empty: the copy cannot be made, and why
    bool replaces = false; // something is at the destination: ask before copying
};

// Copies one replay file whole, byte for byte, to a full destination name.
// An existing destination is replaced only after the user said Yes through
// the prompter (No is the default). The copy is written to a temporary file in
// the destination folder and takes the destination's name only once every
// byte is written and on the drive; a file it replaces goes to the trash just
// before, and comes back when the copy cannot take its name. So a failure
// leaves the old destination as it was and no temporary file behind, and a
// file replaced is kept. The copy never takes the place of a file that
// appeared after the plan (it fails). The source is never opened plainly
// when it is a FIFO or device (the open could block for good).
//
// Nothing is ever written through a link: a link at the destination (even
// one to nothing) is replaced by the copy, after the same question as a
// file, and what it points to is left alone (the link itself holds no
// replay and is not kept). Holes in the source stay holes.
class ReplayCopyJob {
public:
    ReplayCopyJob(const QString &sourcePath, const QString &destinationPath);

    // What the destination holds now (a game slot), shown when asking
    // before it is replaced; see holdsText().
    void setDestinationHolds(const QString &holds) { m_holds = holds; }

    // The source must still be the replay the player chose: a readable
    // replay whose stream has this identity (the one the folder scan found;
    // a null identity asks only for a readable replay). It is checked on the
    // bytes copied, so a source cut short or replaced at any time before the
    // copy ends is refused, and the destination stays as it was.
    void expectReplay(const ReplayIdentity &identity);

    // false: the copy only ever takes a free name; a name taken at any time
    // before the copy ends makes it fail, with the cause Exists. (By default
    // copy() replaces what is there: its caller asked.)
    void setMayReplace(bool mayReplace) { m_mayReplace = mayReplace; }

    CopyPlan plan() const;

    // Makes the copy without asking anything (the caller asked when the
    // plan said it replaces something). progress may be null; the copy
    // reports its bytes through it and stops when it is cancelled. Uses no
    // widgets: it may run on a worker thread.
    CopyResult copy(FileWorkProgress *progress = nullptr) const;

    // plan(), the question when the copy replaces something, copy(). The
    // plan and the question go through progress->ask(), so that work on a
    // worker thread asks on the window's.
    CopyResult run(Prompter &prompter, QWidget *owner, FileWorkProgress *progress = nullptr) const;

    // The lines that describe what a game slot holds, in the copy dialog's
    // words; empty for an empty slot.
    static QString holdsText(const SlotSummary &slot);

    const QString &sourcePath() const { return m_sourcePath; }
    const QString &destinationPath() const { return m_destinationPath; }

private:
    // The finished copy takes the destination's name.
    CopyResult takeName(ReplacementFile &target) const;

    QString m_sourcePath;
    QString m_destinationPath;
    QString m_holds;
    bool m_checkReplay = false;
    bool m_mayReplace = true;
    ReplayIdentity m_identity;
};

#pragma once

#include <QString>

class Prompter;
class QIODevice;
class QWidget;
struct SlotSummary;

// How a copy ended.
struct CopyResult {
    enum class Outcome {
        Copied,   // the destination now holds the source's bytes
        Declined, // the user kept the existing destination; nothing was written
        Failed,   // nothing was replaced; reason says why
    };
    Outcome outcome = Outcome::Failed;
    QString reason; // Failed: one sentence for the user, with the system's error text
};

// Copies one replay file whole, byte for byte, to a full destination name.
// An existing destination is replaced only after the user said Yes through
// the prompter (No is the default). The copy is written to a temporary file in
// the destination folder and renamed over the destination only once every
// byte is written, so a failure leaves the old destination as it was and no
// temporary file behind. The source is never opened plainly when it is a
// FIFO or device (the open could block for good).
class ReplayCopyJob {
public:
    ReplayCopyJob(const QString &sourcePath, const QString &destinationPath);

    // What the destination holds now (a game slot), shown when asking
    // before it is replaced; see holdsText().
    void setDestinationHolds(const QString &holds) { m_holds = holds; }

    CopyResult run(Prompter &prompter, QWidget *owner) const;

    // The byte copy itself: everything source gives, into destinationPath
    // through a temporary file that replaces it only once whole. A read or
    // write that fails leaves the destination as it was.
    static CopyResult copyInto(QIODevice &source, const QString &destinationPath, const QString &sourceName);

    // The lines that describe what a game slot holds, in the copy dialog's
    // words; empty for an empty slot.
    static QString holdsText(const SlotSummary &slot);

private:
    QString m_sourcePath;
    QString m_destinationPath;
    QString m_holds;
};

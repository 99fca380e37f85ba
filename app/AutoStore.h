#pragma once

#include "operations/AutoStorePlan.h"
#include "operations/TrashedFile.h"
#include "platform/FileError.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class FileWorkRunner;
class ReplayWorkspace;
class StoredMarks;

// Auto-store, the mode: while it is on, every game slot holding a readable
// replay that the storage folder does not have is copied there under the
// name template's name, with the safe copy (never over another file, a cut
// copy leaves nothing). The window runs it after every read of the game
// folder and shows the result; a failure is to be said once per cause, and
// the slot is tried again at the next run.
class AutoStore : public QObject {
    Q_OBJECT
public:
    AutoStore(ReplayWorkspace &workspace, const StoredMarks &marks, QObject *parent = nullptr);

    bool isOn() const { return m_on; }
    // Turning it on or off forgets which failures were said.
    void setOn(bool on);

    const NameTemplate &nameTemplate() const { return m_plan.nameTemplate(); }
    void setNameTemplate(const NameTemplate &nameTemplate) { m_plan.setNameTemplate(nameTemplate); }

    // The copies a run would make now (whether on or not).
    QList<AutoStoreStep> steps() const;

    struct Stored {
        int slot = -1;
        QString name;
    };
    struct Result {
        QList<Stored> stored;
        // Earlier copies of the same runs that gave way, now in the trash.
        QList<TrashedFile> trashed;
        QString failure;          // the first failure, for the player; empty when none
        bool failureSaid = false; // the same cause was said before (and nothing was stored since)
    };
    // Makes the copies (nothing while off), on the runner when there is one
    // (with its progress box and Cancel), else here. The storage folder is to
    // be read again when anything was stored.
    Result run(FileWorkRunner *runner = nullptr);

    // The text the status bar shows for a result: what was stored, or the
    // failure (when not said before); empty when there is nothing to say.
    static QString statusText(const Result &result);

private:
    AutoStoreView view() const;

    ReplayWorkspace &m_workspace;
    const StoredMarks &m_marks;
    AutoStorePlan m_plan;
    bool m_on = false;
    QSet<int> m_causesSaid; // FileError::Cause values
};

#pragma once

#include "operations/TrashedFile.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a command did to one file.
struct FileOutcome {
    QString name;   // as shown to the user
    bool done = false;
    QString reason; // why not, for the user; empty when done
};

// What a command gives back to the window, which only shows it: whether the
// user declined, one outcome per file touched, the message to show
// (failures and refusals; empty when there is nothing to say), and the files
// it moved to the trash (deleted or replaced), which undo can bring back.
struct CommandResult {
    bool cancelled = false; // declined, or stopped before anything was changed
    QList<FileOutcome> files;
    // The player stopped the work midway: these files (after those in
    // files) were not tried, and are as they were.
    QStringList untouched;
    QString message;
    // What was done, in one line for the status bar ("qv_replay0.dat にコピーしました");
    // empty when nothing was.
    QString summary;
    QString details; // the whole list of files the message names only in part
    QList<TrashedFile> trashed;

    bool anyDone() const
    {
        for (const FileOutcome &file : files) {
            if (file.done)
                return true;
        }
        return false;
    }
    QStringList failedNames() const
    {
        QStringList names;
        for (const FileOutcome &file : files) {
            if (!file.done)
                names.append(file.name);
        }
        return names;
    }
};

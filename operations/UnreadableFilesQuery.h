#pragma once

#include "platform/Prompter.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One file of the storage folder that is left out of the table, as the list
// of unreadable files (TUnreadableFilesForm) shows it.
struct UnreadableFileRow {
    QString name;           // as shown: a name that is not UTF-8 decoded from Shift-JIS
    QByteArray nameBytes;   // as the system spells it
    bool nameNotUtf8 = false;
    QString newName;        // a name that is not UTF-8: what a rename gives; empty when it does not read cleanly
    QString reason;
};

// What the list of unreadable files is given.
struct UnreadableFilesRequest {
    QString folder;                 // the storage folder, as shown
    QList<UnreadableFileRow> files; // in listing order
    QList<int> selected;            // rows of files selected when the list opens
    bool canChange = true;          // false: the list only, nothing is offered
};

// What the user chose in the list. Closing it gives nothing.
struct UnreadableFilesAnswer {
    enum class Action {
        Trash,       // move rows to the trash
        RenameNames, // rename every file whose name is not UTF-8
    };
    Action action = Action::Trash;
    QList<int> rows; // Trash: rows of the request's files, in list order
};

// The list's question: what to do, or nothing when it was closed.
struct UnreadableFilesQuery : DialogQuery {
    explicit UnreadableFilesQuery(UnreadableFilesRequest r) : request(std::move(r)) {}
    UnreadableFilesRequest request;
    std::optional<UnreadableFilesAnswer> answer;
};

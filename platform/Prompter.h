#pragma once

#include <QByteArray>
#include <QList>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class QWidget;

// What one game slot holds, in the texts of the game table (all empty for an
// empty slot).
struct SlotSummary {
    QString dungeon;
    QString floors;
    QString chara;
    QString score;
    QString player;
};

// What the copy dialog is given.
struct CopyTargetRequest {
    bool slotMode = false;   // true: choose one of the ten slots; false: type a file name
    QString sourceName;      // the file to copy, without its folder
    QString sourcePath;      // its full path: a copy onto the source itself is refused
    QString destinationDir;  // the folder the copy goes to, ending with "/"
    std::array<SlotSummary, 10> slotTexts; // slot mode: what each slot holds now
    QStringList storedNames; // name entry: storage files that already hold this replay
};

// What the name and comment dialog is given: the file name shown and the
// stored bytes of both fields up to their first NUL.
struct ReplayTextRequest {
    QString fileName;
    QByteArray playerName;
    QByteArray comment;
};

// The bytes to store, at most 30 and 1024, without padding. A text the user
// left unchanged comes back with its original bytes.
struct ReplayTextAnswer {
    QByteArray playerName;
    QByteArray comment;
};

// One file of the storage folder that is left out of the table, as the list
// of unreadable files shows it.
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
// One file of a group of identical replays in the storage folder.
struct DuplicateFile {
    QString fileName;
    QString playerName;
    qint64 size = 0;
    QDateTime modified;
};

// Files holding the same replay (their streams compared byte for byte); the
// first is the one kept: the oldest.
struct DuplicateGroup {
    std::vector<DuplicateFile> files;
};
using DuplicateGroups = std::vector<DuplicateGroup>;

// Every modal question the program asks goes through this seam, so that tests
// can answer it without a dialog ever blocking. The program uses
// DialogPrompter (the message boxes of WidgetPrompter and the command
// dialogs); tests hand the window a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Message box titled with the main window's caption, stop icon, one OK button.
    virtual void error(QWidget *owner, const QString &text) = 0;

    // Message box titled with the main window's caption, information icon,
    // one OK button.
    virtual void information(QWidget *owner, const QString &text) = 0;

    // Message box titled with the main window's caption, question icon,
    // Yes and No (Yes the default). True for Yes.
    virtual bool question(QWidget *owner, const QString &text) = 0;

    // Modal chooser of existing folders: title is the instruction text, root
    // the folder the tree starts at, preselect a folder to select at once
    // (empty for none). The chosen folder's path, without a trailing
    // separator except for the root itself, or nothing when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget *owner, const QString &title, const QString &root,
                                                const QString &preselect) = 0;

    // Before an existing file is replaced by a copy (No the default). holds
    // says what the file holds now, one line per item; empty when not known.
    // True to replace.
    virtual bool confirmReplace(QWidget *owner, const QString &path, const QString &holds) = 0;

    // Once for the whole set before files are moved to the trash; hidden of
    // them are not shown in the table now (a filter hides them). True to go on.
    virtual bool confirmDelete(QWidget *owner, const QStringList &paths, int hidden) = 0;

    // The copy dialog: the destination file name without folder, or nothing
    // when cancelled.
    virtual std::optional<QString> chooseCopyTarget(QWidget *owner, const CopyTargetRequest &request) = 0;

    // The name and comment dialog: the bytes to store, or nothing when cancelled.
    virtual std::optional<ReplayTextAnswer> editReplayText(QWidget *owner, const ReplayTextRequest &request) = 0;

    // The list of identical replays in the storage folder (at least one
    // group). True when the user asked to mark all but the first file of
    // every group for deletion.
    virtual bool reviewDuplicates(QWidget *owner, const DuplicateGroups &groups) = 0;

    // Modal chooser of a file to write: title of the chooser, the path it
    // starts with (folder and file name), and the name filter ("CSV (*.csv)").
    // The suffix of suggestedPath is added to a typed name without one; an
    // existing file is replaced only after the user confirmed. The chosen
    // path, or nothing when cancelled.
    virtual std::optional<QString> chooseSaveFile(QWidget *owner, const QString &title, const QString &suggestedPath,
                                                  const QString &filter) = 0;

    // The list of unreadable files: what to do, or nothing when it was closed.
    virtual std::optional<UnreadableFilesAnswer> reviewUnreadableFiles(QWidget *owner,
                                                                       const UnreadableFilesRequest &request) = 0;
};

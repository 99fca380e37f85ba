#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// A question that a command dialog answers: its request and, once asked,
// its answer. Each kind is declared with its dialog (operations/); the real
// prompter shows the dialog for it, a test prompter answers it by its kind.
class DialogQuery {
public:
    virtual ~DialogQuery() = default;
};

// Every modal question the program asks goes through this seam, so that tests
// can answer it without a dialog ever blocking. The program uses
// DialogPrompter (the message boxes of WidgetPrompter and the command
// dialogs); tests hand the window a scripted one. A new dialog adds a
// DialogQuery of its own, not a function here.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Message box titled with the main window's caption, stop icon, one OK
    // button. details (a long list of files: FileListMessage) are folded
    // away under a button of the box. Every text is shown as plain text.
    virtual void error(QWidget *owner, const QString &text, const QString &details = {}) = 0;

    // Message box titled with the main window's caption, information icon,
    // one OK button.
    virtual void information(QWidget *owner, const QString &text) = 0;

    // Message box titled with the main window's caption, question icon,
    // Yes and No (Yes the default), details as for error(). True for Yes.
    virtual bool question(QWidget *owner, const QString &text, const QString &details = {}) = 0;

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

    // Modal chooser of a file to write: title of the chooser, the path it
    // starts with (folder and file name), and the name filter ("CSV (*.csv)").
    // The suffix of suggestedPath is added to a typed name without one; an
    // existing file is replaced only after the user confirmed. The chosen
    // path, or nothing when cancelled.
    virtual std::optional<QString> chooseSaveFile(QWidget *owner, const QString &title, const QString &suggestedPath,
                                                  const QString &filter) = 0;

    // A command dialog: shows it for the query's request and leaves the
    // user's answer in the query (none when cancelled).
    virtual void ask(QWidget *owner, DialogQuery &query) = 0;
};

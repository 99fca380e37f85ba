#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// Every modal question the program asks goes through this seam, so that tests
// can answer it without a dialog ever blocking. The program uses
// WidgetPrompter; tests hand the window a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Message box titled with the main window's caption, stop icon, one OK button.
    virtual void error(QWidget *owner, const QString &text) = 0;

    // Message box titled with the main window's caption, question icon,
    // Yes and No (Yes the default). True for Yes.
    virtual bool question(QWidget *owner, const QString &text) = 0;

    // Modal chooser of existing folders: title is the instruction text, root
    // the folder the tree starts at, preselect a folder to select at once
    // (empty for none). The chosen folder's path, without a trailing
    // separator except for the root itself, or nothing when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget *owner, const QString &title, const QString &root,
                                                const QString &preselect) = 0;

    // Before an existing file is replaced by a copy. True to replace.
    virtual bool confirmReplace(QWidget *owner, const QString &path) = 0;

    // Once for the whole set before files are moved to the trash. True to go on.
    virtual bool confirmDelete(QWidget *owner, const QStringList &paths) = 0;
};

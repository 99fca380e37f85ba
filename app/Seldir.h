#pragma once

#include <QString>

class Prompter;
class QWidget;

// True when path names an existing folder; a trailing separator is accepted.
bool DirectoryExists(const QString &path);

// Modal chooser of existing folders. directory gives the folder to preselect
// (ignored when it does not exist) and receives the chosen path. True when
// the user chose a folder.
bool SelDirectory(Prompter &prompter, QWidget *owner, const QString &title, const QString &root, QString &directory);

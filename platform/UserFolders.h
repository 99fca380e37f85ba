#pragma once

#include <QString>

// Where the program keeps the user's files, by the system's conventions.
namespace UserFolders {

// The folder under which programs keep their settings:
// $XDG_CONFIG_HOME (when it is an absolute path) or ~/.config; under
// Windows the user's roaming application data: %APPDATA% (when it is an
// absolute path), else where the system keeps it.
QString settings();

// The folder of lock files that live as long as a program runs: the user's
// runtime folder (or the temporary folder); under Windows the user's
// temporary folder (Qt's runtime folder there is the home folder itself).
QString runtime();

// Where the folder chooser's tree starts: the file system's root "/"; under
// Windows the user's home folder.
QString chooserRoot();

// How --help names the settings and cache folders with relativePath (a
// "/"-separated path) under them: the variable and, where it differs, the
// usual place.
QString settingsHint(const QString &relativePath);
QString cacheHint(const QString &relativePath);

} // namespace UserFolders

#pragma once

#include <QString>

// Where the settings file "qvReplayInfo.dat" is kept. A copy with that file
// beside its executable (a portable copy, or a run from the build folder)
// keeps using it; every other copy uses the user's configuration folder,
// $XDG_CONFIG_HOME/qvReplayInfo/ (~/.config/qvReplayInfo/ when the variable
// is unset or not an absolute path), under Windows %APPDATA%\qvReplayInfo\,
// since an installed program cannot write beside itself.
QString settingsFilePath(const QString &programDir);

// Makes sure the folder of the settings file exists before the file is
// written; folders it creates are private to the user (mode 0700). Nothing is
// created before the first write. False when the folder cannot be made; the
// write that follows then fails and says so.
bool prepareSettingsFolder(const QString &settingFileName);

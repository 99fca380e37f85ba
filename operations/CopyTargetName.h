#pragma once

#include <QString>

// Rules for the destination of a copy between the folders.

// The destination file name for a name typed in the copy dialog: the text as
// typed (blanks and letter case kept) with ".dat" added unless its last four
// characters already are ".dat" in any letter case.
QString copyTargetFileName(const QString &typed);

// Why a typed name cannot be used, or an empty text when it can: a name with
// "/" or NUL would reach into another folder or be cut (under Windows also
// "\" and the other characters Windows refuses, and device names such as
// "CON", whose file would be the device), "." or ".." name folders, and a
// name starting with "." is hidden (no listing shows it).
QString typedNameRefusal(const QString &typed);

// Why destinationPath cannot take a copy of sourcePath, or an empty text when
// it can: it is an existing folder, or the source file itself.
QString destinationRefusal(const QString &destinationPath, const QString &sourcePath);

// True when both paths lead to the same existing file (links and hard links
// included).
bool isSameFile(const QString &a, const QString &b);

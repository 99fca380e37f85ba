#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

// File-system steps whose system calls differ between Linux and Windows.
// Paths as bytes are spelled as the system spells them (under Windows, the
// 8-bit form of the UTF-16 name, QFile::encodeName: UTF-8 with the manifest
// every program of the build carries).
namespace FileSystem {

// Which file or folder a path leads to now (links followed): the volume and
// the file's number on it. Empty when nothing is there.
QByteArray identity(const QString &path);

// True when both paths lead to the same existing file (links and hard links
// included).
bool isSameFile(const QString &a, const QString &b);

enum class RenameOutcome { Renamed, Exists, Missing, NameTooLong, Failed };

struct RenameResult {
    RenameOutcome outcome = RenameOutcome::Failed;
    QString systemText; // the system's words for a failure
};

// Renames a file, never replacing one that holds the new name.
RenameResult renameNoReplace(const QByteArray &from, const QByteArray &to);

// Waits until what was written to the open file is on the disk.
bool flushToDisk(QFileDevice &file);

} // namespace FileSystem

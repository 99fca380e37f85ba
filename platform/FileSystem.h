#pragma once

#include "platform/FileError.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QFileDevice;

// File-system steps whose system calls differ between Linux and Windows.
// Paths as bytes are spelled as the system spells them (under Windows, the
// 8-bit form of the UTF-16 name, QFile::encodeName: UTF-8 with the manifest
// every program of the build carries). Open files are the C library's
// descriptors, as QFileDevice::handle() gives them.
namespace FileSystem {

// Which file or folder a path leads to now (links followed): the volume and
// the file's number on it. Empty when nothing is there.
QByteArray identity(const QString &path);

// True when both paths lead to the same existing file (links and hard links
// included).
bool isSameFile(const QString &a, const QString &b);

// Renames a file, never replacing one that holds the new name (Exists).
FileError renameNoReplace(const QByteArray &from, const QByteArray &to);

// Renames a file over a name in one step. Whatever is at `to` is replaced:
// a link there is replaced itself, never what it points to.
FileError renameOver(const QByteArray &from, const QByteArray &to);

// Creates a new file for reading and writing; a name that is taken (also by
// a link, which is never followed) is Exists. The descriptor, or -1 with
// *error set.
int createExclusive(const QByteArray &path, FileError *error);

// Gives the open file the permission bits of the regular file at path, when
// one is there (under Windows there are none to take: a read-only file is
// never replaced).
FileError takeOverPermissions(const QByteArray &path, int fd);

// Writes all of data at the file's position; a short write is an error.
FileError writeAll(int fd, const char *data, qint64 size);

// Puts what was written on the disk and closes the file (also after a failure).
FileError syncAndClose(int fd);

// Closes fd (unless it is -1) and removes the file at path.
void closeAndRemove(int fd, const QByteArray &path);

// The path of the file that path leads to, with the links on the way
// resolved; empty with *error set when it leads nowhere.
QByteArray resolvedPath(const QByteArray &path, FileError *error);

// ReadOnlyFile when the open file is marked read-only (its owner's write
// bit; under Windows its read-only attribute), else nothing or the failure
// to look.
FileError readOnlyMark(int fd);

// Waits until what was written to the open file is on the disk.
bool flushToDisk(QFileDevice &file);

} // namespace FileSystem

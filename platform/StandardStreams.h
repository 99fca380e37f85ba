#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What a command-line run of the program reads and prints.
namespace StandardStreams {

enum class Stream { Output, Error };

// The arguments as typed, the program's own path first. Under Windows they
// come from the UTF-16 command line, not from argv's code page.
QStringList arguments(int argc, char **argv);

// The arguments after the program's path as the system spells names: argv's
// bytes; under Windows the 8-bit form (QFile::encodeName) of the UTF-16
// command line. QFile::decodeName turns them back into text on both.
QList<QByteArray> nativeArguments(int argc, char **argv);

// Makes the C library's standard output and error write "\n" as it is
// (under Windows it would write "\r\n").
void keepLineEnds();

// Writes text: UTF-8 with "\n" line ends into a file or pipe (a script reads
// the same bytes on every system), as characters into a console window.
void write(const QString &text, Stream stream);

} // namespace StandardStreams

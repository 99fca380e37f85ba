#pragma once

#include <QString>
#include <QStringList>

// Switches of the window program. A new one is a member here and one row in
// the table at the top of CommandLine.cpp.
struct CommandLineOptions {
    bool noCache = false; // read every file, neither using nor updating the scan cache
};

// What the command line asks for: either start the program with options, or
// end at once with exitCode after printing output (standard output) and
// errors (standard error). --help and --version end with 0, a mistake with 2
// and the usage on standard error.
struct CommandLine {
    bool start = true;
    int exitCode = 0;
    QString output;
    QString errors;
    CommandLineOptions options;
};

// The program's version as the project names it: --version, the
// About box and the settings file.
const QString &programVersion();

// arguments[0] is the program's own path, as in QCoreApplication::arguments().
CommandLine parseCommandLine(const QStringList &arguments);

#pragma once

#include <QString>

// What a file name the user types may not be on this system.
namespace FileNames {

// True when name holds a character no file name may hold: "/" or NUL; under
// Windows also \ : * ? " < > | and control characters.
bool hasForbiddenCharacter(const QString &name);

// Those characters, as a message names them.
QString forbiddenCharactersText();

// True when name is one of the names the system keeps for devices, with or
// without an extension: none under Linux; under Windows CON, PRN, AUX, NUL,
// COM1 to COM9 and LPT1 to LPT9 in any letter case ("nul.dat" is no file).
bool isDeviceName(const QString &name);

} // namespace FileNames

#!/bin/sh
# Runs a Windows program of the build under wine64:
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# PREFIX is the build's own wine prefix (made by wine-prefix.sh). CMake
# puts this script before every test program of the Windows build. Wine
# hands no variable named QT_* to a Windows program: a test's environment
# says WINEQT_QPA_PLATFORM for QT_QPA_PLATFORM.
set -eu
WINEPREFIX=${1:?usage: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]}
shift
WINEDEBUG=${WINEDEBUG:--all}
# No .NET or browser engine: wine would offer to download them.
WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec /usr/lib/wine/wine64 "$@"

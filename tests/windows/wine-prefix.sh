#!/bin/sh
# Makes the wine prefix the Windows tests run in:
#   wine-prefix.sh PREFIX
# A fresh prefix each time (the tests' settings, caches and Recycle Bin
# start empty). Tahoma, the font of Windows dialogs, is DejaVu Sans here:
# without the fonts-wine package wine would draw Latin text in a serif font.
# Japanese text needs nothing: wine sees the IPA fonts through fontconfig.
set -eu
prefix=${1:?usage: wine-prefix.sh PREFIX}
WINEPREFIX=$prefix
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
unset DISPLAY
rm -rf "$prefix"
/usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
/usr/lib/wine/wineserver -w
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d 'DejaVu Sans' /f >/dev/null 2>&1
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg' /d 'DejaVu Sans' /f >/dev/null 2>&1
# Commands run without a display must have ended before a window program
# starts under Xvfb, or that program hangs when it ends.
/usr/lib/wine/wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wine-prefix.sh: wineboot made no prefix in $prefix" >&2; exit 1; }
echo "wine prefix ready: $prefix"

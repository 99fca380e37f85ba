#!/bin/sh
# The installer under wine64:
#   msi_test.sh PREFIX INSTALLER.msi SAMPLE_MAKER.exe SCREENSHOT.png
# A silent install (msiexec /qn) puts the program, Qt's DLLs and the
# licences into Program Files and a shortcut into the Start menu; the
# installed program then passes the smoke test (started once, its settings in
# %APPDATA%); a silent uninstall takes the files away again.
set -u
here=$(cd "$(dirname "$0")" && pwd)
WINEPREFIX=${1:?usage: msi_test.sh PREFIX INSTALLER.msi SAMPLE_MAKER.exe SCREENSHOT.png}
msi=${2:?}
samples=${3:?}
shot=${4:?}
export WINEPREFIX
run() { sh "$here/wine-run.sh" "$WINEPREFIX" "$@"; }

installed="$WINEPREFIX/drive_c/Program Files/qvReplayInfo"
# The Start menu of all users; wine puts a shortcut of an installer for all
# users into the user's own one.
menus="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs
$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d | sed 's|$|/AppData/Roaming/Microsoft/Windows/Start Menu/Programs|')"
shortcut() {
    echo "$menus" | while IFS= read -r menu; do [ -f "$menu/qvReplayInfo.lnk" ] && echo "$menu/qvReplayInfo.lnk"; done
}
status=0

if ! run msiexec /i "Z:$msi" /qn >/dev/null 2>&1; then
    echo "FAIL: msiexec /i ended with an error" >&2
    exit 1
fi
/usr/lib/wine/wineserver -w
for file in qvReplayInfo.exe qvReplayDump.exe Qt6Core.dll Qt6Widgets.dll platforms/qwindows.dll \
    sqldrivers/qsqlite.dll libstdc++-6.dll translations/qtbase_ja.qm licenses/qtbase-LICENSES/LGPL-3.0-only.txt; do
    if [ ! -s "$installed/$file" ]; then
        echo "FAIL: the installer did not install $file" >&2
        status=1
    fi
done
if [ -z "$(shortcut)" ]; then
    echo "FAIL: no Start-menu shortcut" >&2
    find "$WINEPREFIX/drive_c/ProgramData" -name '*.lnk' >&2
    status=1
fi
[ "$status" -eq 0 ] && echo "installed into C:\\Program Files\\qvReplayInfo with a Start-menu shortcut"

sh "$here/smoke_test.sh" "$WINEPREFIX" "$installed" "$samples" "$shot" --installed || status=1

if ! run msiexec /x "Z:$msi" /qn >/dev/null 2>&1; then
    echo "FAIL: msiexec /x ended with an error" >&2
    status=1
fi
/usr/lib/wine/wineserver -w
if [ -e "$installed/qvReplayInfo.exe" ] || [ -n "$(shortcut)" ]; then
    echo "FAIL: the uninstall left the program or its shortcut behind" >&2
    status=1
else
    echo "uninstalled"
fi
exit $status

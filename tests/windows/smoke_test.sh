#!/bin/sh
# Smoke test of the Windows program under wine64 on a virtual X display:
#   smoke_test.sh PREFIX PORTABLE.zip SAMPLE_MAKER.exe SCREENSHOT.png
#   smoke_test.sh PREFIX PROGRAM_DIR SAMPLE_MAKER.exe SCREENSHOT.png --installed
# The zip is unpacked into a scratch folder and the settings file beside the
# program is filled in (a portable copy); with --installed, PROGRAM_DIR holds
# an installed qvReplayInfo.exe, which runs where it is with the settings
# file in %APPDATA%. The settings name two folders of
# samples. Its window must appear and show something (the screenshot of it
# is kept), --version must answer while it runs, a second start must end at
# once with exit code 1, and the program must keep its scan cache.
set -u
here=$(cd "$(dirname "$0")" && pwd)
caption="Tarnelリプレイファイル情報"

if [ "${1:-}" = "--inner" ]; then
    work=$2
    exe=$3
    shot=$4
    run() { sh "$here/wine-run.sh" "$WINEPREFIX" "$@"; }

    run "$exe" >"$work/first.log" 2>&1 &
    pid=$!
    geometry=""
    i=0
    # A cold wine start takes a few seconds.
    while [ $i -lt 300 ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "FAIL: the program ended before its window appeared" >&2
            cat "$work/first.log" >&2
            exit 1
        fi
        for id in $(xwininfo -root -tree 2>/dev/null | grep -F "\"$caption\"" | awk '{print $1}'); do
            info=$(xwininfo -id "$id" 2>/dev/null)
            if echo "$info" | grep -q 'IsViewable'; then
                x=$(echo "$info" | awk '/Absolute upper-left X/ {print $4}')
                y=$(echo "$info" | awk '/Absolute upper-left Y/ {print $4}')
                w=$(echo "$info" | awk '/Width:/ {print $2}')
                h=$(echo "$info" | awk '/Height:/ {print $2}')
                [ "${w:-0}" -ge 800 ] && geometry="$x $y $w $h"
            fi
        done
        [ -n "$geometry" ] && break
        sleep 0.2
        i=$((i + 1))
    done
    if [ -z "$geometry" ]; then
        echo "FAIL: no window \"$caption\" appeared within 60 seconds" >&2
        xwininfo -root -tree >&2
        kill -TERM "$pid" 2>/dev/null
        exit 1
    fi
    echo "main window shown at $geometry"

    status=0
    # The window draws the folders' tables once they are read.
    sleep 3
    # shellcheck disable=SC2086 # geometry is four numbers
    if ! python3 "$here/screenshot.py" "$work/Xvfb_screen0" $geometry "$shot"; then
        status=1
    else
        echo "screenshot: $shot"
    fi

    . "$here/../support/running_copy.sh"
    check_running_copy "$work" "$pid" 20 8 sh "$here/wine-run.sh" "$WINEPREFIX" "$exe"
    /usr/lib/wine/wineserver -k
    wait "$pid" 2>/dev/null
    exit $status
fi

WINEPREFIX=${1:?usage: smoke_test.sh PREFIX PORTABLE.zip|PROGRAM_DIR SAMPLE_MAKER.exe SCREENSHOT.png [--installed]}
programDir=${2:?}
samples=${3:?}
shot=${4:?}
installed=""
[ "${5:-}" = "--installed" ] && installed=yes
export WINEPREFIX

for tool in xvfb-run xwininfo python3 unzip; do
    if ! command -v $tool >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (./build.sh test installs it)"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/qvwinsmoke.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/game" "$work/storage"
# Windows names for the folders: wine's drive Z: is the Unix root.
sh "$here/wine-run.sh" "$WINEPREFIX" "$samples" "Z:$work/game" "Z:$work/storage" >/dev/null \
    || { echo "FAIL: sample maker failed" >&2; exit 1; }

appdata=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -path '*/AppData/Roaming' | head -n 1)
localdata=$(dirname "$appdata")/Local
[ -n "$appdata" ] || { echo "FAIL: the wine prefix has no user folder" >&2; exit 1; }
rm -rf "$appdata/qvReplayInfo" "$localdata/cache/qvReplayInfo"
if [ -n "$installed" ]; then
    exe="$programDir/qvReplayInfo.exe"
    settings="$appdata/qvReplayInfo/qvReplayInfo.dat"
    mkdir -p "$appdata/qvReplayInfo"
    if [ -e "$programDir/qvReplayInfo.dat" ]; then
        echo "FAIL: $programDir/qvReplayInfo.dat exists; an installed copy has no settings beside it" >&2
        exit 1
    fi
else
    (cd "$work" && unzip -q "$programDir") || { echo "FAIL: cannot unpack $programDir" >&2; exit 1; }
    exe="$work/qvReplayInfo/qvReplayInfo.exe"
    settings="$work/qvReplayInfo/qvReplayInfo.dat"
    if [ ! -f "$settings" ] || [ -s "$settings" ]; then
        echo "FAIL: the zip has no empty settings file beside the program" >&2
        exit 1
    fi
fi
printf '[Tarnel]\r\nReplayDir=Z:%s/\r\n[qvReplayInfo]\r\nReplayDir=Z:%s/\r\n' "$work/game" "$work/storage" >"$settings"

# What ran without a display must be over before a window program starts.
/usr/lib/wine/wineserver -w
unset DISPLAY WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24 -fbdir $work" sh "$0" --inner "$work" "$exe" "$shot"
status=$?
if [ "$status" -eq 0 ] && [ ! -s "$localdata/cache/qvReplayInfo/scan-cache.sqlite" ]; then
    echo "FAIL: the program kept no scan cache in %LOCALAPPDATA%\\cache\\qvReplayInfo\\" >&2
    status=1
fi
if [ -n "$installed" ] && [ -e "$programDir/qvReplayInfo.dat" ]; then
    echo "FAIL: the installed copy wrote beside itself" >&2
    status=1
fi
exit $status

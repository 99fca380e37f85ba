#!/bin/sh
# Smoke test of the real program on a virtual X display:
#   smoke_test.sh [--installed] PROGRAM [SAMPLE_MAKER]
# Its settings file names two sample folders. By default the program is
# copied into a scratch folder with that file beside it (a portable copy);
# with --installed it runs where it is and the file is in a scratch
# XDG_CONFIG_HOME. Its window must appear; --version must answer while it
# runs (no lock taken); a second start must end at once with exit code 1;
# the first copy must still be running; an installed copy must not have
# written beside itself.
# Exit code 77 (skipped) only when the virtual display cannot be had.
set -u

if [ "${1:-}" = "--inner" ]; then
    shift
    work=$1
    program=$2
    caption="Tarnelリプレイファイル情報"

    "$program" >"$work/first.log" 2>&1 &
    pid=$!

    found=""
    i=0
    while [ $i -lt 150 ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "FAIL: the program ended before its window appeared" >&2
            cat "$work/first.log" >&2
            exit 1
        fi
        # The main window: its caption, its fixed width of 850 pixels, and
        # mapped (its native window exists before it is shown, as the owner
        # of the progress box).
        for id in $(xwininfo -root -tree 2>/dev/null | grep -F "\"$caption\"" | grep ' 850x' | awk '{print $1}'); do
            if xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'; then
                found=yes
            fi
        done
        [ -n "$found" ] && break
        sleep 0.2
        i=$((i + 1))
    done
    if [ -z "$found" ]; then
        echo "FAIL: no window \"$caption\" appeared within 30 seconds" >&2
        xwininfo -root -tree >&2
        kill -TERM "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        exit 1
    fi
    echo "main window shown"

    status=0
    . "$(dirname "$0")/../support/running_copy.sh"
    check_running_copy "$work" "$pid" 10 3 "$program"
    if [ "$(xwininfo -root -tree 2>/dev/null | grep -F "\"$caption\"" | grep -c ' 850x')" -ne 1 ]; then
        echo "FAIL: the second start showed a window" >&2
        status=1
    fi

    kill -TERM "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    exit $status
fi

installed=""
if [ "${1:-}" = "--installed" ]; then
    installed=yes
    shift
fi
program=${1:?usage: smoke_test.sh [--installed] PROGRAM [SAMPLE_MAKER]}
samples=${2:-}

if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
    echo "SKIP: Xvfb is not installed (package xvfb; ./build.sh test installs it)"
    exit 77
fi
if ! command -v xwininfo >/dev/null 2>&1; then
    echo "SKIP: xwininfo is not installed (package x11-utils; ./build.sh test installs it)"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qvsmoke.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/bin" "$work/game" "$work/storage" "$work/run" "$work/config"
chmod 700 "$work/run"

if [ -n "$samples" ] && [ -x "$samples" ]; then
    "$samples" "$work/game" "$work/storage" >/dev/null || { echo "FAIL: sample maker failed" >&2; exit 1; }
fi
# The settings file (Shift-JIS INI; these paths are ASCII). A scratch
# XDG_CONFIG_HOME either way, so that the user's own settings are never read
# or written.
if [ -n "$installed" ]; then
    settings="$work/config/qvReplayInfo/qvReplayInfo.dat"
    mkdir -p "$work/config/qvReplayInfo"
    beside="$(dirname "$program")/qvReplayInfo.dat"
    if [ -e "$beside" ]; then
        echo "FAIL: $beside exists; an installed copy has no settings beside it" >&2
        exit 1
    fi
else
    cp "$program" "$work/bin/qvReplayInfo" || exit 1
    program="$work/bin/qvReplayInfo"
    settings="$work/bin/qvReplayInfo.dat"
fi
printf '[Tarnel]\r\nReplayDir=%s/\r\n[qvReplayInfo]\r\nReplayDir=%s/\r\n' "$work/game" "$work/storage" >"$settings"

# Our own lock folder, so that a copy the user runs does not interfere, and
# our own scan cache.
XDG_RUNTIME_DIR="$work/run"
XDG_CONFIG_HOME="$work/config"
XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_CACHE_HOME
unset QT_QPA_PLATFORM
unset DISPLAY WAYLAND_DISPLAY

xvfb-run -a -s "-screen 0 1024x768x24" sh "$0" --inner "$work" "$program"
status=$?
if [ "$status" -eq 0 ] && [ ! -s "$work/cache/qvReplayInfo/scan-cache.sqlite" ]; then
    echo "FAIL: the program kept no scan cache in \$XDG_CACHE_HOME/qvReplayInfo/" >&2
    status=1
fi
if [ -n "$installed" ] && [ -e "$beside" ]; then
    echo "FAIL: the installed copy wrote $beside" >&2
    status=1
fi
exit $status

#!/bin/sh
# Start-up time of the program as a user sees it: from the start of the
# process until its main window is on the screen, on a virtual X display.
#   bench_startup.sh PROGRAM GAME_DIR STORAGE_DIR [RUNS]
# The program runs as a portable copy in a scratch folder with its own
# settings and its own scan cache. The first start finds the cache empty
# ("cold"), the later ones find it filled ("warm"); a last start with
# --no-cache reads every file. Each start is ended once its window shows.
# Times come from polling the window list every 20 ms or so, so they are
# good to about 30 ms. Each line also gives the process's peak memory until
# its window showed (VmHWM) and, with QT_LOGGING_RULES="qv.scan.info=true",
# the program's own lines on each folder it read.
set -u
if [ "${1:-}" = "--inner" ]; then
    shift
    program=$1 runs=$2
    caption="Tarnelリプレイファイル情報"
    start_once() { # LABEL [OPTION]
        label=$1
        shift
        log="$(dirname "$program")/$label.log"
        t0=$(date +%s%N)
        "$program" "$@" >/dev/null 2>"$log" &
        pid=$!
        while :; do
            # One small process per look: the main window is the only one
            # with the caption.
            case $(xwininfo -name "$caption" 2>/dev/null) in
            *IsViewable*)
                t1=$(date +%s%N)
                peak=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null)
                echo "$label $(((t1 - t0) / 1000000)) ms, peak memory $((${peak:-0} / 1024)) MB"
                kill -TERM "$pid" 2>/dev/null
                wait "$pid" 2>/dev/null
                grep -h 'files,' "$log" | sed 's/^/    /'
                return 0
                ;;
            esac
            if ! kill -0 "$pid" 2>/dev/null; then
                echo "$label: the program ended before its window appeared" >&2
                tail -n 5 "$log" >&2
                return 1
            fi
            # Polling leaves the program the processor most of the time.
            sleep 0.02
        done
    }
    start_once cold || exit 1
    i=1
    while [ "$i" -lt "$runs" ]; do
        start_once warm || exit 1
        i=$((i + 1))
    done
    start_once no-cache --no-cache || exit 1
    exit 0
fi

program=${1:?usage: bench_startup.sh PROGRAM GAME_DIR STORAGE_DIR [RUNS]}
game=${2:?usage: bench_startup.sh PROGRAM GAME_DIR STORAGE_DIR [RUNS]}
storage=${3:?usage: bench_startup.sh PROGRAM GAME_DIR STORAGE_DIR [RUNS]}
runs=${4:-6}

work=$(mktemp -d "${TMPDIR:-/tmp}/qvstartup.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/bin" "$work/run" "$work/config" "$work/cache"
chmod 700 "$work/run"
cp "$program" "$work/bin/qvReplayInfo" || exit 1
printf '[Tarnel]\r\nReplayDir=%s/\r\n[qvReplayInfo]\r\nReplayDir=%s/\r\n' \
    "$(cd "$game" && pwd)" "$(cd "$storage" && pwd)" >"$work/bin/qvReplayInfo.dat"
# The files' pages in memory, as after the previous run.
cat "$storage"/*.dat >/dev/null 2>&1 || find "$storage" -name '*.dat' -exec cat {} + >/dev/null

XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR XDG_CONFIG_HOME XDG_CACHE_HOME
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY
xvfb-run -a -s "-screen 0 1024x768x24 -noreset" sh "$0" --inner "$work/bin/qvReplayInfo" "$runs"

#!/bin/sh
# Runs a Windows program of the build under wine64:
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# PREFIX is the build's own wine prefix (made by wine-prefix.sh). CMake
# puts this script before every test program of the Windows build. Wine
# hands no variable named QT_* to a Windows program: a test's environment
# says WINEQT_QPA_PLATFORM for QT_QPA_PLATFORM.
set -u
WINEPREFIX=${1:?usage: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]}
shift
WINEDEBUG=${WINEDEBUG:--all}
# No .NET or browser engine (wine would offer to download them), and no
# debugger that waits on a crash.
WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

# Now and then a test program under wine has finished ("Finished testing")
# and then never ends. Its result is in its log: it is given a few seconds,
# then ended, and its count of failures is the exit code, as QtTest's is.
out=$(mktemp "${TMPDIR:-/tmp}/qvwine.XXXXXX") || exit 1
err=$(mktemp "${TMPDIR:-/tmp}/qvwine.XXXXXX") || exit 1
trap 'rm -f "$out" "$err"' EXIT
/usr/lib/wine/wine64 "$@" >"$out" 2>"$err" &
pid=$!
finishedFor=0
while kill -0 "$pid" 2>/dev/null; do
    if grep -q '^\*\*\*\*\*\*\*\*\* Finished testing of' "$out" "$err"; then
        finishedFor=$((finishedFor + 1))
        if [ "$finishedFor" -gt 20 ]; then
            kill -KILL "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            cat "$out"
            cat "$err" >&2
            echo "wine-run.sh: the test program did not end after it finished; ended it" >&2
            failed=$(cat "$out" "$err" | sed -n 's/^Totals: [0-9]* passed, \([0-9]*\) failed.*/\1/p' | tail -n 1)
            exit "${failed:-1}"
        fi
    fi
    sleep 0.5
done
wait "$pid"
status=$?
cat "$out"
cat "$err" >&2
exit $status

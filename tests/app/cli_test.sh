#!/bin/sh
# The program's command line with no display at all:
#   cli_test.sh PROGRAM VERSION
# --help and --version print and end with 0 (they would fail if they opened
# a window); a mistake prints the usage on standard error and ends with 2.
# None of them takes the single-copy lock or touches the settings.
set -u
program=${1:?usage: cli_test.sh PROGRAM VERSION}
version=${2:?usage: cli_test.sh PROGRAM VERSION}

work=$(mktemp -d "${TMPDIR:-/tmp}/qvcli.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -m 700 "$work/run"
XDG_RUNTIME_DIR="$work/run"
XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR XDG_CONFIG_HOME
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

status=0
# arguments|exit code|stream that holds the text (out or err)|text
while IFS='|' read -r args code stream text; do
    # shellcheck disable=SC2086 # the arguments are split on purpose
    timeout 10 "$program" $args >"$work/out" 2>"$work/err"
    rc=$?
    other=err
    [ "$stream" = err ] && other=out
    if [ "$rc" -ne "$code" ]; then
        echo "FAIL: '$args' ended with $rc, expected $code" >&2
        status=1
    elif ! grep -qF -- "$text" "$work/$stream"; then
        echo "FAIL: '$args' did not print \"$text\" on standard $stream" >&2
        status=1
    elif [ -s "$work/$other" ]; then
        echo "FAIL: '$args' printed on standard $other" >&2
        status=1
    else
        echo "ok: '$args' -> $rc"
        continue
    fi
    sed 's/^/  | /' "$work/out" "$work/err" >&2
done <<ROWS
--help|0|out|使い方: qvReplayInfo [オプション]
-h|0|out|--version
--version|0|out|qvReplayInfo $version
-v|0|out|qvReplayInfo $version
--no-such-option|2|err|不明なオプションです：--no-such-option
-q|2|err|使い方: qvReplayInfo
--help=1|2|err|使い方: qvReplayInfo
replay.dat|2|err|引数は受け付けません：replay.dat
--help|0|out|--no-cache
--no-cache replay.dat|2|err|引数は受け付けません：replay.dat
ROWS

if [ -n "$(ls -A "$work/run")" ] || [ -e "$work/config" ]; then
    echo "FAIL: the command line took the lock or wrote settings:" >&2
    find "$work/run" "$work/config" >&2 2>/dev/null
    status=1
fi
exit $status

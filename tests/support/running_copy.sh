# Sourced by the smoke tests: what a second start must do while the program
# runs.
# check_running_copy WORK PID LIMIT SLOWEST COMMAND...
# With the first copy running as PID, COMMAND --version must answer within
# LIMIT seconds, COMMAND alone must end with exit code 1 within SLOWEST
# seconds, and the first copy must still run. Logs go to WORK; a failure is
# said on standard error and sets status=1.
check_running_copy() {
    _work=$1 _pid=$2 _limit=$3 _slowest=$4
    shift 4
    if ! timeout "$_limit" "$@" --version >"$_work/version.log" 2>&1 \
        || ! grep -q '^qvReplayInfo ' "$_work/version.log"; then
        echo "FAIL: --version did not answer while the program runs" >&2
        cat "$_work/version.log" >&2
        status=1
    else
        echo "--version answered while the program runs"
    fi

    _started=$(date +%s)
    timeout "$_limit" "$@" >"$_work/second.log" 2>&1
    _rc=$?
    _elapsed=$(($(date +%s) - _started))
    if [ "$_rc" -ne 1 ]; then
        echo "FAIL: the second start ended with exit code $_rc, expected 1" >&2
        cat "$_work/second.log" >&2
        status=1
    elif [ "$_elapsed" -gt "$_slowest" ]; then
        echo "FAIL: the second start took $_elapsed seconds to end" >&2
        status=1
    else
        echo "second start ended at once with exit code 1"
    fi
    if ! kill -0 "$_pid" 2>/dev/null; then
        echo "FAIL: the first copy ended when the second started" >&2
        status=1
    fi
}

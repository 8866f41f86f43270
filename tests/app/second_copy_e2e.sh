#!/usr/bin/env bash
# Starts tramsik twice under Xvfb (no window manager) and drives it with xdotool: the first copy
# runs on the demo machine; the second finds the single-instance mutex taken, shows only the
# second-copy dialog, and exits with 0 once its OK button is clicked; the first copy is
# unaffected and ends with 0 when its dialog's close button is clicked.
# The simulator keeps named mutexes per process, so the second copy's machine file says that
# another program holds "OrvelTramsik".
# Usage: second_copy_e2e.sh <tramsik> <machine file holding the mutex>   (run inside xvfb-run)
set -euo pipefail
tramsik=$1
second_machine=$2
first_pid=
second_pid=
trap 'kill $first_pid $second_pid 2>/dev/null || true' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# The visible windows of process $1, one id a line.
windows_of() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null || true
}
# Waits until process $1 shows exactly one window and prints its id.
one_window_of() {
    local ids=
    for _ in $(seq 300); do
        ids=$(windows_of "$1")
        [ -n "$ids" ] && break
        sleep 0.1
    done
    [ -n "$ids" ] || fail "process $1 shows no window"
    sleep 0.5
    ids=$(windows_of "$1")
    [ "$(echo "$ids" | wc -l)" -eq 1 ] || fail "process $1 shows $(echo "$ids" | wc -l) windows"
    echo "$ids"
}
# Waits for process $1 to end and fails unless its status is 0.
ends_with_zero() {
    for _ in $(seq 300); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$1" 2>/dev/null && fail "$2 still runs"
    local status=0
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || fail "$2 ended with $status"
}

TRAMSIK_MACHINE=demo "$tramsik" &
first_pid=$!
first=$(one_window_of $first_pid)
eval "$(xdotool getwindowgeometry --shell "$first")"
[ "$WIDTH" -eq 466 ] && [ "$HEIGHT" -eq 177 ] || fail "first copy's dialog is ${WIDTH}x$HEIGHT"
first_x=$X
first_y=$Y

TRAMSIK_MACHINE=$second_machine "$tramsik" &
second_pid=$!
second=$(one_window_of $second_pid)
eval "$(xdotool getwindowgeometry --shell "$second")"
[ "$WIDTH" -eq 466 ] && [ "$HEIGHT" -eq 177 ] || fail "second copy's dialog is ${WIDTH}x$HEIGHT"
# No parent: centred on the 1280x800 screen.
[ "$X" -eq $(((1280 - 466) / 2)) ] && [ "$Y" -eq $(((800 - 177) / 2)) ] ||
    fail "second copy's dialog at $X,$Y"
# OK alone, at 180,110; its picture fills the top 36 pixels of the button.
xdotool mousemove $((X + 180 + 56)) $((Y + 110 + 18)) click 1
ends_with_zero $second_pid "the second copy"
second_pid=

kill -0 $first_pid 2>/dev/null || fail "the first copy ended with the second"
# The first copy's about box closes with the button in its top right corner.
xdotool mousemove $((first_x + 438 + 13)) $((first_y + 10)) click 1
ends_with_zero $first_pid "the first copy"
first_pid=
echo "second copy end-to-end: ok"

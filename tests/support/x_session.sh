# shellcheck shell=bash
# Shared by the scripts that drive the window program under Xvfb with xdotool (sourced, not run).
# In a script: `source .../x_session.sh; in_xvfb "$0" "$@"` first; it runs the script again
# inside a fresh Xvfb (no window manager, 1280x800) unless it already runs in one.

in_xvfb() {
    [ "${TRAMSIK_IN_XVFB:-}" = 1 ] && return 0
    local script=$1
    shift
    # A runtime folder of the session's own: the copies started in it find each other's
    # single-instance lock file there, and not one of another session or of a copy running on
    # this computer.
    local runtime status=0
    runtime=$(mktemp -d)
    # No session bus, so that SDL does not try to reach or start one for its input methods.
    env TRAMSIK_IN_XVFB=1 DBUS_SESSION_BUS_ADDRESS=disabled: XDG_RUNTIME_DIR="$runtime" \
        xvfb-run -a -s "-screen 0 1280x800x24" "$script" "$@" || status=$?
    rm -rf "$runtime"
    exit $status
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The visible windows of process $1, one id a line.
windows_of() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null || true
}

# Waits (30 s at most) until process $1 shows exactly one window and prints its id.
one_window_of() {
    timeout 30 xdotool search --sync --onlyvisible --pid "$1" >/dev/null 2>&1 ||
        fail "process $1 shows no window"
    # A second window (a stray popup) would show up within this pause.
    sleep 0.5
    local ids
    ids=$(windows_of "$1")
    [ "$(echo "$ids" | wc -l)" -eq 1 ] || fail "process $1 shows $(echo "$ids" | wc -l) windows"
    echo "$ids"
}

# Waits (10 s at most) until process $1 shows $2 windows; fails saying $3 otherwise.
expect_windows() {
    for _ in $(seq 100); do
        [ "$(windows_of "$1" | grep -c .)" -eq "$2" ] && return 0
        sleep 0.1
    done
    fail "$3"
}

# Waits (10 s at most) until process $1 shows a window of $2x$3 pixels and prints its id.
window_sized() {
    local id size
    for _ in $(seq 100); do
        for id in $(windows_of "$1"); do
            size=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: //p')
            [ "$size" = "$2x$3" ] && echo "$id" && return 0
        done
        sleep 0.1
    done
    fail "process $1 shows no $2x$3 window"
}

# Sets X, Y, WIDTH and HEIGHT to window $1's geometry and fails unless its size is $2x$3.
geometry_of() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    [ "$WIDTH" -eq "$2" ] && [ "$HEIGHT" -eq "$3" ] || fail "window $1 is ${WIDTH}x$HEIGHT, not $2x$3"
}

# Clicks the screen point $1,$2 and gives the program a moment to redraw.
click_at() {
    xdotool mousemove "$1" "$2" click 1
    sleep "${3:-0.3}"
}

# Waits (30 s at most) for process $1 to end and fails unless its status is 0; $2 names it.
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

# Starts a second copy of the program (the command in the arguments) on the demo machine while
# the caller's copy runs there: it finds the single-instance mutex held, shows only its dialog,
# centred on the screen since it has no parent, and ends with 0 once its OK button is clicked.
check_second_copy() {
    TRAMSIK_MACHINE=demo "$@" &
    local pid=$!
    # The caller's X, Y, WIDTH and HEIGHT stay those of its own window.
    local dialog X Y WIDTH HEIGHT
    dialog=$(one_window_of $pid)
    geometry_of "$dialog" 466 177
    [ "$X" -eq $(((1280 - 466) / 2)) ] && [ "$Y" -eq $(((800 - 177) / 2)) ] ||
        fail "second copy's dialog at $X,$Y"
    # OK alone, at 180,110; its picture fills the top 36 pixels of the button.
    click_at $((X + 180 + 56)) $((Y + 110 + 18)) 0
    ends_with_zero $pid "the second copy"
}

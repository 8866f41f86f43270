#!/usr/bin/env bash
# Drives the SkinUI gallery on the SDL backend under Xvfb (no window manager) with xdotool:
# caption dragging, buttons, a modal dialog's code, the combo's list, the menu and closebtn.
# Usage: gallery_e2e.sh <skinui-gallery>
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/support/x_session.sh"
in_xvfb "$0" "$@"
trace=$(mktemp)
pid=
trap 'kill $pid 2>/dev/null || true; rm -f "$trace"' EXIT
"$1" --trace >"$trace" 2>&1 &
pid=$!

# Waits (5 s at most) until the trace has a line matching $1.
expect() {
    for _ in $(seq 50); do
        grep -q "$1" "$trace" && return 0
        sleep 0.1
    done
    cat "$trace" >&2
    fail "no \"$1\""
}

wid=$(one_window_of $pid)
expect "notify windowinit"
geometry_of "$wid" 860 560
x0=$X
y0=$Y

# The empty part of the caption band drags the window.
xdotool mousemove $((x0 + 500)) $((y0 + 15)) mousedown 1 mousemove $((x0 + 510)) $((y0 + 20)) \
    sleep 0.1 mousemove $((x0 + 540)) $((y0 + 45)) sleep 0.2 mouseup 1
sleep 0.3
geometry_of "$wid" 860 560
[ "$X" -eq $((x0 + 40)) ] && [ "$Y" -eq $((y0 + 30)) ] || fail "dragged to $X,$Y from $x0,$y0"

# A button in the page, then the modal dialog closed by its Cancel button.
click_at $((X + 76)) $((Y + 372)) 0.2
expect "notify click Button_Start"
click_at $((X + 303)) $((Y + 372)) 0.2
expect "notify click dialog_btn"
sleep 0.3
dialogX=$((X + (860 - 466) / 2))
dialogY=$((Y + (560 - 177) / 2))
click_at $((dialogX + 306)) $((dialogY + 128)) 0.2
expect "^dialog 2$"

# The combo's list opens below it; its second row selects item 1.
click_at $((X + 200)) $((Y + 111)) 0.2
expect "notify dropdown Drive_name"
sleep 0.3
click_at $((X + 200)) $((Y + 126 + 24 + 12)) 0.2
expect "notify itemselect Drive_name 1"

# menubtn opens the menu below it; its element "关于" shows the about dialog, OK gives 1.
click_at $((X + 860 - 3 * 34 + 17)) $((Y + 17)) 0.2
expect "notify click menubtn"
sleep 0.3
click_at $((X + 860 - 3 * 34 + 50)) $((Y + 34 + 4 + 10)) 0.7
click_at $((dialogX + 105 + 56)) $((dialogY + 110 + 18)) 0.2
expect "^dialog 1$"

# closebtn closes the window and the program ends with 0.
click_at $((X + 860 - 17)) $((Y + 17)) 0.2
ends_with_zero $pid "the gallery"
pid=
echo "gallery end-to-end: ok"

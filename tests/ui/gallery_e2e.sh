#!/usr/bin/env bash
# Drives the SkinUI gallery on the SDL backend under Xvfb (no window manager) with xdotool:
# dragging by the caption band moves the window, buttons click, a modal dialog returns the
# code of the button that closed it, the combo's popup list selects an item, the menu's element
# reaches the window, closebtn ends it.
# Usage: gallery_e2e.sh <skinui-gallery>   (run inside xvfb-run)
set -euo pipefail
gallery=$1
trace=$(mktemp)
trap 'kill $pid 2>/dev/null || true; rm -f "$trace"' EXIT
"$gallery" --trace >"$trace" 2>&1 &
pid=$!

fail() {
    echo "FAIL: $*" >&2
    cat "$trace" >&2
    exit 1
}
# Waits until the trace has a line matching $1.
expect() {
    for _ in $(seq 50); do
        grep -q "$1" "$trace" && return 0
        sleep 0.1
    done
    fail "no \"$1\""
}
click() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.2
}

wid=
for _ in $(seq 100); do
    wid=$(xdotool search --onlyvisible --name "SkinUI gallery" 2>/dev/null | head -n 1) || true
    [ -n "$wid" ] && break
    sleep 0.1
done
[ -n "$wid" ] || fail "the gallery window did not appear"
expect "notify windowinit"
eval "$(xdotool getwindowgeometry --shell "$wid")"
x0=$X
y0=$Y

# The empty part of the caption band drags the window.
xdotool mousemove $((x0 + 500)) $((y0 + 15)) mousedown 1 mousemove $((x0 + 510)) $((y0 + 20)) \
    sleep 0.1 mousemove $((x0 + 540)) $((y0 + 45)) sleep 0.2 mouseup 1
sleep 0.3
eval "$(xdotool getwindowgeometry --shell "$wid")"
[ "$X" -eq $((x0 + 40)) ] && [ "$Y" -eq $((y0 + 30)) ] || fail "dragged to $X,$Y from $x0,$y0"

# A button in the page, then the modal dialog closed by its Cancel button.
click $((X + 76)) $((Y + 372))
expect "notify click Button_Start"
click $((X + 303)) $((Y + 372))
expect "notify click dialog_btn"
sleep 0.3
dialogX=$((X + (860 - 466) / 2))
dialogY=$((Y + (560 - 177) / 2))
click $((dialogX + 306)) $((dialogY + 128))
expect "^dialog 2$"

# The combo's list opens below it; its second row selects item 1.
click $((X + 200)) $((Y + 111))
expect "notify dropdown Drive_name"
sleep 0.3
click $((X + 200)) $((Y + 126 + 24 + 12))
expect "notify itemselect Drive_name 1"

# menubtn opens the menu below it; its element "关于" shows the about dialog, OK gives 1.
click $((X + 860 - 3 * 34 + 17)) $((Y + 17))
expect "notify click menubtn"
sleep 0.3
click $((X + 860 - 3 * 34 + 50)) $((Y + 34 + 4 + 10))
sleep 0.5
click $((dialogX + 105 + 56)) $((dialogY + 110 + 18))
expect "^dialog 1$"

# closebtn closes the window and the program ends with 0.
click $((X + 860 - 17)) $((Y + 17))
for _ in $(seq 50); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
kill -0 $pid 2>/dev/null && fail "still running after closebtn"
wait $pid || fail "exit status $?"
echo "gallery end-to-end: ok"

#!/usr/bin/env bash
# Starts tramsik twice on the demo machine under Xvfb (no window manager) and drives it with
# xdotool: the first copy shows its main window; the second finds the single-instance mutex
# taken, shows only the second-copy dialog, and exits with 0 once its OK button is clicked; the
# first copy is unaffected and ends with 0 when its close button is clicked.
# A Windows program (Tramsik.exe, an installed one too) runs under Wine, in $WINEPREFIX.
# Usage: second_copy_e2e.sh <tramsik | Tramsik.exe>
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
source "$top/tests/support/x_session.sh"
in_xvfb "$0" "$@"
tramsik=("$1")
if [[ $1 == *.exe ]]; then
    tramsik=("$top/scripts/wine-run" "$1")
    # A desktop process left by a program without this display would serve no windows here.
    /usr/lib/wine/wineserver64 -w 2>/dev/null || true
fi
first_pid=
trap 'kill $first_pid 2>/dev/null || true' EXIT

TRAMSIK_MACHINE=demo "${tramsik[@]}" &
first_pid=$!
first=$(one_window_of $first_pid)
geometry_of "$first" 1024 728

check_second_copy "${tramsik[@]}"

kill -0 $first_pid 2>/dev/null || fail "the first copy ended with the second"
[ "$(windows_of $first_pid)" = "$first" ] || fail "the first copy's windows changed"
# closebtn: the rightmost 34x34 square of the title band.
click_at $((X + 1024 - 17)) $((Y + 17)) 0
ends_with_zero $first_pid "the first copy"
first_pid=
echo "second copy end-to-end: ok"

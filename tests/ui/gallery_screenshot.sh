#!/usr/bin/env bash
# Runs the SkinUI gallery on the SDL backend under Xvfb and checks the frame it saves: the X11
# driver was used (not SDL's silent offscreen fallback) and the picture has the skin's size.
# Usage: gallery_screenshot.sh <skinui-gallery> <output.png>
set -euo pipefail
gallery=$1
out=$2
export DBUS_SESSION_BUS_ADDRESS=disabled:
rm -f "$out"
log=$(timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" "$gallery" --screenshot "$out" 2>&1)
echo "$log"
grep -q "video driver x11" <<<"$log" || { echo "not drawn through X11" >&2; exit 1; }
[ -s "$out" ] || { echo "no screenshot" >&2; exit 1; }
# The PNG header: width and height, big-endian, at bytes 16 and 20.
size=$(od -An -tu1 -j16 -N8 "$out" | tr -s ' ')
[ "$size" = " 0 0 3 92 0 0 2 48" ] || { echo "unexpected size:$size" >&2; exit 1; }

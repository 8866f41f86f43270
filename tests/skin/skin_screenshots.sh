#!/usr/bin/env bash
# Draws the main window skin (migration page, English) and the message dialog skin (the
# migration confirmation) on the SDL backend under Xvfb and saves them as skin-main.png and
# skin-dialog.png in the output folder; checks that X11 drew them and that they have the skins'
# sizes. Usage: skin_screenshots.sh <skin-preview> <output-folder>
set -euo pipefail
preview=$1
out=$2
export DBUS_SESSION_BUS_ADDRESS=disabled:
mkdir -p "$out"

# shot <file> <expected "width height"> <preview options...>
shot() {
  local file=$out/$1 expected=$2
  shift 2
  rm -f "$file"
  local log
  log=$(timeout 60 xvfb-run -a -s "-screen 0 1280x800x24" "$preview" "$@" --screenshot "$file" 2>&1)
  echo "$log"
  grep -q "video driver x11" <<<"$log" || { echo "$file: not drawn through X11" >&2; exit 1; }
  [ -s "$file" ] || { echo "$file: no screenshot" >&2; exit 1; }
  # The PNG header holds width and height, big-endian, at bytes 16 and 20.
  local size
  size=$(od -An -tu4 --endian=big -j16 -N8 "$file" | tr -s ' ' | sed 's/^ //')
  [ "$size" = "$expected" ] || { echo "$file: size $size, expected $expected" >&2; exit 1; }
}

shot skin-main.png "1024 728" --lang en --page 0
shot skin-dialog.png "466 177" --lang en --dialog 81 99 1 48

#!/usr/bin/env bash
# Starts C-Tarvolin under a virtual X server, adds a few files through the real "Add Files"
# dialog, types a base name and saves a picture of the main window. It then double-clicks a
# row to edit that one file and saves the window again, leaves with "Cancel", opens the About
# window with "About..." and saves that too; both pictures go next to the first.
#   scripts/screenshot.sh [output.png]      (default: docs/screenshot-main.png)
#   -> output.png, screenshot-edit.png, screenshot-about.png
# BUILD_DIR names the build directory that holds app/ctarvolin (default: build-ui).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-ui}
out=${1:-$root/docs/screenshot-main.png}
program=$build/app/ctarvolin

missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v xdotool >/dev/null || missing+=(xdotool)
command -v xwininfo >/dev/null || missing+=(x11-utils)
# "convert" may be a stand-in elsewhere on the path; "import" comes only with ImageMagick.
command -v import >/dev/null || missing+=(imagemagick)
fc-list 2>/dev/null | grep 'Liberation Sans' >/dev/null || missing+=(fonts-liberation)
if ((${#missing[@]})); then
    apt-get install -y "${missing[@]}"
fi
[[ -x $program ]] || { echo "build $program first" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
    [[ -n ${app_pid:-} ]] && kill "$app_pid" 2>/dev/null || true
    [[ -n ${xvfb_pid:-} ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/photos"
for name in holiday.jpg beach.jpg index.html notes README; do
    echo "$name" >"$work/photos/$name"
done
chmod a-w "$work/photos/README"

source "$(dirname "$0")/xvfb.sh"
start_xvfb "$work" -screen 0 1024x768x24

(cd "$work" && exec "$program") &
app_pid=$!
window=$(xdotool search --sync --onlyvisible --name '^C-Tarvolin$' | head -1)

# Window-relative centres of controls, at 96 dpi: "Add Files" and the base name field.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
click 473 339
dialog=$(xdotool search --sync --onlyvisible --name '^Add Files$' | head -1)
xdotool windowfocus --sync "$dialog"
sleep 0.5
names=""
for name in holiday.jpg beach.jpg index.html notes README; do
    names+="\"$work/photos/$name\" "
done
xdotool type --delay 2 "$names"
xdotool key Return
sleep 1
click 209 23
xdotool type --delay 20 "trip"
# Select the first row, which also shows the list with the focus.
click 60 181
sleep 0.5

mkdir -p "$(dirname "$out")"
import -window "$window" "$out"
echo "saved $out"

# Single-file editing: a double-click on the read-only README row loads its name and
# attributes; "Change" and "Cancel" appear and the other buttons are locked.
shots=$(dirname "$out")
xdotool mousemove --window "$window" 60 253 click --repeat 2 --delay 100 1
sleep 0.5
import -window "$window" "$shots/screenshot-edit.png"
echo "saved $shots/screenshot-edit.png"

# "Cancel", then "About...".
click 568 16
sleep 0.3
click 324 380
about=$(xdotool search --sync --onlyvisible --name '^About\.\.\.$' | head -1)
sleep 0.5
import -window "$about" "$shots/screenshot-about.png"
echo "saved $shots/screenshot-about.png"
# Enter closes it: OK is its default button.
xdotool key Return

#!/usr/bin/env bash
# Shows C-Tarvolin under a virtual X server, adds a few files through the real "Add Files"
# dialog, types a base name and saves a picture of the main window. It then double-clicks a
# row to edit that one file and saves the window again, leaves with "Cancel", opens the About
# window with "About..." and saves that too; both pictures go next to the first. The window is
# driven by tests/ui/WindowTour.cpp, which finds each control by its object name through the
# window tests' driver and saves each picture with QWidget::grab().
#   scripts/screenshot.sh [output.png]      (default: docs/screenshot-main.png)
#   -> output.png, screenshot-edit.png, screenshot-about.png
# BUILD_DIR names the build directory that holds tests/ui/window_tour (default: build-ui).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-ui}
out=${1:-$root/docs/screenshot-main.png}
tour=$build/tests/ui/window_tour

"$root/scripts/install-deps.sh" build
[[ -x $tour ]] || { echo "build $tour first" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
    [[ -n ${xvfb_pid:-} ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir "$work/photos"
files=""
for name in holiday.jpg beach.jpg index.html notes README; do
    echo "$name" >"$work/photos/$name"
    files+="$work/photos/$name"$'\n'
done
chmod a-w "$work/photos/README"

source "$root/scripts/xvfb.sh"
start_xvfb "$work" -screen 0 1024x768x24

mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
# Runs from the window keep their journals apart from the user's.
(cd "$work" && TOUR_FILES="$files" TOUR_SHOT="$out" XDG_STATE_HOME="$work/state" \
    LC_ALL=C.UTF-8 "$tour" shots -silent)

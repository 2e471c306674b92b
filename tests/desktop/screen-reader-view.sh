#!/usr/bin/env bash
# Runs the program under Xvfb in a session bus of its own, with the accessibility bus that a
# screen reader uses, and asks it through AT-SPI what a screen reader would find
# (screen_reader_view.py). Exits with 77, which ctest counts as skipped, when a tool is missing.
#   screen-reader-view.sh PROGRAM
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Debian's python3-pyatspi belongs to the system's Python, whatever else is first in PATH.
python=/usr/bin/python3
if [ "${1:-}" != --in-session ]; then
    for tool in dbus-run-session Xvfb xdpyinfo $python; do
        command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 77; }
    done
    $python -c 'import pyatspi' 2>/dev/null || { echo "python3-pyatspi is missing"; exit 77; }
    exec dbus-run-session -- "$0" --in-session "$@"
fi
program=$2
work=$(mktemp -d)
app_pid=
xvfb_pid=
finish() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
# shellcheck source=../../scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"
start_xvfb "$work" || exit 1
printf x >"$work/a.txt"
XDG_STATE_HOME=$work/state QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" "$work/a.txt" \
    >"$work/program.log" 2>&1 &
app_pid=$!
$python "$here/screen_reader_view.py"
status=$?
[ $status -eq 0 ] || cat "$work/program.log"
exit $status

#!/usr/bin/env bash
# Times what a user does with the real program on a real X server: "Add Files", Shift+Tab
# into the dialog's file list, Ctrl+A, Enter; a base name; "Start". Keys and clicks are real
# X events (xdotool). For each N it prints, in milliseconds:
#   select   Ctrl+A in the dialog -> the program idle again
#   open     Enter in the dialog  -> the list shown and the program idle again
#   start    click on "Start"     -> the program idle again
# and the program's resident memory and its peak so far (VmRSS, VmHWM) after each step,
# through Ctrl+Z undoing the run.
# beside the core's batch run over N files of the same kind (rename_bench), with ratio lines
# and the targets: start <= 1.5 x core + 100 ms, open <= 1 s for 10 000 files.
#
# "Idle" is read from the kernel: the program's user-interface thread has used less than
# 1 ms of processor time in every 5 ms for QUIET_MS (default 300). The time reported ends at
# the last busy sample, so the quiet wait itself is not counted.
#
# Where to click is asked of the window itself: tests/ui/WindowTour.cpp finds the controls by
# their object names through the window tests' driver and prints their centres.
#
#   bench/dialog_bench.sh [N...]          default: 1000 10000
#   BUILD_DIR (default: build) holds app/ctarvolin, bench/rename_bench and
#   tests/ui/window_tour; files go to BENCH_DIR (default: /dev/shm).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
program=$build/app/ctarvolin
rename_bench=$build/bench/rename_bench
tour=$build/tests/ui/window_tour
quiet_ms=${QUIET_MS:-300}
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 10000)
"$root/scripts/install-deps.sh" build || exit 1
[ -x "$program" ] && [ -x "$rename_bench" ] && [ -x "$tour" ] ||
    { echo "build $program, $rename_bench and $tour first" >&2; exit 1; }

work=$(mktemp -d "${BENCH_DIR:-/dev/shm}/tarvolin-dialog-XXXXXX")
app_pid=""
xvfb_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
source "$root/scripts/xvfb.sh"
start_xvfb "$work" -screen 0 1280x1024x24 || exit 1

# Window-relative centres of "Add Files", "File Name:" and "Start", by object name.
declare -A centre=()
while read -r name x y; do
    centre[$name]="$x $y"
done < <(XDG_STATE_HOME="$work/state" "$tour" centres -silent 2>/dev/null |
    grep -E '^[a-z-]+ [0-9]+ [0-9]+$')
for name in add-files name-field start; do
    [ -n "${centre[$name]:-}" ] || { echo "dialog_bench: no centre for $name" >&2; exit 1; }
done

# A descriptor that never has data: `read -t` on it sleeps without starting a process.
exec {nap_fd}<> <(:)
nap() { read -r -t "$1" -u "$nap_fd" || true; }
now_us() { echo "${EPOCHREALTIME/./}"; }
ui_thread_ns() { # processor time of the program's main (user-interface) thread
    local ns _
    read -r ns _ <"/proc/$app_pid/task/$app_pid/schedstat" || ns=0
    echo "$ns"
}

# `mark` notes the time and the thread's processor time just before an action; idle_after
# then waits until the program is idle and prints the milliseconds from the mark to its last
# busy moment. Work done before the first sample (while xdotool was still running) counts as
# busy at that sample.
mark() {
    mark_us=$(now_us)
    mark_ns=$(ui_thread_ns)
}
idle_after() { # quiet time in ms
    local quiet_us=$(($1 * 1000)) last_busy=$mark_us previous=$mark_ns current sample
    while kill -0 "$app_pid" 2>/dev/null; do
        nap 0.005
        sample=$(now_us)
        current=$(ui_thread_ns)
        ((current - previous >= 1000000)) && last_busy=$sample
        previous=$current
        ((sample - last_busy >= quiet_us)) && break
    done
    echo $(((last_busy - mark_us) / 1000))
}

# xdotool's own "click" waits 100 ms between press and release; a button acts on release,
# so the press is made first and the release alone is timed.
key() { xdotool key --delay 0 "$@"; }
press_in_window() { xdotool mousemove --window "$window" "$1" "$2" mousedown 1; }
release() { xdotool mouseup 1; }
click_in_window() { press_in_window "$@" && release; }

core_ms() { # N: the journaled batch run's best time over N empty files, from rename_bench
    "$rename_bench" "$1" "$work" | awk '$1 == "journal" && $2 != "1t" { printf "%d", $2 * 1000 }'
}

memory=""
note_memory() { # STEP: the program's resident memory and its peak so far, in MiB
    memory+=$(awk -v step="$1" '/^VmRSS|^VmHWM/ { v[$1] = $2 }
        END { printf "  memory %-11s rss %4d MiB  peak %4d MiB\n", step, v["VmRSS:"] / 1024, v["VmHWM:"] / 1024 }' \
        "/proc/$app_pid/status")$'\n'
}

run_one() { # N
    local count=$1 dir=$work/files-$1
    mkdir -p "$dir"
    (cd "$dir" && seq -f 'photo%06g.jpg' 1 "$count" | xargs touch)
    local core
    core=$(core_ms "$count")

    (cd "$dir" && exec "$program") >"$work/app.log" 2>&1 &
    app_pid=$!
    mark
    window=$(xdotool search --sync --onlyvisible --name '^C-Tarvolin$' | head -1)
    idle_after "$quiet_ms" >/dev/null
    memory=""
    note_memory idle

    # "Add Files"; the dialog opens in the program's folder and lists it: wait until that is
    # done.
    mark
    click_in_window ${centre[add-files]}
    local dialog
    dialog=$(xdotool search --sync --onlyvisible --name '^Add Files$' | head -1)
    xdotool windowfocus --sync "$dialog"
    idle_after 1000 >/dev/null
    note_memory dialog
    mark
    key shift+Tab
    idle_after "$quiet_ms" >/dev/null
    local select open run
    mark
    key ctrl+a
    select=$(idle_after "$quiet_ms")
    note_memory "Ctrl+A"
    mark
    key Return
    open=$(idle_after "$quiet_ms")
    note_memory "rows shown"

    # A base name in "File Name:", then "Start".
    click_in_window ${centre[name-field]}
    mark
    xdotool type --delay 0 bench
    idle_after "$quiet_ms" >/dev/null
    press_in_window ${centre[start]}
    idle_after "$quiet_ms" >/dev/null
    mark
    release
    run=$(idle_after "$quiet_ms")
    note_memory "Start"
    local renamed
    renamed=$(find "$dir" -maxdepth 1 -name 'bench_*' | wc -l)

    # Ctrl+Z in "File Name:" undoes the window's own last run; its outcome box is closed.
    key ctrl+z
    idle_after "$quiet_ms" >/dev/null
    key Return
    idle_after "$quiet_ms" >/dev/null
    note_memory "Ctrl+Z"
    local undone
    undone=$(find "$dir" -maxdepth 1 -name 'photo*' | wc -l)

    kill "$app_pid" && wait "$app_pid" 2>/dev/null
    app_pid=""
    rm -rf "$dir"

    echo "files $count (renamed $renamed)"
    [ "$renamed" -eq "$count" ] || echo "WARNING: only $renamed of $count files were renamed"
    echo "  core   $core ms (batch run, rename_bench)"
    echo "  select $select ms (Ctrl+A in the dialog)"
    echo "  open   $open ms (Enter in the dialog -> list shown)"
    echo "  start  $run ms (Start -> window idle)"
    printf '%s' "$memory"
    [ "$undone" -eq "$count" ] || echo "WARNING: undo gave back $undone of $count names"
    awk -v c="$core" -v o="$open" -v s="$run" -v n="$count" 'BEGIN {
        c = (c > 0 ? c : 1)
        printf "  ratio start/core %.2f (target: start <= %d ms)\n", s / c, 1.5 * c + 100
        printf "  ratio open/core %.2f%s\n", o / c, (n == 10000 ? " (target: open <= 1000 ms)" : "")
    }'
}

for count in "${counts[@]}"; do
    run_one "$count"
done

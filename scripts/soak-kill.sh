#!/bin/sh
# Kills runs at random moments with SIGKILL, then answers the start-up box at random ("Undo the
# Run" or "Keep") and checks the folder: every file once (0 lost, 0 doubled), none under a
# temporary name (0 hidden), no empty file the program made (0 left over). Not part of CI.
#
#   scripts/soak-kill.sh FOLDER [KILLS] [FILES] [case|names]
#
# FOLDER is an empty folder on the mounted volume to try (tmpfs, ext4, ntfs-3g, exfat-fuse,
# fusefat...). "case" turns the extensions' letter case over (IMG_00001.JPG -> .jpg and back),
# "names" gives every file a new name. Needs build/tests/soak_driver (or $SOAK_DRIVER).
set -eu

folder=${1:?usage: soak-kill.sh FOLDER [KILLS] [FILES] [case|names]}
kills=${2:-20}
files=${3:-2000}
mode=${4:-case}
driver=${SOAK_DRIVER:-$(dirname "$0")/../build/tests/soak_driver}
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT

[ -z "$(ls -A "$folder")" ] || { echo "soak-kill: $folder is not empty" >&2; exit 2; }
"$driver" make "$folder" "$files"

now_ms() { date +%s%3N; }

# One whole run, to know how long a run lasts here.
start=$(now_ms)
"$driver" run "$state" "$folder" "$mode" >/dev/null
span=$(( $(now_ms) - start ))
[ "$span" -gt 0 ] || span=1
echo "a whole run of $files files takes $span ms"

failed=0
hits=0
parked=0
undos=0
keeps=0
kill_no=0
while [ "$kill_no" -lt "$kills" ]; do
    kill_no=$((kill_no + 1))
    "$driver" run "$state" "$folder" "$mode" >/dev/null &
    run=$!
    delay=$(( $(od -An -N4 -tu4 /dev/urandom) % span ))
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -9 "$run" 2>/dev/null || true
    wait "$run" 2>/dev/null || true
    if [ $(( $(od -An -N1 -tu1 /dev/urandom) % 2 )) -eq 0 ]; then
        answer=undo
        undos=$((undos + 1))
    else
        answer=keep
        keeps=$((keeps + 1))
    fi
    recovered=ok
    "$driver" recover "$state" "$answer" >"$state/recover.log" || recovered=failed
    if grep -q '^unfinished' "$state/recover.log"; then
        hits=$((hits + 1))
        grep -q 'moved, [1-9]' "$state/recover.log" && parked=$((parked + 1))
    fi
    if ! result=$("$driver" check "$folder" "$files") || [ "$recovered" != ok ]; then
        failed=$((failed + 1))
        echo "kill $kill_no after ${delay} ms, $answer: $result, recovery $recovered"
        cat "$state/recover.log"
    fi
done
echo "$kills kills ($undos undone, $keeps kept): $hits in a run, $parked of them with a file" \
    "under a temporary name; $failed with a fault"
"$driver" check "$folder" "$files"
[ "$failed" -eq 0 ]

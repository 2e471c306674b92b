#!/bin/sh
# Runs rename_bench on tmpfs and on a fresh ext4 image on a loop device (the image on the disk
# under /tmp, so the journal's fsync reaches a real disk). Needs root for the loop mount.
#   bench/rename_bench.sh BUILD_DIR [N...]     N defaults to 100000 and 1000000.
set -eu
bench="$1/bench/rename_bench"
shift
counts="${*:-100000 1000000}"
work=$(mktemp -d /tmp/rename-bench.XXXXXX)
cleanup() { umount "$work/ext4" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
truncate -s 4G "$work/image"
mkfs.ext4 -q -N 3000000 "$work/image"
mkdir "$work/ext4"
mount -o loop "$work/image" "$work/ext4"
for n in $counts; do
    echo "== tmpfs"; "$bench" "$n" /dev/shm 3
    echo "== ext4 on a loop device"; "$bench" "$n" "$work/ext4" 3
done

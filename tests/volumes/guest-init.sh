#!/bin/busybox sh
# The guest's /init: loads the file system drivers, mounts the six test volumes, runs the
# volume contract suite on them and leaves the witness files, then powers off. Everything the
# host reads goes to the second serial port, apart from the kernel's messages on the first.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
out=/dev/ttyS1
while read -r module; do
    insmod "/modules/$module.ko" || echo "cannot load $module" >"$out"
done </modules/order
echo "kernel $(uname -r)" >"$out"

mounted=""
attach() { # kind, device, file system, options
    mkdir -p "/mnt/$1"
    if mount -t "$3" ${4:+-o "$4"} "$2" "/mnt/$1"; then
        mounted="$mounted $1=/mnt/$1"
    else
        echo "cannot mount $2 as $3 ${4:-}" >"$out"
        dmesg | tail -3 >"$out"
    fi
}
attach vfat /dev/vda vfat utf8
attach exfat /dev/vdb exfat
attach ntfs3 /dev/vdc ntfs3
attach ntfs3-nocase /dev/vdd ntfs3 nocase
attach casefold-ext4 /dev/vde ext4
attach ext4-small-inodes /dev/vdf ext4

export TARVOLIN_VOLUMES="${mounted# }" TZ=UTC
/volume_contract_test --gtest_color=no >"$out" 2>&1
echo "contract exit $?" >"$out"
/volume_contract_test --leave-witnesses >"$out" 2>&1
echo "witnesses exit $?" >"$out"

for point in /mnt/*; do umount "$point" || echo "cannot unmount $point" >"$out"; done
sync
echo "guest done" >"$out"
poweroff -f

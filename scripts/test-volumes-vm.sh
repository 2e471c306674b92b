#!/usr/bin/env bash
# Runs the volume contract suite on the kernel drivers this machine's kernel lacks: vfat,
# exfat, ntfs3 (also mounted nocase) and case-folding ext4, and on an ext4 with 128-byte
# inodes, whose times end in 2038, inside a virtual machine with
# Debian's own 6.12 kernel under software emulation. The kernel package is downloaded, never
# installed; the guest is a busybox initramfs holding the statically linked suite and the
# driver modules; each volume is a fresh image attached as a virtio disk. After the guest has
# powered off, the images are read on this machine by tools that do not go through any
# driver: the FAT and exFAT directory entries, ntfsinfo, and each file system's checker.
#
#   scripts/test-volumes-vm.sh [build directory]     default: build
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
suite=$build/tests/volumes/volume_contract_vm
[ -x "$suite" ] || { echo "build $suite first" >&2; exit 1; }
scripts/install-deps.sh vm || exit 1

work=$(mktemp -d "${TMPDIR:-/tmp}/tarvolin-vm.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# --- the kernel, resolved through the metapackage: the image package's name moves with each
# security update, and old ones leave the archive.
meta=linux-image-6.12-cloud-amd64
image_package() { apt-cache depends "$meta" 2>/dev/null | awk '/Depends:/ { print $2; exit }'; }
package=$(image_package)
if [ -z "$package" ] || ! (cd "$work" && apt-get download -q "$package" >/dev/null 2>&1); then
    apt-get update -qq && package=$(image_package)
    (cd "$work" && apt-get download -q "$package" >/dev/null 2>&1) ||
        { echo "FAIL: cannot download $meta ($package)" >&2; exit 1; }
fi
dpkg-deb -x "$work"/linux-image-*.deb "$work/kernel"
release=$(ls "$work/kernel/lib/modules")
modules=$work/kernel/lib/modules/$release/kernel
echo "guest kernel: $release"

# --- the initramfs: busybox, the suite, and the modules with what they depend on, in an
# order in which each loads.
initrd=$work/initrd
mkdir -p "$initrd"/{bin,dev,proc,sys,mnt,modules}
cp /bin/busybox "$initrd/bin/busybox"
cp "$suite" "$initrd/volume_contract_test"
install -m 755 tests/volumes/guest-init.sh "$initrd/init"
declare -A loaded=()
add_module() { # module name as the kernel spells it
    local name=$1 file depends dependency
    [ -n "${loaded[$name]:-}" ] && return 0
    file=$(find "$modules" -name "$name.ko.xz" -o -name "${name//_/-}.ko.xz" -o -name "${name//-/_}.ko.xz" | head -1)
    [ -n "$file" ] || { echo "FAIL: no module $name in $release" >&2; return 1; }
    depends=$(xz -dc "$file" | tr '\0' '\n' | sed -n 's/^depends=//p' | head -1)
    for dependency in ${depends//,/ }; do add_module "$dependency" || return 1; done
    xz -dc "$file" >"$initrd/modules/$name.ko"
    echo "$name" >>"$initrd/modules/order"
    loaded[$name]=1
}
for module in virtio_blk nls_ascii nls_cp437 nls_iso8859-1 nls_utf8 vfat exfat ntfs3; do
    add_module "$module" || exit 1
done
(cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initrd.gz"

# --- fresh volumes, 64 MiB each
make_image() { # name, command...
    truncate -s 64M "$work/$1.img" && "${@:2}" "$work/$1.img" >"$work/mkfs-$1.log" 2>&1 ||
        { cat "$work/mkfs-$1.log"; fail "cannot make $1.img"; }
}
make_image vfat mkfs.vfat -F 32
make_image exfat mkfs.exfat
make_image ntfs3 mkntfs -F -Q
make_image nocase mkntfs -F -Q
make_image casefold mkfs.ext4 -q -O casefold
make_image smallinodes mkfs.ext4 -q -I 128
drives=()
for name in vfat exfat ntfs3 nocase casefold smallinodes; do
    drives+=(-drive "file=$work/$name.img,if=virtio,format=raw")
done

# --- the guest; it reaches its test in seconds, the limit leaves room for a loaded machine.
timeout 300 qemu-system-x86_64 -M q35 -accel tcg -cpu max -smp 1 -m 512 -nodefaults \
    -no-user-config -display none -no-reboot \
    -kernel "$work/kernel/boot/vmlinuz-$release" -initrd "$work/initrd.gz" \
    -append "console=ttyS0 panic=-1 quiet" "${drives[@]}" \
    -serial "file:$work/console.log" -serial "file:$work/results.log"
status=$?
cat "$work/results.log"
if [ $status -ne 0 ] || ! grep -q '^guest done' "$work/results.log"; then
    echo "--- guest console ---"
    cat "$work/console.log"
    fail "the guest did not finish (qemu exit $status)"
fi
grep -q '^contract exit 0' "$work/results.log" || fail "the contract suite failed in the guest"
grep -q '^witnesses exit 0' "$work/results.log" || fail "the witnesses were not left"

# --- witnesses, read from the images
expect_line() { # description, text, expected line (extended regular expression)
    grep -Eq "$3" <<<"$2" && echo "ok: $1" || fail "$1: expected /$3/ in:"$'\n'"$2"
}
for name in vfat exfat; do
    entries=$(python3 tests/volumes/fat_entries.py "$work/$name.img")
    # hidden 0x02 + system 0x04 + archive 0x20
    expect_line "$name: H+S+A and the modify time in the entry" "$entries" \
        '^witness-hsa.txt attributes=0x0*26 modified=2024-07-15T14:00:02 '
    expect_line "$name: read-only in the entry" "$entries" '^witness-r.txt attributes=0x0*01 '
    expect_line "$name: the new letter case in the entry" "$entries" '^Witness-Case.TXT '
    grep -qi '^witness-case.txt ' <<<"$entries" && ! grep -q '^Witness-Case.TXT' <<<"$entries" &&
        fail "$name: old spelling left"
done
fsck.vfat -n "$work/vfat.img" >"$work/fsck.log" 2>&1 || { cat "$work/fsck.log"; fail "fsck.vfat"; }
fsck.exfat -n "$work/exfat.img" >"$work/fsck.log" 2>&1 || { cat "$work/fsck.log"; fail "fsck.exfat"; }
for name in ntfs3 nocase; do
    info=$(ntfsinfo -F /witness-hsa.txt "$work/$name.img" 2>&1)
    expect_line "$name: H+S+A in the attribute word" "$info" 'File attributes:.*HIDDEN.*SYSTEM.*ARCHIVE'
    info=$(ntfsinfo -F /witness-r.txt "$work/$name.img" 2>&1)
    expect_line "$name: read-only in the attribute word" "$info" 'File attributes:.*READONLY'
    listing=$(ntfsls "$work/$name.img" 2>&1)
    expect_line "$name: the new letter case on the disk" "$listing" '^Witness-Case.TXT$'
    ntfsfix -n "$work/$name.img" >"$work/fsck.log" 2>&1 || { cat "$work/fsck.log"; fail "ntfsfix -n $name"; }
done
e2fsck -fn "$work/casefold.img" >"$work/fsck.log" 2>&1 || { cat "$work/fsck.log"; fail "e2fsck casefold"; }
listing=$(debugfs -R "ls -l /" "$work/casefold.img" 2>/dev/null)
expect_line "casefold-ext4: the new letter case on the disk" "$listing" ' Witness-Case.TXT'

echo "volume test in the virtual machine: $failures failure(s)"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# Installs the Debian packages a group of tasks needs, and only those that are missing. Runs as
# root, or through sudo.
#   scripts/install-deps.sh [group...]     groups: build (the default), vm
set -euo pipefail

declare -A groups=(
    # the build, the program and its tests
    [build]="cmake ninja-build g++ pkg-config
             libgtest-dev libgmock-dev
             qt6-base-dev libgl-dev fonts-liberation
             xvfb xauth x11-utils xdotool
             e2fsprogs attr locales util-linux
             clang libclang-rt-14-dev
             ntfs-3g samba smbclient exfat-fuse fusefat dosfstools exfatprogs"
    # the volume contract suite in a virtual machine: the emulator, the guest's userland, the
    # tools that make and read the images
    [vm]="qemu-system-x86 busybox-static cpio xz-utils python3
          dosfstools exfatprogs ntfs-3g e2fsprogs"
)

missing=()
for group in "${@:-build}"; do
    [ -n "${groups[$group]:-}" ] || { echo "no package group $group" >&2; exit 2; }
    for package in ${groups[$group]}; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"

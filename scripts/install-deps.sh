#!/usr/bin/env bash
# Installs the Debian packages a group of tasks needs, and only those that are missing. Runs as
# root, or through sudo.
#   scripts/install-deps.sh [group...]     groups: build (the default), run, windows, package, vm
set -euo pipefail

declare -A groups=(
    # building the program alone and starting it (scripts/run.sh): no test toolchain
    [run]="cmake ninja-build g++ qt6-base-dev libgl-dev fonts-liberation gzip"
    # the build, the program and its tests
    [build]="cmake ninja-build g++ pkg-config
             libgtest-dev libgmock-dev
             qt6-base-dev libgl-dev fonts-liberation
             xvfb xauth x11-utils xdotool
             dbus-daemon at-spi2-core python3-pyatspi
             e2fsprogs attr locales util-linux
             clang libclang-rt-14-dev clang-format
             ntfs-3g samba smbclient exfat-fuse fusefat dosfstools exfatprogs"
    # the core and the file layer cross-built for Windows and run under Wine (64-bit only)
    [windows]="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
               mingw-w64-x86-64-dev googletest wine wine64 cmake ninja-build"
    # the Debian package and its checks
    [package]="cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins dpkg-dev
               desktop-file-utils appstream lintian xvfb x11-utils"
    # the volume contract suite in a virtual machine: the emulator, the guest's userland, the
    # tools that make and read the images
    [vm]="qemu-system-x86 busybox-static cpio xz-utils python3
          dosfstools exfatprogs ntfs-3g e2fsprogs"
)
# Wine recommends a desktop's worth of packages that a headless test run does not need.
declare -A recommends=([windows]=--no-install-recommends)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
updated=false
for group in "${@:-build}"; do
    [ -n "${groups[$group]:-}" ] || { echo "no package group $group" >&2; exit 2; }
    missing=()
    for package in ${groups[$group]}; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && continue
    echo "Installing: ${missing[*]}"
    $updated || $sudo apt-get update -qq
    updated=true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq ${recommends[$group]:-} \
        "${missing[@]}"
done

#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, and only those
# that are missing. Runs as root, or through sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config          # build
    libgtest-dev libgmock-dev                 # core and file tests
    qt6-base-dev libgl-dev fonts-liberation   # the window, with a metric twin of Arial
    xvfb xauth                                # screenshots on a machine without a display
    e2fsprogs attr locales util-linux         # chattr, loop images, xattr tools, localedef, mount
    clang libclang-rt-14-dev                  # libFuzzer
    ntfs-3g samba smbclient                   # NTFS volumes, and what a Windows client sees
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"

#!/usr/bin/env bash
# Builds everything and runs every test: a normal build, the file layer's contract on the
# kernel's FAT, exFAT, NTFS and case-folding drivers in a virtual machine, the fuzz targets
# for a bounded time, the core and file layer as Windows programs under Wine, the Debian package, and
# finally the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Exits non-zero when anything failed; the last lines are ctest's summary of that last run.
#   scripts/test.sh            everything, as CI runs it
#   scripts/test.sh --quick    the everyday loop: one build and its test suites
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh || exit 1

jobs=$(nproc)
status=0

ctest_output=--output-on-failure
build_and_test() { # build-dir, extra cmake arguments...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null &&
        cmake --build "$dir" -j "$jobs" &&
        (cd "$dir" && ctest "$ctest_output" -j "$jobs") || status=1
}

build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo
[ "${1:-}" = --quick ] && exit $status
# Every source as clang-format (the .clang-format at the root) writes it.
{ git ls-files -z '*.cpp' '*.h' 2>/dev/null ||
    find app core fileops filelist ui tests bench -name '*.cpp' -print0 -o -name '*.h' -print0; } |
    xargs -0 clang-format --dry-run -Werror || status=1
# The same file-layer contract on vfat, exfat, ntfs3 and case-folding ext4, in a virtual
# machine with Debian's 6.12 kernel, and the images read afterwards.
scripts/test-volumes-vm.sh build || status=1
# The fuzz targets need clang's libFuzzer; they run for a bounded time each and print how
# many inputs they tried.
CXX=clang++ ctest_output=--verbose build_and_test build-fuzz \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVOLIN_FUZZ=ON -DTARVOLIN_BUILD_TESTS=OFF
# The core and the file layer once more as Windows programs, under Wine.
scripts/test-windows.sh || status=1
# The .deb: validators, lintian, its files, and its program showing a window under Xvfb.
scripts/test-package.sh || status=1
build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DTARVOLIN_SANITIZE=ON
exit $status

#!/usr/bin/env bash
# Builds the program and starts it. Only what building and running need is installed; the
# test suites (and their toolchain) are left out, in a build folder of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVOLIN_BUILD_TESTS=OFF >/dev/null
cmake --build build-run --target ctarvolin -j "$(nproc)"
exec build-run/app/ctarvolin "$@"

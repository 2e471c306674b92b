#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time on a scratch copy of its seed corpus, so
# the repository's seeds stay as they are. Any finding ends it with a non-zero status and
# leaves the input in the scratch directory named in the output.
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3
scratch=$(mktemp -d /tmp/tarvolin-fuzz-XXXXXX)
trap 'rm -rf "$scratch/corpus"' EXIT
mkdir "$scratch/corpus"
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$scratch/" \
    "$scratch/corpus" "$seeds" 2>&1 | grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|artifact|Done' || true
exit "${PIPESTATUS[0]}"

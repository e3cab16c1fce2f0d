#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time over the corpus kept in the
# repository; new inputs go to a folder of the build, the repository stays as it is.
set -eu
fuzzer=$1 corpus=$2 fresh=$3 seconds=$4
mkdir -p "$fresh" "$corpus"
exec "$fuzzer" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
    "$fresh" "$corpus"

#!/usr/bin/env bash
# Runs one fuzzer for a number of seconds from its seed corpus in the
# repository. New inputs go to a scratch corpus in the build tree, never
# into the repository. Usage: run-fuzzer.sh FUZZER SEEDS SCRATCH SECONDS
set -euo pipefail
fuzzer=$1 seeds=$2 scratch=$3 seconds=$4
rm -rf "$scratch"
mkdir -p "$scratch"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
     -artifact_prefix="$scratch/" "$scratch" "$seeds"

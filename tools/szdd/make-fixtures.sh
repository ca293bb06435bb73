#!/usr/bin/env bash
# Writes the SZDD test fixtures: every sample, and beside it its compressed
# form under the name COMPRESS -r gives it (last character replaced by "_").
# Usage: make-fixtures.sh SAMPLES_TOOL SZDD_TOOL OUTPUT_DIR
set -euo pipefail
samples=$1 szdd=$2 out=$3
rm -rf "$out"
mkdir -p "$out"
"$samples" "$out"
for f in "$out"/*; do
    "$szdd" "$f" "${f%?}_"
done

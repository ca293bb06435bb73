#!/usr/bin/env bash
# The benchmarks' payload: 300 files F000.DAT .. F299.DAT, about 31 MB in
# all, of text lines drawn at random from a hundred random ones, so that
# they compress about as program files do. Each call draws new lines.
# Usage: tools/bench/make-payload.sh FOLDER   (made; files in it are replaced)
set -euo pipefail
folder=${1:?usage: make-payload.sh FOLDER}
mkdir -p "$folder"
folder=$(realpath "$folder")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/payload.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
head -c 5700 /dev/urandom | base64 -w 56 > "$scratch/lines"
shuf -r -n 560000 "$scratch/lines" > "$scratch/pool"
(cd "$folder" && split -n 300 -a 3 -d --additional-suffix=.DAT "$scratch/pool" F)

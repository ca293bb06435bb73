#!/usr/bin/env bash
# tools/medium-for-flavour.py on a set of floppies laid out with the i686
# product: afterwards SETUP.EXE and UNINSTAL.EXE are the x86-64 build, and
# inf-check --medium finds every file matching its [Checksums] line, so the
# setup would install them rather than call them damaged.
# Usage: medium-for-flavour.sh SOURCE_DIR HOST_TOOLS PRODUCT_DIR FLAVOUR_BUILD COMPANIONS
set -euo pipefail
source=$1 tools=$2 product=$3 build=$4 companions=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

machine() {  # the PE header's machine field, in hex
    local pe
    pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
    od -An -tx2 -j $((pe + 4)) -N 2 "$1" | tr -d ' '
}

"$tools/mkmedium" --disk-size 1457664 "$source/demo/SETUP.INF" "$work/floppies" "$product" "$companions" \
    --text "$source/demo" > /dev/null
[ "$(machine "$work/floppies/DISK1/SETUP.EXE")" = 014c ] || { echo "FAIL: the medium's SETUP.EXE is no i386 program"; exit 1; }
"$source/tools/medium-for-flavour.py" "$work/floppies" "$build"
for program in SETUP.EXE UNINSTAL.EXE; do
    cmp -s "$work/floppies/DISK1/$program" "$build/$program" || { echo "FAIL: $program was not replaced"; exit 1; }
done
"$tools/inf-check" --medium "$work/floppies" "$work/floppies/DISK1/SETUP.INF" || { echo "FAIL: inf-check --medium"; exit 1; }
echo "passed"

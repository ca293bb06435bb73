#!/usr/bin/env bash
# Builds the committed sources twice, from two clones in different folders,
# and compares the i686 programs and the sample medium byte for byte: the
# same sources must give the same programs (the link stamps no time).
# Usage: tools/check-reproducible.sh [COMMIT]   (HEAD when none)
set -euo pipefail
cd "$(dirname "$0")/.."
commit=$(git rev-parse "${1:-HEAD}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for side in one two; do
    git clone -q . "$work/$side-sources" && git -C "$work/$side-sources" checkout -q "$commit"
    cmake -S "$work/$side-sources" -B "$work/$side" -DSETUP_FLAVOUR=i686 > /dev/null
    cmake --build "$work/$side" --target medium -j"$(nproc)" > "$work/$side.log" 2>&1 ||
        { cat "$work/$side.log"; exit 1; }
done
status=0
for file in SETUP.EXE UNINSTAL.EXE companions/QXMAIN.EXE companions/QXPAGE.DLL; do
    cmp "$work/one/$file" "$work/two/$file" || status=1
done
diff -r "$work/one/medium" "$work/two/medium" || status=1
[ $status -eq 0 ] && echo "$commit: both builds give the same programs and the same sample medium"
exit $status

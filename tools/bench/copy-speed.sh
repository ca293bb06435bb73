#!/usr/bin/env bash
# Copy-speed benchmark: how long the Install page takes to copy a payload of
# 300 files (about 31 MB), plain and SZDD-compressed, against a bare
# LZOpenFileA/LZCopy loop over the same files into the same folder: into an
# empty folder, over the files of the last run, and over older files of the
# same names. Prints both times and their ratio per payload and kind of run.
# A measurement, not a test: ctest never runs it, and nothing asserts a time.
#
# It runs in the flavour this host runs (tools/flavour.sh), against the
# build tree of that flavour (build/FLAVOUR, which must have been built),
# and in a throwaway copy of that tree's template prefix.
# With "profile" it also prints where the time of each went, call by call.
# Usage: tools/bench/copy-speed.sh [ROUNDS] [profile]   (default 5 rounds; medians are shown)
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/flavour.sh
rounds=${1:-5} profile=${2:-}
build=build/$FLAVOUR
for needed in "$build/libsetup.a" "$build/wine-template/template.stamp" "$build/host-tools/szdd"; do
    [ -e "$needed" ] || { echo "$needed is missing: build $build first" >&2; exit 1; }
done
case $FLAVOUR in
    i686) target=i686-w64-mingw32 ;;
    x86_64) target=x86_64-w64-mingw32 ;;
esac

work=$(mktemp -d "${TMPDIR:-/tmp}/copy-speed.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The benchmark program: the program's library and resources, and the
# import patch of the tests to see the page's status texts.
(cd resources && "$target-windres" -I . -I .. setup.rc -O coff -o "$work/setup.res.o")
"$target-g++-win32" -std=c++17 -O2 -I. -Iresources \
    -DWINVER=0x0400 -D_WIN32_WINDOWS=0x0400 -D_WIN32_WINNT=0x0400 -DWIN32_LEAN_AND_MEAN \
    tools/bench/copy-speed.cpp tests/support/import_patch.cpp "$work/setup.res.o" "$build/libsetup.a" \
    -luser32 -lgdi32 -lcomdlg32 -ladvapi32 -llz32 -lshell32 -lole32 -luuid -lkernel32 -static -o "$work/copy-speed.exe"

# 300 files, about 31 MB in all (tools/bench/make-payload.sh); the SZDD
# payload is the same files compressed.
mkdir -p "$work/szdd"
tools/bench/make-payload.sh "$work/plain"
for file in "$work/plain"/*; do
    "$build/host-tools/szdd" "$file" "$work/szdd/$(basename "$file")"
done
echo "flavour $FLAVOUR; payload $(ls "$work/plain" | wc -l) files," \
     "plain $(du -sm "$work/plain" | cut -f1) MB, SZDD $(du -sm "$work/szdd" | cut -f1) MB"

for payload in plain szdd; do
    echo "--- $payload"
    tests/support/wine-run.sh "$build/wine-template" "$work/copy-speed.exe" \
        "Z:$(tr / '\\' <<<"$work/$payload")" "$rounds" $profile | tr -d '\r'
done

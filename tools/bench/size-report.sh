#!/usr/bin/env bash
# The size of the product SETUP.EXE (the i686 build), section by section,
# against the limit of 64 KiB and against the smallest NSIS stub.
# Usage: tools/bench/size-report.sh [SETUP.EXE]
# Without an argument it takes the product of build/i686 or, failing that,
# the one that the x86_64 flavour builds beside its own.
set -euo pipefail
cd "$(dirname "$0")/../.."
exe=${1:-}
if [ -z "$exe" ]; then
    for candidate in build/i686/SETUP.EXE build/x86_64/product-i686/SETUP.EXE; do
        [ -f "$candidate" ] && { exe=$candidate; break; }
    done
fi
[ -n "$exe" ] && [ -f "$exe" ] || { echo "no SETUP.EXE built; build first or name it" >&2; exit 1; }

LIMIT=65536
# NSIS's smallest stub (zlib, ANSI), as the team measured it: no pictures.
NSIS_STUB=91136

total=$(stat -c %s "$exe")
# objdump -h: index, name, size, VMA, LMA, file offset, alignment. A
# section's bytes in the file run from its offset to the next section's
# (sections are padded to the file alignment); .bss has none.
mapfile -t rows < <(i686-w64-mingw32-objdump -h "$exe" | awk '$1 ~ /^[0-9]+$/ {print $2, $3, $6}')
echo "$exe"
printf '%-10s %10s %10s  %s\n' section "in file" contents "what"
offsets=()
for row in "${rows[@]}"; do
    read -r name size offset <<<"$row"
    offsets+=($((16#$offset)))
done
headers=$total
for o in "${offsets[@]}"; do
    [ "$o" -gt 0 ] && [ "$o" -lt "$headers" ] && headers=$o
done
printf '%-10s %10d %10s  %s\n' headers "$headers" - "DOS stub, PE header, section table"
for i in "${!rows[@]}"; do
    read -r name size offset <<<"${rows[$i]}"
    start=$((16#$offset)) contents=$((16#$size))
    if [ "$start" -eq 0 ]; then
        infile=0
    else
        end=$total
        for o in "${offsets[@]}"; do
            [ "$o" -gt "$start" ] && [ "$o" -lt "$end" ] && end=$o
        done
        infile=$((end - start))
    fi
    case $name in
        .text) what="code" ;;
        .data) what="initialised data" ;;
        .rdata) what="constants, texts" ;;
        .bss) what="zero-filled data (takes no room in the file)" ;;
        .idata) what="imports" ;;
        .rsrc) what="resources: bitmaps, icons, dialogs, strings" ;;
        .eh_fram*) what="unwind tables" ;;
        .reloc) what="relocations" ;;
        *) what="" ;;
    esac
    printf '%-10s %10d %10d  %s\n' "$name" "$infile" "$contents" "$what"
done
printf '%-10s %10d\n' total "$total"
printf 'limit      %10d  (%+d)\n' "$LIMIT" $((total - LIMIT))
printf 'NSIS stub  %10d  (%+d)\n' "$NSIS_STUB" $((total - NSIS_STUB))
[ "$total" -le "$LIMIT" ]

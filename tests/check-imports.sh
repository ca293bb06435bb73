#!/usr/bin/env bash
# Fails when a program of the product (SETUP.EXE, UNINSTAL.EXE, and the
# sample's QXMAIN.EXE and QXPAGE.DLL) imports a function outside the
# reviewed allow-list of Windows 95 functions (and so from a DLL outside
# it), asks for a subsystem version above 4.0, or, unless it is --installed
# (run from the installation folder), lacks the header flags that let it
# run from the swap file when started from a removable or network drive.
# Usage: check-imports.sh [--installed] PROGRAM imports.allow
set -euo pipefail
installed=no
if [ "${1:-}" = --installed ]; then installed=yes; shift; fi
exe=$1 allow=$2
dump=$(i686-w64-mingw32-objdump -p "$exe")
status=0

major=$(awk '$1 == "MajorSubsystemVersion" {print $2}' <<<"$dump")
minor=$(awk '$1 == "MinorSubsystemVersion" {print $2}' <<<"$dump")
if [ -z "$major" ] || [ $(( major * 100 + minor )) -gt 400 ]; then
    echo "subsystem version $major.$minor is above 4.0"
    status=1
fi

characteristics=$(awk '$1 == "Characteristics" {print $2; exit}' <<<"$dump")
for flag in 0x0400:IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP 0x0800:IMAGE_FILE_NET_RUN_FROM_SWAP; do
    [ $installed = yes ] && break
    if [ -z "$characteristics" ] || [ $(( characteristics & ${flag%%:*} )) -eq 0 ]; then
        echo "${flag#*:} is not set (Characteristics ${characteristics:-missing})"
        status=1
    fi
done

# "DLL Name: KERNEL32.dll" starts a block; its entries end in the function name.
imports=$(awk '
    /^\tDLL Name:/ { dll = toupper($3); next }
    /^\tvma:/ || /^$/ { next }
    dll != "" && /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print dll "!" $3 }
    /^The Export Tables/ || /^The Function Table/ { dll = "" }' <<<"$dump" | sort -u)
if [ -z "$imports" ]; then
    echo "no imports found in $exe"
    exit 1
fi
unexpected=$(comm -23 <(echo "$imports") <(grep -v '^#' "$allow" | sed '/^$/d' | sort -u))
if [ -n "$unexpected" ]; then
    echo "imports outside $allow:"
    echo "$unexpected"
    status=1
fi
echo "$(wc -l <<<"$imports") imports checked"
exit $status

#!/usr/bin/env bash
# Builds the template Wine prefix that every test process copies: 32-bit,
# Windows 98 mode, null display driver (the run wrapper switches to X11 when
# a display is there). Usage: make-template-prefix.sh OUTPUT_DIR
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out"
prefix=$out/prefix
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
# No Gecko or Mono: their installers would ask on first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
grep -q '"Version"="win98"' "$prefix/user.reg"
grep -q '"Graphics"="null"' "$prefix/user.reg"

# Wine's own binaries are hard-linked into each copy; everything else (the
# registry files, ini files, directories) is unpacked from private.tar, so a
# test can write any of it without touching the template.
cd "$prefix"
find . -type f | grep -i -E '\.(dll|exe|drv|sys|ocx|cpl|acm|tlb|ds|ax|nls|vxd|ttf|ttc|fon|com)$' \
    | sort > "$out/linked.list"
find . \( -type d -o -type l \) -print | sort > "$out/dirs.list"
find . -type f | sort | comm -23 - "$out/linked.list" > "$out/private.list"
tar -cf "$out/private.tar" --no-recursion -T "$out/dirs.list" -T "$out/private.list"
touch "$out/template.stamp"

#!/usr/bin/env bash
# Builds the template Wine prefix that every test process copies, set to
# Windows 98, with the null display driver (the run wrapper switches to X11
# when a display is there). The i686 flavour gets a 32-bit prefix; the x86_64
# flavour a 64-bit one under wine64, given the C:\windows\system folder that
# Windows 98 always has. OUTPUT_DIR/wine.env says how to run Wine on it.
# Usage: make-template-prefix.sh OUTPUT_DIR i686|x86_64
set -euo pipefail
out=$1 flavour=$2
rm -rf "$out"
mkdir -p "$out"
prefix=$out/prefix
case $flavour in
    # Whenever wine32 is installed, /usr/bin/wine picks the 32-bit loader even
    # for a 64-bit prefix, so the 64-bit one is named.
    x86_64) echo "export WINEARCH=win64 WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64" ;;
    i686) echo "export WINEARCH=win32 WINE=/usr/lib/wine/wine" ;;
    *) echo "unknown flavour $flavour" >&2; exit 2 ;;
esac > "$out/wine.env"
# shellcheck source=/dev/null
. "$out/wine.env"
export WINEPREFIX=$prefix WINEDEBUG=-all
# No Gecko or Mono: their installers would ask on first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
"$WINE" wineboot -i >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine' /v Version /d win98 /f >/dev/null 2>&1
"$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
# Every start of a fresh copy boots the prefix: the services that start with
# it (event log, network, plug and play) and the menu builder, none of which a
# Windows 98 PC has or a test uses, would cost a second each time. They start
# on demand instead.
for service in Eventlog NDIS nsiproxy PlugPlay; do
    "$WINE" reg add "HKLM\\System\\CurrentControlSet\\Services\\$service" /v Start /t REG_DWORD /d 3 /f >/dev/null 2>&1
done
"$WINE" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\RunServices' /v winemenubuilder /f >/dev/null 2>&1
wineserver -w
grep -q '"Version"="win98"' "$prefix/user.reg"
grep -q '"Graphics"="null"' "$prefix/user.reg"
mkdir -p "$prefix/drive_c/windows/system"

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

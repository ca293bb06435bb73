#!/usr/bin/env bash
# The unattended installation against NSIS 3: the same payload of 300 files
# (about 31 MB, tools/bench/make-payload.sh) installed by SETUP.EXE /S from
# our medium and by an NSIS installer with /S, each a whole process from its
# start to its end, timed from the host. Two pairs:
#   SZDD   our medium with every payload file SZDD-compressed (mkmedium),
#          against NSIS's zlib (its default compressor, not solid);
#   plain  our medium with the files as they are, against NSIS with
#          compression off.
# Both programs are x86-64 builds and run under wine64: ours from
# build/x86_64, NSIS's from Debian's nsis package (Target amd64-unicode).
# Every run gets a fresh copy of that tree's template prefix (Windows 98
# mode, null display), seeded as a Windows 98 PC with a PS/2 mouse by
# WIN98PC.EXE, which also starts the prefix's wineserver and services: the
# timed process finds the prefix up, as an installer on a running PC does.
# The installer lies on drive D: and installs into C:\Program Files\Bench,
# with the payload in DATA\ and one Start-menu shortcut, the uninstaller's.
# Beside what both do (the files, an uninstaller, an uninstall entry and the
# shortcut), SETUP.EXE also registers the mouse driver and switches
# system.ini: its own work, which NSIS has no part of.
# The runs alternate: in each round each pair runs once, in turns that swap
# from round to round. A program that does nothing but start and end is
# timed the same way, the floor of every figure. The ratios are those of the
# medians, and of the best runs (the least disturbed by the rest of the
# machine). Each run is also cut in
# three by the payload files' birth and change times, the same marks for
# both installers: the start (until the first payload file is created), the
# copy (until the last one is complete) and the rest (until the process has
# ended). Prints every run, the medians, and for each pair ours/NSIS.
# With "phases" it then runs SETUP.EXE /S /LOG under perf (linux-perf:
# tracepoints of write, fsync and the process's start and end) ROUNDS times
# on each medium and prints where its time went, phase by phase
# (tools/bench/setup-phases.py).
# A measurement, not a test: ctest never runs it, and nothing asserts a time.
#
# Needs build/x86_64 built (SETUP_FLAVOUR=x86_64, or ./test --flavour
# x86_64) and makensis: apt-get install -y nsis. --programs DIR measures the
# SETUP.EXE and UNINSTAL.EXE (x86-64 builds) of DIR instead of build/x86_64's.
# Usage: tools/bench/nsis-compare.sh [--programs DIR] [ROUNDS] [phases]   (default 5 rounds, at least 3)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
usage="usage: nsis-compare.sh [--programs DIR] [ROUNDS] [phases]   (ROUNDS at least 3)"
build=$root/build/x86_64
programs=$build
if [ "${1:-}" = --programs ]; then
    programs=$(realpath "${2:?$usage}")
    shift 2
fi
rounds=${1:-5} phases=${2:-}
[[ $rounds =~ ^[0-9]+$ ]] && [ "$rounds" -ge 3 ] && [[ $phases =~ ^(phases)?$ ]] || { echo "$usage" >&2; exit 2; }
for needed in WIN98PC.EXE host-tools/mkmedium wine-template/template.stamp; do
    [ -e "$build/$needed" ] || { echo "$build/$needed is missing: build the x86_64 flavour first" >&2; exit 1; }
done
for needed in SETUP.EXE UNINSTAL.EXE; do
    [ -e "$programs/$needed" ] || { echo "$programs/$needed is missing" >&2; exit 1; }
done
if [ -n "$phases" ]; then
    command -v perf >/dev/null || { echo "perf is missing: apt-get install -y linux-perf" >&2; exit 1; }
    perf record -q -o /dev/null -e sched:sched_process_exec true 2>/dev/null ||
        { echo "perf may not record tracepoints here (run as root, or lower kernel.perf_event_paranoid)" >&2; exit 1; }
fi
command -v makensis >/dev/null || { echo "makensis is missing: install Debian's NSIS (as root: apt-get update; apt-get install -y nsis)" >&2; exit 1; }
[ -f /usr/share/nsis/Stubs/zlib-amd64-unicode ] || { echo "this NSIS has no amd64-unicode stubs" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/nsis-compare.XXXXXX")
prefix=$work/prefix
# shellcheck source=/dev/null
. "$build/wine-template/wine.env"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; fi; rm -rf "$work"' EXIT

# The payload lies in DATA\, as the script's SubDir1 names it.
tools/bench/make-payload.sh "$work/payload/DATA"

# Our medium: the script of the sample with its file lists replaced: the
# programs, the script and the payload on one disk, and the uninstaller's
# shortcut. Its [Main] and [Startup] are the sample's, so the driver
# registration does what it does for the sample.
section() {  # section NAME: that section of the sample's script, header included
    tr -d '\r' < demo/SETUP.INF | awk -v want="[$1]" '/^\[/ { inside = ($0 == want) } inside'
}
write_script() {  # write_script SUFFIX: the payload's source names end in SUFFIX
    section Main
    printf '[DiskLabel]\nDisk1=Bench\n\n[FileCounts]\nDisk1=303\n\n[DirectoryName]\nRootDir=.\nSubDir1=DATA\n\n'
    printf '[Disk1]\n1=SETUP.EXE,SETUP.EXE,Setup program,RootDir\n2=SETUP.INF,SETUP.INF,Setup script,RootDir\n'
    printf '3=UNINSTAL.EXE,UNINSTAL.EXE,Uninstall program,RootDir\n'
    for n in $(seq 0 299); do
        printf '%d=F%03d.DA%s,F%03d.DAT,Part %d,SubDir1\n' $((n + 4)) "$n" "$1" "$n" $((n + 1))
    done
    printf '\n[PM Info]\n1=UNINSTAL.EXE,Uninstall,\n\n'
    section Startup
}
write_script _ > "$work/SETUP-szdd.INF"
write_script T > "$work/SETUP-plain.INF"
for kind in szdd plain; do
    "$build/host-tools/mkmedium" "$work/SETUP-$kind.INF" "$work/ours-$kind" "$programs" "$work/payload" >/dev/null
done

# The NSIS installers of the same payload: the files, an uninstaller, its
# uninstall entry and its shortcut.
write_nsis() {  # write_nsis COMPRESSION_LINE OUTPUT
    cat <<EOF
Unicode true
Target amd64-unicode
$1
Name "Bench"
OutFile "$2"
InstallDir "C:\\Program Files\\Bench"
RequestExecutionLevel admin
Page directory
Page instfiles
Section
  SetOutPath "\$INSTDIR\\DATA"
  File "$work/payload/DATA/*.DAT"
  SetOutPath "\$INSTDIR"
  WriteUninstaller "\$INSTDIR\\UNINST.EXE"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bench" "DisplayName" "Bench"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bench" "UninstallString" '"\$INSTDIR\\UNINST.EXE"'
  CreateDirectory "\$SMPROGRAMS\\Bench"
  CreateShortcut "\$SMPROGRAMS\\Bench\\Uninstall.lnk" "\$INSTDIR\\UNINST.EXE"
SectionEnd
Section Uninstall
  RMDir /r "\$INSTDIR"
  RMDir /r "\$SMPROGRAMS\\Bench"
  DeleteRegKey HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bench"
SectionEnd
EOF
}
mkdir -p "$work/nsis-zlib" "$work/nsis-off"
write_nsis "SetCompressor zlib" "$work/nsis-zlib/BENCH.EXE" > "$work/zlib.nsi"
write_nsis "SetCompress off" "$work/nsis-off/BENCH.EXE" > "$work/off.nsi"
for nsi in zlib off; do makensis -V1 "$work/$nsi.nsi" >/dev/null; done

# The floor: a program that starts, loads the window system as both
# installers do, and ends.
mkdir -p "$work/empty"
printf '#include <windows.h>\nint WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return GetSystemMetrics(SM_CXSCREEN) > 0 ? 0 : 1; }\n' \
    > "$work/empty.c"
x86_64-w64-mingw32-gcc-win32 -O2 -mwindows "$work/empty.c" -o "$work/empty/EMPTY.EXE"

mb() { du -sb "$1" | awk '{printf "%.1f MB", $1 / 1e6}'; }
echo "payload: $(ls "$work/payload/DATA" | wc -l) files, $(mb "$work/payload/DATA");" \
     "our media: SZDD $(mb "$work/ours-szdd"), plain $(mb "$work/ours-plain");" \
     "NSIS $(makensis -VERSION) installers: zlib $(mb "$work/nsis-zlib"), no compression $(mb "$work/nsis-off")"

# run NAME MEDIUM PROGRAM [ARGS...]: the program from D: (the medium's
# folder) in a fresh seeded prefix, under the command of the array wrapper
# when it has one; checks what it installed and appends "whole start copy
# rest" (seconds) to $times/NAME.
wrapper=()
run() {
    local name=$1 medium=$2
    shift 2
    rm -rf "$prefix"
    tools/copy-prefix.sh "$build/wine-template" "$prefix"
    export WINEPREFIX=$prefix
    wineserver -p
    "$WINE" "$build/WIN98PC.EXE" ps2 >/dev/null
    ln -s "$medium" "$prefix/dosdevices/d:"
    sync  # the last run's writes and the copy of the prefix are not this run's to wait for
    local start=$EPOCHREALTIME code=0
    "${wrapper[@]}" "$WINE" "$@" || code=$?
    local end=$EPOCHREALTIME
    wineserver -k
    wineserver -w
    [ "$code" -eq 0 ] || { echo "$name ended with exit code $code" >&2; exit 1; }
    local data="$prefix/drive_c/Program Files/Bench/DATA" stamps="0 0"
    if [ "$name" != empty ]; then
        diff -rq "$work/payload/DATA" "$data" >/dev/null || { echo "$name did not install the payload whole" >&2; exit 1; }
        # The first file's birth, the last change of any: 0 where the file
        # system keeps no birth time.
        stamps=$(stat -c '%.9W %.9Z' "$data"/* | sort -n | awk 'NR == 1 { b = $1 } $2 > c { c = $2 } END { printf "%.9f %.9f", b, c }')
    fi
    awk -v s="$start" -v e="$end" -v stamps="$stamps" 'BEGIN {
        split(stamps, t, " ")
        if (t[1] > 0) printf "%.3f %.3f %.3f %.3f\n", e - s, t[1] - s, t[2] - t[1], e - t[2]
        else printf "%.3f - - -\n", e - s }' >> "$times/$name"
    rm -rf "$prefix"
}
times=$work/times
mkdir "$times"
ours=('D:\SETUP.EXE' /S /MOUSE=PS2 '/DIR=C:\Program Files\Bench')
shown() { awk '{ printf "%s s (start %s, copy %s, rest %s)", $1, $2, $3, $4 }' <(tail -1 "$times/$1"); }
for round in $(seq "$rounds"); do
    if [ $((round % 2)) -eq 1 ]; then
        run ours-szdd "$work/ours-szdd" "${ours[@]}"; run nsis-zlib "$work/nsis-zlib" 'D:\BENCH.EXE' /S
        run ours-plain "$work/ours-plain" "${ours[@]}"; run nsis-off "$work/nsis-off" 'D:\BENCH.EXE' /S
    else
        run nsis-zlib "$work/nsis-zlib" 'D:\BENCH.EXE' /S; run ours-szdd "$work/ours-szdd" "${ours[@]}"
        run nsis-off "$work/nsis-off" 'D:\BENCH.EXE' /S; run ours-plain "$work/ours-plain" "${ours[@]}"
    fi
    run empty "$work/empty" 'D:\EMPTY.EXE'
    echo "round $round:"
    echo "  SETUP.EXE /S SZDD   $(shown ours-szdd)"
    echo "  NSIS /S zlib        $(shown nsis-zlib)"
    echo "  SETUP.EXE /S plain  $(shown ours-plain)"
    echo "  NSIS /S off         $(shown nsis-off)"
    echo "  empty program       $(tail -1 "$times/empty" | cut -d' ' -f1) s"
done

# median NAME [COLUMN]: the median of a column (1 the whole run) of NAME's runs.
median() {
    cut -d' ' -f"${2:-1}" "$times/$1" | sort -n |
        awk '{ v[NR] = $1 } END { if (v[1] == "-") print "-"; else printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
best() { cut -d' ' -f1 "$times/$1" | sort -n | head -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
medians() { echo "$(median "$1") s (start $(median "$1" 2), copy $(median "$1" 3), rest $(median "$1" 4)), best $(best "$1") s"; }
echo "medians of $rounds runs each (each part a median of its own); the empty program $(median empty) s"
echo "  SETUP.EXE /S SZDD   $(medians ours-szdd)"
echo "  NSIS /S zlib        $(medians nsis-zlib)"
echo "  SETUP.EXE /S plain  $(medians ours-plain)"
echo "  NSIS /S off         $(medians nsis-off)"
for pair in "SZDD vs zlib:   ours-szdd nsis-zlib" "plain vs plain: ours-plain nsis-off"; do
    read -r _ _ _ ours_name nsis_name <<<"$pair"
    echo "${pair%%:*}: ours/NSIS $(ratio "$(median "$ours_name")" "$(median "$nsis_name")")x" \
         "(of the best runs $(ratio "$(best "$ours_name")" "$(best "$nsis_name")")x)"
done

[ -n "$phases" ] || exit 0
# Where our time goes: the log's lines and the flushes, timed by perf.
for kind in szdd plain; do
    pairs=()
    for round in $(seq "$rounds"); do
        wrapper=(perf record -q -o "$work/perf.data" -e syscalls:sys_enter_write --filter 'count != 64 && count < 4096'
                 -e syscalls:sys_enter_fsync -e syscalls:sys_exit_fsync -e sched:sched_process_exec -e sched:sched_process_exit --)
        run "phases-$kind" "$work/ours-$kind" "${ours[@]}" "/LOG=Z:${work//\//\\}\\phases-$kind-$round.log"
        perf script -i "$work/perf.data" > "$work/phases-$kind-$round.txt" 2>/dev/null
        pairs+=("$work/phases-$kind-$round.txt" "$work/phases-$kind-$round.log")
    done
    wrapper=()
    echo "where SETUP.EXE /S spends its time, $kind medium (medians of $rounds runs with /LOG):"
    tools/bench/setup-phases.py "${pairs[@]}"
done

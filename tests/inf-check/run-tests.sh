#!/usr/bin/env bash
# Runs inf-check on each script here and compares its findings with the
# script's .expected file; the sample script must be clean. medium.inf is
# checked on a small medium made here with the project's compressor.
# checksums.inf is laid out here by mkmedium, which is built beside inf-check,
# and the media it makes are verified by their checksums, whole and damaged.
# The profile limits are tried on scripts made here from limits.inf, by
# inf-check and by mkmedium.
# With the media mkmedium built, checks them too: the sample medium clean, and
# the floppies within their size, each disk holding exactly the files its
# section lists.
# Usage: run-tests.sh INF_CHECK SZDD DEMO_SCRIPT [MEDIUM FLOPPIES DISK_SIZE]
set -uo pipefail
check=$1 szdd=$2 demo=$3 medium=${4:-} floppies=${5:-} size=${6:-}
mkmedium=$(dirname "$check")/mkmedium
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0 passed=0

expect() {  # NAME EXPECTED_FILE COMMAND...
    local name=$1 expected=$2; shift 2
    if diff -u "$expected" <("$@" 2>&1; echo "exit $?") > "$work/diff"; then
        passed=$((passed + 1))
    else
        echo "FAIL: $name"; cat "$work/diff"; failed=$((failed + 1))
    fi
}

cd "$here"
for script in checksums.inf disks.inf fields.inf groups.inf installed.inf; do
    expect "$script" "${script%.inf}.expected" "$check" "$script"
done

# The sample script, alone: no output, exit 0.
printf 'exit 0\n' > "$work/clean"
expect "demo script" "$work/clean" "$check" "$demo"
printf 'absent.inf:0: error: the file does not exist\nexit 1\n' > "$work/absent"
expect "a script that is not there" "$work/absent" "$check" absent.inf

mkdir -p "$work/medium/DATA"
cp medium.inf "$work/medium/SETUP.INF"
head -c 3000 /dev/zero > "$work/medium/A.EXE"
printf 'notes\r\n' > "$work/B.TXT" && "$szdd" "$work/B.TXT" "$work/medium/DATA/B.TX_"
printf 'plain' > "$work/medium/DATA/E.DA_"
touch "$work/medium/UNINSTAL.EXE" "$work/medium/QXMAIN.EXE" "$work/medium/QXPAGE.DLL"
cd "$work/medium"
expect "medium.inf" "$here/medium.expected" "$check" --medium . SETUP.INF

# Checksums. The payload is made here; TEXT.TXT ends in a character found
# nowhere else in it, so the compressed file ends in that very byte as a
# literal, whatever the compressor's matches: changed there, the expanded
# file changes in its last byte alone, and the finding does not depend on
# how well the compressor does.
mkdir -p "$work/payload"
cd "$work/payload"
printf 'MZ stand-in' > SETUP.EXE
printf 'MZ' | tee UNINSTAL.EXE QXMAIN.EXE > QXPAGE.DLL
printf 123456789 > NINE.TXT
: > EMPTY.DAT
{ seq 1 400; printf '~'; } > TEXT.TXT
seq 1000 1400 > PLAIN.BIN
for i in $(seq 1 60); do printf 'driver %d\r\n' $((i % 7)); done > DRIVER.DRV
cd "$work"
cp "$here/checksums.inf" .
"$mkmedium" checksums.inf sums payload > /dev/null
"$mkmedium" --disk-size 4096 checksums.inf sums-disks payload > /dev/null
# Every section of the name, as the profile functions find one: only the new.
section() {
    tr -d '\r' < "$1" | awk '/^[ \t]*\[/ { on = tolower($0) ~ /^[ \t]*\[[ \t]*checksums[ \t]*\]/ } on'
}
expect "checksums: the section mkmedium writes" "$here/checksums-section.expected" section sums/SETUP.INF

flip() {  # FILE OFFSET: one bit of one byte changed, as a bad sector would
    local byte
    byte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
    printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
damage_none() { :; }
damage_flipped() {
    flip DOCS/EN/TEXT.TX_ $(($(stat -c %s DOCS/EN/TEXT.TX_) - 1))
    flip DATA/PLAIN.BIN 100
}
damage_unrecorded() { sed -i '/^DATA.PLAIN.BIN=/d' SETUP.INF; }
damage_no_section() { sed -i '/^\[Checksums\]/,$d' SETUP.INF; }
for case in none flipped unrecorded no_section; do
    rm -rf "$work/copy" && cp -r "$work/sums" "$work/copy" && cd "$work/copy" && "damage_$case"
    expected=$here/checksums-$case.expected
    [ "$case" = none ] && expected=$work/clean
    expect "checksums: damage $case" "$expected" "$check" --medium . SETUP.INF
done

# On disks the line numbers of the script follow the number of disks, which
# follows the compressor's sizes: they are left out.
without_lines() { "$@" | sed 's/:[0-9]*: /:N: /'; return "${PIPESTATUS[0]}"; }
cd "$work/sums-disks"
expect "checksums: disks" "$work/clean" "$check" --medium . DISK1/SETUP.INF
truncate -s 5 "$(find . -name nine.txt)"  # a download cut short
expect "checksums: disks, cut" "$here/checksums-cut.expected" without_lines "$check" --medium . DISK1/SETUP.INF

# Two lines with one source path but other files: the medium would hold one.
cd "$work"
sed 's/^8=nine.txt,NINE.TXT,/8=nine.txt,PLAIN.BIN,/' checksums.inf > clash.inf
expect "checksums: one path, two files" "$here/checksums-clash.expected" "$mkmedium" clash.inf clash payload

# Profile limits. A script made from limits.inf: NOTES bytes of comment lines
# as [Notes], lead lines before [Main] filling the file to FILE bytes ("-":
# none), and DISKS disks of FILES file lines each (disk 1 also installs the
# four files the program names in the installation folder).
limits_script() {  # NOTES FILE DISKS FILES
    local lead=0
    [ "$2" = - ] || lead=$(($2 - $(limits_script "$1" - "$3" "$4" | wc -c)))
    awk -v notes="$1" -v lead="$lead" -v disks="$3" -v files="$4" '
        function comments(bytes,   n, line) {  # lines of BYTES bytes in all
            for (; bytes > 0; bytes -= n) {
                n = bytes > 102 ? 100 : bytes
                for (line = ";"; length(line) < n - 2; ) line = line "x"
                printf "%s\r\n", line
            }
        }
        BEGIN { split("SETUP.INF UNINSTAL.EXE QXMAIN.EXE QXPAGE.DLL", named, " ") }
        $0 == "; lead" { comments(lead); next }
        $0 == "; notes" { comments(notes); next }
        { printf "%s\r\n", $0 }
        END {
            printf "\r\n[DiskLabel]\r\n"
            for (d = 1; d <= disks; d++) printf "Disk%d=Limits Disk %d\r\n", d, d
            printf "\r\n[FileCounts]\r\n"
            for (d = 1; d <= disks; d++) printf "Disk%d=%d\r\n", d, files + (d == 1 ? 4 : 0)
            for (d = 1; d <= disks; d++) {
                printf "\r\n[Disk%d]\r\n", d
                for (i = 1; i <= files; i++) printf "%d=F%d%03d.DAT,F%d%03d.DAT,,SubDir1\r\n", i, d, i, d, i
                # The files the program names in the installation folder.
                if (d == 1)
                    for (i = 1; i <= 4; i++) printf "%d=%s,%s,,RootDir\r\n", files + i, named[i], named[i]
            }
        }' "$here/limits.inf"
}
# The rows: [Notes] at its limit and one byte over; the file one byte over,
# and at its limit, where its copy with checksums no longer fits; 1000 file
# lines, whose [Checksums] does not fit.
cd "$work"
while read -r name notes file disks files; do
    limits_script "$notes" "$file" "$disks" "$files" > "$name.inf"
    expect "$name" "$here/$name.expected" "$check" "$name.inf"
done <<'EOF'
limits-fits       32767     - 1   1
limits-section    32768     - 1   1
limits-file       30000 65536 1   1
limits-file-fits  30000 65535 1   1
limits-copy           0     - 2 500
EOF
# The copy mkmedium writes of the last, in one folder and on one floppy (all
# its lines in one [Disk1]): refused, and nothing left of the medium.
mkdir -p limits-payload
(cd limits-payload && printf 'MZ' | tee UNINSTAL.EXE QXMAIN.EXE QXPAGE.DLL > SETUP.EXE && seq -f 'F%g.DAT' 1001 1500 | xargs touch && seq -f 'F%g.DAT' 2001 2500 | xargs touch)
built() { "$mkmedium" "$@"; local status=$?; [ -e "$2" ] && find "$2" | sort; return "$status"; }
while read -r name options; do
    expect "$name" "$here/$name.expected" built limits-copy.inf "$name" limits-payload $options
done <<'EOF'
limits-mkmedium
limits-mkmedium-disk --disk-size 1457664
EOF

# What a FAT floppy gives DIR's files: their 512-byte clusters, and those of
# each folder's entries ("." and ".." and one per file).
disk_use() {
    local total=0 entries folder
    total=$(find "$1" -type f -printf '%s\n' | awk '{ t += int(($1 + 511) / 512) * 512 } END { print t + 0 }')
    for folder in $(find "$1" -mindepth 1 -type d); do
        entries=$(( $(find "$folder" -maxdepth 1 -mindepth 1 | wc -l) + 2 ))
        total=$(( total + (entries * 32 + 511) / 512 * 512 ))
    done
    echo "$total"
}
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# How many files inf-check finds damaged on a medium: MEDIUM SCRIPT.
damaged() { "$check" --medium "$1" "$2" | grep -c ' is damaged: '; }

if [ -n "$medium" ]; then
    # Clean means checked too: a script without checksums, or a file
    # without one, gives a warning.
    expect "sample medium" "$work/clean" "$check" --medium "$medium" "$medium/SETUP.INF"
    expect "floppies" "$work/clean" "$check" --medium "$floppies" "$floppies/DISK1/SETUP.INF"
    cp -r "$medium" "$work/sample" && cp -r "$floppies" "$work/floppies"
    flip "$work/sample/SYSTEM/QXMOUSE.DR_" 20
    flip "$work/sample/README.TXT" 10
    last=$(find "$work/floppies/DISK3" -type f | sort | head -n 1)
    flip "$last" 1000
    [ "$(damaged "$work/sample" "$work/sample/SETUP.INF")" = 2 ] || fail "the damaged sample medium is not found damaged twice"
    [ "$(damaged "$work/floppies" "$work/floppies/DISK1/SETUP.INF")" = 1 ] || fail "a damaged file on DISK3 is not found"
    disks=$(find "$floppies" -mindepth 1 -maxdepth 1 -name 'DISK*' | wc -l)
    [ "$disks" = 3 ] || fail "the floppies are $disks disks, not 3"
    for d in $(seq 1 "$disks"); do
        use=$(disk_use "$floppies/DISK$d")
        [ "$use" -le "$size" ] || fail "DISK$d takes $use bytes, more than $size"
        root=$(find "$floppies/DISK$d" -mindepth 1 -maxdepth 1 | wc -l)
        [ "$root" -le 224 ] || fail "DISK$d has $root root entries"
        files=$(find "$floppies/DISK$d" -type f ! -name SETUP.EXE ! -name SETUP.INF | wc -l)
        count=$(tr -d '\r' < "$floppies/DISK1/SETUP.INF" | sed -n '/^\[FileCounts\]/,/^\[/p' | sed -n "s/^Disk$d=//p")
        # Disk 1's own lines name SETUP.EXE and SETUP.INF, which lie there anyway.
        [ "$d" = 1 ] && files=$((files + 2))
        [ "$files" = "$count" ] || fail "DISK$d holds $files files; [FileCounts] says $count"
        echo "DISK$d: $use of $size bytes, $files files"
    done
    passed=$((passed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]

#!/usr/bin/env bash
# Runs inf-check on each script here and compares its findings with the
# script's .expected file; the sample script must be clean. medium.inf is
# checked on a small medium made here with the project's compressor.
# With the media mkmedium built, checks them too: the sample medium clean, and
# the floppies within their size, each disk holding exactly the files its
# section lists.
# Usage: run-tests.sh INF_CHECK SZDD DEMO_SCRIPT [MEDIUM FLOPPIES DISK_SIZE]
set -uo pipefail
check=$1 szdd=$2 demo=$3 medium=${4:-} floppies=${5:-} size=${6:-}
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
for script in disks.inf fields.inf groups.inf; do
    expect "$script" "${script%.inf}.expected" "$check" "$script"
done

# The sample script, alone: no output, exit 0.
printf 'exit 0\n' > "$work/clean"
expect "demo script" "$work/clean" "$check" "$demo"

mkdir -p "$work/medium/DATA"
cp medium.inf "$work/medium/SETUP.INF"
head -c 3000 /dev/zero > "$work/medium/A.EXE"
printf 'notes\r\n' > "$work/B.TXT" && "$szdd" "$work/B.TXT" "$work/medium/DATA/B.TX_"
printf 'plain' > "$work/medium/DATA/E.DA_"
cd "$work/medium"
expect "medium.inf" "$here/medium.expected" "$check" --medium . SETUP.INF

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

if [ -n "$medium" ]; then
    expect "sample medium" "$work/clean" "$check" --medium "$medium" "$medium/SETUP.INF"
    expect "floppies" "$work/clean" "$check" --medium "$floppies" "$floppies/DISK1/SETUP.INF"
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

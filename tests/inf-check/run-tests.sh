#!/usr/bin/env bash
# Runs inf-check on each script here and compares its findings with the
# script's .expected file; the sample script must be clean. medium.inf is
# checked on a small medium made here with the project's compressor.
# Usage: run-tests.sh INF_CHECK SZDD DEMO_SCRIPT
set -uo pipefail
check=$1 szdd=$2 demo=$3
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

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]

#!/usr/bin/env bash
# Fails when a test that the documentation names as showing a behaviour
# (`Suite.Test` in docs/*.md and README.md) is not a test of the suite: a
# test renamed or merged away leaves the fault table pointing at nothing.
# Usage: check-doc-tests.sh SOURCE_DIR
set -euo pipefail
cd "$1"
status=0 count=0
for name in $(grep -oh '`[A-Z][A-Za-z0-9]*[a-z][A-Za-z0-9]*\.[A-Z][A-Za-z0-9]*[a-z][A-Za-z0-9]*`' docs/*.md README.md | tr -d '`' | sort -u); do
    count=$((count + 1))
    if ! grep -rqE "TEST(_F|_P)?\(${name%%.*}, *${name#*.}\)" tests; then
        echo "the documentation names $name, which is no test"
        status=1
    fi
done
echo "$count tests named in the documentation"
[ "$count" -gt 0 ] || status=1
exit $status

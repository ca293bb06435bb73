#!/usr/bin/env bash
# Test emulator: runs a Windows test executable in a throwaway copy of the
# template prefix and ends that prefix's wineserver afterwards, so tests can
# run in parallel and never see each other's registry or files.
# The executable is copied to C:\test, which is then its program directory.
# With --display the test runs on an X server of its own (Xvfb), where
# colours read back exactly; otherwise Wine's null display driver serves.
# Usage: wine-run.sh [--display] TEMPLATE_DIR PROGRAM.exe [ARGS...]
set -uo pipefail
if [ "${1:-}" = --display ]; then
    shift
    # A server number of its own per process; -a moves on if it is taken.
    exec xvfb-run -a -n $(( $$ % 5000 + 100 )) -s "-screen 0 1024x768x24" "$0" "$@"
fi
template=$(realpath "$1") program=$(realpath "$2")
shift 2
# shellcheck source=/dev/null
. "$template/wine.env"
# No menu builder: a shortcut that a test makes stays in the prefix, and no
# process of it outlives the program that made the shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG=${WINEDEBUG:--all}

# One run in a fresh copy of the template; whether the program printed
# anything tells a prefix that never started from a test.
run_in_fresh_prefix() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/setup-test.XXXXXX")
    prefix=$work/prefix
    "$(dirname "$0")/../../tools/copy-prefix.sh" "$template" "$prefix"
    # On Xvfb no window manager runs: Wine would wait two seconds for one at
    # each window it hides or destroys unless it leaves the windows unmanaged.
    if [ -n "${DISPLAY:-}" ]; then
        sed -i '/^"Graphics"="null"$/d' "$prefix/user.reg"
        printf '\n[Software\\\\Wine\\\\X11 Driver]\n"Managed"="N"\n' >> "$prefix/user.reg"
    fi
    mkdir -p "$prefix/drive_c/test"
    cp "$program" "$prefix/drive_c/test/"
    export WINEPREFIX=$prefix
    # The Unix folder of the prefix, for tests that check files from outside.
    export SETUP_TEST_PREFIX=$prefix
    "$WINE" "C:\\test\\$(basename "$program")" "$@" | tee "$work/output"
    rc=${PIPESTATUS[0]}
    printed=no
    [ -s "$work/output" ] && printed=yes
    # The prefix's wineserver takes most of a second to end, waiting rather
    # than working: it ends, and the prefix goes, after the test has been
    # reported.
    (wineserver -k; wineserver -w; rm -rf "$work") </dev/null >/dev/null 2>&1 &
}

run_in_fresh_prefix "$@"
# A program that ends with an error before it prints anything never ran:
# the prefix would not start (seen once in hundreds of runs on a busy
# machine). That is not the test's failure; it runs once more in a fresh
# prefix, and a program that cannot start at all fails the second time too.
if [ "$rc" -ne 0 ] && [ "$printed" = no ]; then
    echo "wine-run: $(basename "$program") ended with exit code $rc before it printed anything; again in a fresh prefix" >&2
    run_in_fresh_prefix "$@"
fi
# A test that ends before it prints anything says nothing of its own; the
# code it ended with tells a crash or a prefix that would not start apart.
[ "$rc" -eq 0 ] || echo "wine-run: $(basename "$program") ended with exit code $rc" >&2
exit $rc

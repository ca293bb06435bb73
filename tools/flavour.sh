#!/usr/bin/env bash
# Which flavour of the test platform this host runs, sourced by ./test, ./run
# and tools/setup-host.sh. Sets FLAVOUR (i686 or x86_64), FLAVOUR_WHY, and
# HOST_RUNS_I386 (yes or no).
#
# The product is always the i686 build. Where the host can execute i386
# code it also runs and is tested as that build under the 32-bit Wine; where
# it cannot (ia32 emulation off in the kernel, a hypervisor without a 32-bit
# mode) the same code is built for x86-64 and runs under wine64. The probe
# asks the kernel itself: it executes a 95-byte static i386 program that only
# exits with 42. SETUP_FLAVOUR=i686|x86_64 (or --flavour on ./test and ./run)
# forces either.

# An ELF32 header, one loadable segment, and: xor ebx,ebx; mov bl,42;
# mov eax,1; int 0x80 (exit 42).
host_runs_i386() {
    local probe
    probe=$(mktemp "${TMPDIR:-/tmp}/i386-probe.XXXXXX") || return 1
    # ELF header: identification, executable, i386, entry 0x08048054,
    # program headers at 52, sizes 52/32, one program header.
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'`
          `'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'`
          `'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'`
          `'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'`
          `'\x5f\x00\x00\x00\x5f\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'`
          `'\x31\xdb\xb3\x2a\xb8\x01\x00\x00\x00\xcd\x80' > "$probe"
    chmod +x "$probe"
    local status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

if host_runs_i386; then
    HOST_RUNS_I386=yes
else
    HOST_RUNS_I386=no
fi

case ${SETUP_FLAVOUR:-} in
    i686)
        FLAVOUR=i686
        FLAVOUR_WHY="forced by SETUP_FLAVOUR"
        if [ "$HOST_RUNS_I386" = no ]; then
            echo "The i686 flavour was asked for, but this host cannot execute i386 code." >&2
            exit 2
        fi ;;
    x86_64)
        FLAVOUR=x86_64
        FLAVOUR_WHY="forced by SETUP_FLAVOUR" ;;
    "")
        if [ "$HOST_RUNS_I386" = yes ]; then
            FLAVOUR=i686
            FLAVOUR_WHY="this host executes i386 code"
        else
            FLAVOUR=x86_64
            FLAVOUR_WHY="this host cannot execute i386 code"
        fi ;;
    *)
        echo "SETUP_FLAVOUR must be i686 or x86_64, not '$SETUP_FLAVOUR'." >&2
        exit 2 ;;
esac

#!/usr/bin/env bash
# Fails when a program holds an instruction that the 80386 with its 80387
# lacks: Windows 95 runs on a 386DX, and a 486, Pentium or K6 stops with an
# invalid-opcode fault at the first instruction of a later processor. It
# names each one found, with its address. Usage: check-instructions.sh PROGRAM...
set -euo pipefail
status=0
# The 486 added BSWAP, CMPXCHG, XADD, INVD, WBINVD and INVLPG; the Pentium
# CPUID, RDTSC, RDMSR, WRMSR and CMPXCHG8B; the Pentium Pro CMOV, FCMOV,
# FCOMI, FUCOMI, RDPMC, UD2 and the multi-byte NOP (0F 1F, "nopw"/"nopl");
# later ones SYSENTER, SYSCALL, FXSAVE, the fences, the SSE control word,
# FISTTP, POPCNT, LZCNT, TZCNT, MOVBE and CRC32. MMX, 3DNow! and SSE name
# their registers (%mm, %xmm, %ymm, %zmm).
newer='^(lock |rep[nez]* |data16 |addr16 )*(bswap|cmpxchg[0-9a-z]*|xadd[bwl]?|invd|wbinvd|invlpg|cpuid|rdtscp?|rdmsr|wrmsr|rdpmc|ud2|cmov[a-z]+|fcmov[a-z]+|f(u)?comip?|nop[wlq]|sysenter|sysexit|syscall|sysret|fxsave|fxrstor|[lms]fence|clflush|prefetch[a-z0-9]*|movnt[a-z]*|[ls]dmxcsr|fisttp[a-z]*|popcnt[a-z]*|lzcnt[a-z]*|tzcnt[a-z]*|movbe[a-z]*|crc32[a-z]*|emms|femms)( |$)'
for program in "$@"; do
    found=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$program" |
        awk -F'\t' '$1 ~ /^ *[0-9a-f]+:$/ && NF >= 2 { sub(/ +$/, "", $2); print $1 " " $2 }' |
        grep -E ":  *(${newer#^}|.*%[xyz]?mm[0-9])" || true)
    if [ -n "$found" ]; then
        echo "$program: $(wc -l <<<"$found") instructions the 80386 lacks:"
        echo "$found"
        status=1
    else
        echo "$program: 80386 and 80387 instructions only"
    fi
done
exit $status

#!/usr/bin/env bash
# Marks a PE program to be run from the swap file when it starts from a
# removable or network drive (IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP 0x0400 and
# IMAGE_FILE_NET_RUN_FROM_SWAP 0x0800 in the file header's Characteristics),
# so the first disk may leave the drive while the program runs. GNU ld has
# no switch for these flags; the build runs this after linking.
# Usage: run-from-swap.sh PROGRAM.EXE
set -euo pipefail
exe=$1

# A little-endian number of $2 bytes at offset $1.
read_le() {
    local value=0 i
    local -a bytes
    read -r -a bytes < <(od -An -tu1 -j "$1" -N "$2" "$exe")
    for (( i = $2 - 1; i >= 0; i-- )); do value=$(( value * 256 + bytes[i] )); done
    echo "$value"
}

pe=$(read_le 60 4)  # e_lfanew: where the "PE\0\0" signature lies
if [ "$(read_le "$pe" 4)" -ne $(( 0x00004550 )) ]; then
    echo "$exe: not a PE file" >&2
    exit 1
fi
# Characteristics: the last field of the 20-byte file header after the signature.
offset=$(( pe + 4 + 18 ))
old=$(read_le "$offset" 2)
flags=$(( old | 0x0C00 ))
[ "$flags" -eq "$old" ] && exit 0

# Writes the little-endian number $3 of $2 bytes at offset $1.
write_le() {
    local text="" i
    for (( i = 0; i < $2; i++ )); do text+=$(printf '\\x%02x' $(( ($3 >> (8 * i)) & 0xFF ))); done
    printf "$text" | dd of="$exe" bs=1 seek="$1" conv=notrunc status=none
}
write_le "$offset" 2 "$flags"

# The optional header's CheckSum (at 64 into it) is the folded sum of the
# file's 16-bit words plus the file's length; the one word changed by the
# added flags, so the sum changes by as much.
checksum_at=$(( pe + 24 + 64 ))
checksum=$(read_le "$checksum_at" 4)
if [ "$checksum" -ne 0 ]; then
    size=$(stat -c %s "$exe")
    sum=$(( checksum - size + flags - old ))
    sum=$(( (sum & 0xFFFF) + (sum >> 16) ))
    write_le "$checksum_at" 4 $(( (sum & 0xFFFF) + size ))
fi

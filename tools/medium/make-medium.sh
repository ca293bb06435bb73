#!/usr/bin/env bash
# Assembles the sample installation medium from demo/ and the built programs,
# as the medium's own SETUP.INF describes it. Each file line
# "source,dest,description,keyword" of a disk puts one file at
# <DirectoryName value of the keyword>/<source>; when the source name ends in
# "_" it is the destination file compressed (SZDD). A destination file is
# taken from the built programs when one has its name, else from
# demo/<directory>/<dest>; those are texts and get CR LF line ends, as on a PC.
# SETUP.EXE and SETUP.INF always lie in the medium's root.
# Usage: make-medium.sh OUTPUT_DIR DEMO_DIR SZDD_TOOL BUILT_FILE...
set -euo pipefail
out=$1 demo=$2 szdd=$3
shift 3
declare -A built
for f in "$@"; do built[$(basename "$f")]=$f; done
script=$demo/SETUP.INF

fail() { echo "make-medium: $*" >&2; exit 1; }

# ini SECTION KEY: the key's value, by the rules of the profile functions
# (names without regard to case, blanks around the value dropped).
ini() {
    awk -v section="$1" -v key="$2" '
        BEGIN { section = tolower(section); key = tolower(key) }
        { sub(/\r$/, "") }
        /^[ \t]*\[/ { s = $0; sub(/^[ \t]*\[/, "", s); sub(/\].*$/, "", s); current = tolower(s); next }
        current == section && index($0, "=") > 0 {
            i = index($0, "=")
            k = substr($0, 1, i - 1); gsub(/^[ \t]+|[ \t]+$/, "", k)
            if (tolower(k) != key) next
            v = substr($0, i + 1); gsub(/^[ \t]+|[ \t]+$/, "", v)
            print v; exit
        }' "$script"
}
trim() { local s=$1; s=${s#"${s%%[! ]*}"}; printf '%s' "${s%"${s##*[! ]}"}"; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# place SOURCE_FILE DEST_NAME TARGET_PATH TEXT(0|1) COMPRESS(0|1)
place() {
    local content=$1 dest=$2 target=$3 text=$4 compress=$5
    if [ "$text" = 1 ]; then
        # Named as at the destination: the compressor stores its last character.
        mkdir -p "$work/text"
        sed 's/\r*$/\r/' "$content" > "$work/text/$dest"
        content=$work/text/$dest
    fi
    mkdir -p "$(dirname "$target")"
    if [ "$compress" = 1 ]; then "$szdd" "$content" "$target"; else cp "$content" "$target"; fi
}

rm -rf "$out"
mkdir -p "$out"
[ -n "${built[SETUP.EXE]:-}" ] || fail "SETUP.EXE is not among the built files"
place "${built[SETUP.EXE]}" SETUP.EXE "$out/SETUP.EXE" 0 0
place "$script" SETUP.INF "$out/SETUP.INF" 1 0

disks=0
for d in 1 2 3 4 5 6; do
    [ -n "$(ini DiskLabel "Disk$d")" ] || break
    disks=$d
done
for d in $(seq 1 "$disks"); do
    count=$(ini FileCounts "Disk$d")
    count=${count:-0}
    [ -z "$(ini "Disk$d" $((count + 1)))" ] || fail "Disk$d has more file lines than FileCounts says ($count)"
    for n in $(seq 1 "$count"); do
        line=$(ini "Disk$d" "$n")
        [ -n "$line" ] || fail "Disk$d has no file line $n"
        IFS=, read -r source dest _ keyword _ <<< "$line"
        source=$(trim "$source") dest=$(trim "$dest") keyword=$(trim "${keyword:-}")
        dir=$(ini DirectoryName "$keyword")
        [ -n "$dir" ] || fail "Disk$d line $n: directory keyword '$keyword' has no DirectoryName value"
        if [ -n "${built[$dest]:-}" ]; then
            content=${built[$dest]} text=0
        elif [ -f "$demo/$dir/$dest" ]; then
            content=$demo/$dir/$dest text=1
        else
            fail "Disk$d line $n: no built program and no demo/$dir/$dest"
        fi
        if [ "$source" = "$dest" ]; then
            compress=0
        elif [ "${source: -1}" = _ ]; then
            compress=1
        else
            fail "Disk$d line $n: source $source is neither $dest nor a compressed name"
        fi
        place "$content" "$dest" "$out/$dir/$source" "$text" "$compress"
    done
done

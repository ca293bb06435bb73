#!/usr/bin/env bash
# The sample's images, as mkmedium writes them: floppies (small disks, so
# that there are several) and a CD. Each image is read back with the tools
# (mlabel -s, mdir, mcopy; xorriso -pvd_info, -find, -extract) and checked
# against the folder medium written beside it: its label, its files and
# folders, every file byte for byte and its time. inf-check --medium accepts
# each set of images and refuses it with one byte of README.TXT flipped
# inside an image. A name a CD cannot hold is refused before anything is
# written.
# Usage: images.sh HOST_TOOLS DEMO_DIR PAYLOAD_DIR...
set -uo pipefail
tools=$1 demo=$2
shift 2
payloads=("$@" --text "$demo")
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failed=0 passed=0
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
flip() {  # FILE OFFSET: one bit of one byte changed, as a bad sector would
    local byte
    byte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
    printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# Each kind: its images beside the medium OUT, and how the tools list, read
# out and label one.
images_floppy() { ls "$1"/DISK*.IMG; }
list_floppy() { mdir -i "$1" -/ -b ::/ | sed -n 's|^::/\(.*[^/]\)$|\1|p'; }
read_floppy() { mcopy -i "$1" -s -m -n '::/*' "$2"; }
label_floppy() { mlabel -i "$1" -s :: | sed -n 's/^ Volume label is //p'; }
images_cd() { echo "$1.ISO"; }
list_cd() { xorriso -indev "$1" -find / -type f 2>/dev/null | sed "s|^'/||; s|'$||"; }
read_cd() { xorriso -osirrox on -indev "$1" -extract / "$2" > /dev/null 2>&1; }
label_cd() { xorriso -indev "$1" -pvd_info 2>/dev/null | sed -n 's/^Volume Id *: //p'; }

# The rows: the kind, mkmedium's options, the least number of images, and
# the label of image N.
while IFS='|' read -r kind options least label; do
    out=$work/$kind
    # shellcheck disable=SC2086
    "$tools/mkmedium" $options "$demo/SETUP.INF" "$out" "${payloads[@]}" > "$work/$kind.log" 2>&1 ||
        { fail "$kind: mkmedium"; cat "$work/$kind.log"; continue; }
    n=0
    for image in $(images_$kind "$out"); do
        n=$((n + 1))
        folder=$out
        [ "$kind" = floppy ] && folder=$out/DISK$n
        # shellcheck disable=SC2059
        [ "$(label_$kind "$image")" = "$(printf "$label" "$n")" ] ||
            fail "$image is labelled '$(label_$kind "$image")'"
        diff <(list_$kind "$image" | sort) <(cd "$folder" && find . -type f -printf '%P\n' | sort) ||
            fail "$image does not list the files of $folder"
        mkdir "$work/read" && read_$kind "$image" "$work/read" || fail "$image cannot be read out"
        diff -r "$folder" "$work/read" || fail "$image does not hold the bytes of $folder"
        # FAT keeps times to 2 seconds.
        join <(cd "$folder" && find . -type f -printf '%P %T@\n' | sort) \
             <(cd "$work/read" && find . -type f -printf '%P %T@\n' | sort) |
            awk '{ d = $2 - $3; if (d < -2 || d > 2) { print; bad = 1 } } END { exit bad }' ||
            fail "$image does not keep the times of $folder"
        chmod -R u+w "$work/read" && rm -rf "$work/read"
    done
    [ "$n" -ge "$least" ] || fail "$kind: $n images"
    first=$(images_$kind "$out" | head -n 1)
    "$tools/inf-check" --medium "$first" > "$work/check" 2>&1 || { fail "inf-check --medium $first"; cat "$work/check"; }
    # One bit of README.TXT flipped where it lies in its image.
    cp -r "$out" "$work/damaged" && { [ "$kind" != cd ] || cp "$out.ISO" "$work/damaged.ISO"; }
    text=$(head -c 40 "$demo/README.TXT") offset=
    for image in $(images_$kind "$work/damaged"); do
        offset=$(grep -obaF -m1 -- "$text" "$image" | cut -d: -f1)
        [ -n "$offset" ] || continue
        flip "$image" $((offset + 7))
        "$tools/inf-check" --medium "$(images_$kind "$work/damaged" | head -n 1)" > "$work/check"
        status=$?
        grep -q ' error: README.TXT on the medium is damaged: ' "$work/check" && [ "$status" = 1 ] ||
            { fail "$kind: the flipped byte in $image is not found"; cat "$work/check"; }
        break
    done
    [ -n "$offset" ] || fail "$kind: README.TXT is in no image"
    rm -rf "$work/damaged" "$work/damaged.ISO"
    passed=$((passed + 1))
done <<'EOF2'
floppy|--floppy-images --disk-size 120000|2|ZORVA WHE %d
cd|--cd-image|1|ZORVA WHEEL MOUSE DISK 1
EOF2

# A name with a hyphen is an 8.3 name, but no level 1 name of a CD.
sed 's/^6=README.TXT,README.TXT,/6=READ-ME.TXT,README.TXT,/' "$demo/SETUP.INF" > "$work/hyphen.inf"
if "$tools/mkmedium" --cd-image "$work/hyphen.inf" "$work/hyphen" "${payloads[@]}" > "$work/hyphen.log" 2>&1 ||
    ! grep -q '"READ-ME.TXT": a CD image holds level 1 names only' "$work/hyphen.log" || [ -e "$work/hyphen" ]; then
    fail "a CD with READ-ME.TXT"; cat "$work/hyphen.log"
else
    passed=$((passed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]

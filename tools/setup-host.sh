#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine, all from
# Debian's packages. Idempotent: does nothing when everything is there.
# Every host gets the i686 win32-thread compiler (the product) and the x86-64
# flavour (wine64 and the x86-64 compilers). A host that executes i386 code
# also gets the i386 architecture, wine32 and the i686 posix-thread compiler
# for the i686 flavour. clang and its runtimes build the fuzzers; python3
# turns the pictures of docs/ into PNG files; mtools and xorriso write and
# read the floppy and CD images of a medium.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/flavour.sh
packages=(wine wine64 g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-win32 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          g++ cmake make googletest xvfb xauth cpio clang libclang-rt-14-dev python3 mtools xorriso)
[ "$HOST_RUNS_I386" = yes ] && packages+=(wine32:i386 g++-mingw-w64-i686-posix)
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$HOST_RUNS_I386" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"

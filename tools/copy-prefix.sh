#!/usr/bin/env bash
# Copies the template Wine prefix: the private part is unpacked, Wine's own
# binaries are hard-linked. Usage: copy-prefix.sh TEMPLATE_DIR NEW_PREFIX
set -euo pipefail
template=$(realpath "$1") prefix=$2
mkdir -p "$prefix"
prefix=$(realpath "$prefix")
tar -xf "$template/private.tar" -C "$prefix"
(cd "$template/prefix" && cpio -pdl --quiet "$prefix" < "$template/linked.list")

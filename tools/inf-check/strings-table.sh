#!/bin/sh
# The string table of resources/strings.rc as C++ initialisers {IDS_X, "text"},
# so the host tools use the section and key names the program loads.
# Usage: strings-table.sh STRINGS_RC OUTPUT
sed -n 's/^[ \t]*\(IDS_[A-Z0-9_]*\)[ \t][ \t]*\(".*"\).*$/{\1, \2},/p' "$1" > "$2"

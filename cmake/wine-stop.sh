#!/bin/sh
# Stops the wineserver of a prefix made by wine-run.sh (flushes the registry to disk).
root=${QEL_WINE_ROOT:-@QEL_WINE_ROOT@}
[ -d "$root/prefix" ] || exit 0
export WINEPREFIX="$root/prefix" HOME="$root/home" TMPDIR="$root/tmp"
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
/usr/lib/wine/wineserver64 -w 2>/dev/null || true

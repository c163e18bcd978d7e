#!/bin/sh
# Runs a Windows program under Wine on a private Xvfb display, in a Wine prefix
# of its own with a virtual desktop (which also hosts the notification area).
# usage: with_display.sh ARTIFACTS WINE_RUN PROGRAM [ARGS...]
# The display number is written to ARTIFACTS/display; DISPLAY and QEL_WINE_ROOT
# are exported to the program.
set -eu
out=$1 wine_run=$2
shift 2
mkdir -p "$out"
rm -f "$out/display"
export QEL_WINE_ROOT="$out/wine"
xvfb_pid=""
cleanup() {
  if [ -d "$QEL_WINE_ROOT/prefix" ]; then
    WINEPREFIX="$QEL_WINE_ROOT/prefix" HOME="$QEL_WINE_ROOT/home" TMPDIR="$QEL_WINE_ROOT/tmp" \
      /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" 2>/dev/null &
xvfb_pid=$!
tries=0
while [ ! -s "$out/display" ]; do
  tries=$((tries + 1))
  [ $tries -gt 100 ] && { echo "Xvfb did not start"; exit 1; }
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$out/display")"

"$wine_run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$wine_run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
"$wine_run" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
WINEPREFIX="$QEL_WINE_ROOT/prefix" HOME="$QEL_WINE_ROOT/home" TMPDIR="$QEL_WINE_ROOT/tmp" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
WINEPREFIX="$QEL_WINE_ROOT/prefix" HOME="$QEL_WINE_ROOT/home" TMPDIR="$QEL_WINE_ROOT/tmp" /usr/lib/wine/wineserver64 -w 2>/dev/null || true

"$wine_run" "$@"

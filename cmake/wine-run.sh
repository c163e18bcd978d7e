#!/bin/sh
# Runs a Windows program under 64-bit Wine in the build tree's private prefix.
# Used as CMAKE_CROSSCOMPILING_EMULATOR: the first call boots the prefix and
# leaves a persistent wineserver behind, so later calls start in well under a second.
# QEL_WINE_ROOT may name another root (tests that need a prefix of their own).
set -e
root=${QEL_WINE_ROOT:-@QEL_WINE_ROOT@}
mkdir -p "$root/prefix" "$root/home" "$root/tmp"
export WINEPREFIX="$root/prefix" HOME="$root/home" TMPDIR="$root/tmp"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
(
  flock 9
  if /usr/lib/wine/wineserver64 -p </dev/null >/dev/null 2>&1 9>&-; then
    /usr/lib/wine/wine64 wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
    # headless: hidden windows, timers and message loops work without a display
    if [ -z "$DISPLAY" ]; then
      /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&- || true
      # The desktop that wineboot started has no usable driver and never creates a
      # window: restart the server, then start the background processes again with
      # their output detached (the desktop now with the null driver).
      /usr/lib/wine/wineserver64 -k </dev/null >/dev/null 2>&1 9>&- || true
      /usr/lib/wine/wineserver64 -w </dev/null >/dev/null 2>&1 9>&- || true
      /usr/lib/wine/wineserver64 -p </dev/null >/dev/null 2>&1 9>&- || true
      /usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1 9>&- || true
    fi
    for d in Desktop Documents; do
      p="$WINEPREFIX/drive_c/users/$(id -un)/$d"
      if [ -L "$p" ]; then rm -f "$p"; mkdir -p "$p"; fi
    done
  fi
) 9>"$root/lock"
exec /usr/lib/wine/wine64 "$@"

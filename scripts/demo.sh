#!/usr/bin/env bash
# The main job: builds the distribution and the sample setup (samples/demo),
# installs it silently under Wine in a fresh prefix with a trace log, shows what
# it installed and registered, removes it through its Add/Remove Programs
# command line, restarts, and shows that nothing is left (scripts/demo.py).
# Usage: scripts/demo.sh [--no-build]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" = "--no-build" ] || "$top/scripts/build-all.sh" --no-win32

out="$top/out/demo"
rm -rf "$out/machine" "$out/setup"
export QEL_QELBUILD="$top/dist/bin/qelbuild"
export QEL_DIST="$top/dist/win64"
export QEL_E2E_ROOT="$out"
export QEL_WINE_TEMPLATE="$top/out/wine-template"
export QEL_RUNNER="$top/build/win64/tests/e2e/qelrun.exe"
exec python3 "$top/scripts/demo.py"

#!/usr/bin/env bash
# The main job: builds the distribution and the sample setup (samples/demo), runs
# the setup silently under Wine with a trace log in a fresh prefix, and prints what
# happened: the exit code, the trace log, and what the setup left on the machine.
# Usage: scripts/demo.sh [--no-build]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ "${1:-}" = "--no-build" ] || "$top/scripts/build-all.sh" --no-win32

out="$top/out/demo"
rm -rf "$out"
mkdir -p "$out"
echo "== building the sample setup"
"$top/dist/bin/qelbuild" "$top/samples/demo/demo.qel" -o "$out/setup" --target win64
ls -l "$out/setup"

export QEL_WINE_ROOT="$out/wine"
wine="$top/build/win64/wine-run.sh"
setup_win=$("$wine" winepath -w "$out/setup/setup.exe" 2>/dev/null | tr -d '\r')
trace_win='C:\demo-trace.log'
trace_unix="$QEL_WINE_ROOT/prefix/drive_c/demo-trace.log"

echo "== running: setup.exe /s /l=$trace_win"
set +e
"$wine" "$setup_win" /s "/l=$trace_win"
code=$?
set -e
echo "exit code: $code"
echo "== trace log"
if [ -f "$trace_unix" ]; then
  iconv -f UTF-16LE -t UTF-8 "$trace_unix" | tr -d '\r'
else
  echo "(no trace log written)"
fi
"$top/build/win64/wine-stop.sh"
exit $code

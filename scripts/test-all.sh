#!/usr/bin/env bash
# The project's test command: builds everything, then runs the native tests and
# the Windows tests under Wine. Exits non-zero on any failure.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build-all.sh"
status=0
echo "== native tests"
ctest --test-dir "$top/build/native" --output-on-failure -j "$(nproc)" || status=1
echo "== Windows tests under Wine"
ctest --test-dir "$top/build/win64" --output-on-failure -j "$(nproc)" || status=1
"$top/build/win64/wine-stop.sh" || true
exit $status

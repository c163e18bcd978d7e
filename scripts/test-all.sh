#!/usr/bin/env bash
# The project's test command: builds everything, runs the native tests, the Windows
# tests under Wine, and a short fuzzing run of the 7z reader. Exits non-zero on any
# failure. FUZZ_SECONDS sets the fuzzing time (default 30; 0 skips it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$top/scripts/build-all.sh"
status=0
echo "== native tests"
ctest --test-dir "$top/build/native" --output-on-failure -j "$jobs" || status=1
echo "== Windows tests under Wine"
# Boot the test prefix once before ctest lists the tests of each program.
"$top/build/win64/wine-run.sh" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
ctest --test-dir "$top/build/win64" --output-on-failure -j "$jobs" || status=1
"$top/build/win64/wine-stop.sh" || true
if [ "${FUZZ_SECONDS:-30}" != 0 ] && command -v clang++ >/dev/null; then
  echo "== fuzzing the 7z reader for ${FUZZ_SECONDS:-30} s"
  cmake -S "$top" -B "$top/build/fuzz" -G Ninja -DQEL_FUZZ=ON -DQEL_BUILD_TESTS=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  FUZZ_SECONDS=${FUZZ_SECONDS:-30} cmake --build "$top/build/fuzz" --target sevenzip_fuzz_smoke || status=1
fi
[ $status = 0 ] && echo "test-all: everything passed" || echo "test-all: FAILED"
exit $status

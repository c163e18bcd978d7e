#!/usr/bin/env bash
# Configures and builds the three builds and lays out dist/:
#   build/native  Linux g++: portable core, host tools, native tests   -> dist/bin
#   build/win64   x86_64-w64-mingw32: the programs the Wine tests run   -> dist/win64
#   build/win32   i686-w64-mingw32: the shipped 32-bit setup            -> dist/win32
# Options: --no-win32 skips the 32-bit build; QEL_JOBS sets the parallel jobs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=${QEL_JOBS:-$(nproc)}
win32=1
for a in "$@"; do
  case "$a" in
    --no-win32) win32=0 ;;
    *) echo "build-all: unknown option $a" >&2; exit 2 ;;
  esac
done

build() { # name, extra cmake args...
  local name=$1; shift
  cmake -S "$top" -B "$top/build/$name" -G Ninja "$@" >/dev/null
  cmake --build "$top/build/$name" -j "$jobs"
  cmake --install "$top/build/$name" >/dev/null
}

build native -DCMAKE_BUILD_TYPE=${QEL_NATIVE_BUILD_TYPE:-RelWithDebInfo} -DQEL_SANITIZE=${QEL_SANITIZE:-ON}
build win64 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-x86_64-w64-mingw32.cmake" -DQEL_HOST_QELBUILD="$top/dist/bin/qelbuild"
if [ "$win32" = 1 ]; then
  build win32 -DCMAKE_TOOLCHAIN_FILE="$top/cmake/toolchain-i686-w64-mingw32.cmake" -DQEL_BUILD_TESTS=OFF
fi
echo "build-all: dist/ is ready in $top/dist"

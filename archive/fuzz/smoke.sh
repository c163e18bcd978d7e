#!/bin/sh
# Short fuzzing run of the 7z reader: seeds a corpus with small archives written by
# 7zz (every method, encryption) and fuzzes for FUZZ_SECONDS (default 60).
set -e
fuzzer=$1
corpus=$2
mkdir -p "$corpus"
if command -v 7zz >/dev/null 2>&1 && [ -z "$(ls -A "$corpus")" ]; then
  work=$(mktemp -d)
  printf 'seed text for the fuzzer, repeated: aaaaaaaaaaaaaaaaaaaaaaaa\n' > "$work/a.txt"
  head -c 3000 /usr/bin/true > "$work/b.bin"
  mkdir "$work/dir"
  n=0
  for m in "-m0=Copy" "-m0=LZMA" "-m0=LZMA2" "-mx9" "-m0=Deflate" "-m0=LZMA2 -pfuzz -mhe=on" "-mhc=off -m0=Copy"; do
    n=$((n + 1))
    (cd "$work" && 7zz a -bd $m "$corpus/seed$n.7z" a.txt b.bin dir >/dev/null)
  done
  rm -rf "$work"
fi
exec "$fuzzer" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=65536 -rss_limit_mb=2048 -timeout=20 "$corpus"

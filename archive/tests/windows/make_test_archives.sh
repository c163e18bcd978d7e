#!/bin/sh
# Writes the archives and 7-Zip's own extraction of them that the Windows tests read.
set -e
out=$1
rm -rf "$out"
mkdir -p "$out/src/sub/deeper" "$out/src/empty folder"
cd "$out/src"
printf 'hello from the archive\n' > hello.txt
head -c 200000 /dev/urandom > sub/random.bin
printf 'read only' > sub/readonly.txt
chmod 444 sub/readonly.txt
printf 'umlaut' > "sub/$(printf '\303\244rger \346\227\245\346\234\254.txt')"
: > sub/deeper/empty.txt
cp /usr/bin/true sub/tool.exe
touch -d '2001-02-03 04:05:06 UTC' hello.txt
cd "$out"
7zz a -bd -mx9 tree.7z ./src/* >/dev/null
7zz a -bd -m0=LZMA2 -pSecret -mhe=on secret.7z ./src/hello.txt >/dev/null
7zz a -bd -m0=LZMA2 -pSecret data-secret.7z ./src/hello.txt >/dev/null
7zz a -bd -m0=PPMd ppmd.7z ./src/hello.txt >/dev/null
7zz a -bd -m0=Copy hostile.7z ./src/hello.txt ./src/sub/random.bin >/dev/null
7zz rn -bd hostile.7z random.bin ../evil.bin >/dev/null
7zz x -bd -y -oreference tree.7z >/dev/null
chmod -R u+w src reference

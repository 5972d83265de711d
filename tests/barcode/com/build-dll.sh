#!/usr/bin/env bash
# Cross-builds cruflFernlowe.dll and its Windows test client for 32-bit Windows (i686, the DLL
# that ships) or 64-bit Windows (x86_64, its twin for hosts that cannot run 32-bit programs).
# usage: build-dll.sh REPOSITORY BUILD_FOLDER i686|x86_64
set -euo pipefail
root=$1
build=$2
arch=$3
cmake -S "$root/tests/barcode/com/client" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" >/dev/null
cmake --build "$build" -j 2
"$arch-w64-mingw32-size" "$build/cruflFernlowe.dll" >/dev/null  # a real PE file came out
echo "cruflFernlowe.dll ($arch): $(stat -c %s "$build/cruflFernlowe.dll") bytes"

#!/usr/bin/env bash
# Cross-builds cruflFernlowe.dll and its Windows test client for 32-bit Windows.
# usage: build-dll.sh REPOSITORY BUILD_FOLDER
set -euo pipefail
root=$1
build=$2
cmake -S "$root/tests/barcode/com/client" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" >/dev/null
cmake --build "$build" -j 2
i686-w64-mingw32-size "$build/cruflFernlowe.dll" >/dev/null  # a real PE file came out
echo "cruflFernlowe.dll: $(stat -c %s "$build/cruflFernlowe.dll") bytes"

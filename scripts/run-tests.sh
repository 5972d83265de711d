#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-packages.sh"
bash "$root/scripts/build.sh" "$root/build"
cd "$root/build"
ctest --output-on-failure -j "$(nproc)"

# Bounded fuzzing of the barcode report functions with clang's libFuzzer, one ctest test per
# report function (LINDHOLLOW_FUZZ_SECONDS each).
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLINDHOLLOW_FUZZ=ON -DLINDHOLLOW_BUILD_STATION=OFF -DLINDHOLLOW_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-fuzz" -j "$(nproc)"
cd "$root/build-fuzz"
ctest --output-on-failure -j "$(nproc)"

#!/usr/bin/env bash
# The encoder library and headers of the fernlowe package, unpacked, build a program that gives
# the results of the package's fernlowe-encode.
# usage: use-library.sh fernlowe.deb COMPILER [FLAGS...]
set -euo pipefail
deb=$1
compiler=$2
shift 2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

cat >"$root/probe.cpp" <<'CPP'
#include <C.h>
#include <Windows1252.h>

#include <iostream>

int main(int, char** argv) {
    std::u16string data = fernlowe::Utf16FromWindows1252(argv[1]);
    std::u16string result = fernlowe::C().ode128(data, 0);
    const char* separator = "";
    for (const unsigned char code : fernlowe::Windows1252FromUtf16(result)) {
        std::cout << separator << static_cast<int>(code);
        separator = " ";
    }
    std::cout << '\n';
}
CPP
"$compiler" -std=c++20 "$@" -I"$root/usr/include/fernlowe" "$root/probe.cpp" \
    "$root"/usr/lib/*/libfernlowe.a -o "$root/probe"

status=0
for data in "Batch 7" "0123456789" "a~{|}"; do
    built=$("$root/probe" "$data")
    tool=$("$root/usr/bin/fernlowe-encode" Code128 --format 0 --codes "$data")
    if [ "$built" != "$tool" ]; then
        echo "FAILED: Code128 of '$data': the library gives $built, fernlowe-encode $tool"
        status=1
    fi
done
[ $status -eq 0 ] && echo "a program built with the packaged library and headers gives fernlowe-encode's results"
exit $status

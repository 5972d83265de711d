#!/usr/bin/env bash
# Checks the shipped DLL's file without running it: a PE32 image for i386 that exports exactly
# the four entry points of a self-registering in-process server.
# usage: check-shipped-dll.sh DLL
set -euo pipefail
dll=$1
headers=$(i686-w64-mingw32-objdump -p "$dll")
failed=0
expect() {
    if grep -Eq "$2" <<<"$headers"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failed=1
    fi
}
expect "file format pei-i386" "file format pei-i386$"
expect "PE32, not PE32+" "^Magic[[:space:]]+010b[[:space:]]+\(PE32\)$"
expect "a DLL" "^[[:space:]]+DLL$"
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
    sed -nE 's/^[[:space:]]+\[[[:space:]]*[0-9]+\] //p' | sort | tr '\n' ' ')
wanted="DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer "
if [ "$exports" = "$wanted" ]; then
    echo "ok: exports $exports"
else
    echo "FAILED: exports '$exports', expected '$wanted'"
    failed=1
fi
exit $failed

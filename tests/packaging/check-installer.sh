#!/usr/bin/env bash
# The Windows installer, read without running it: a 32-bit Windows program that carries the
# report-function DLL (byte for byte the one given), bound for the system folder, and nothing
# else but its uninstaller and the plug-in that checks for administrator rights.
# usage: check-installer.sh SETUP.exe cruflFernlowe.dll
set -euo pipefail
installer=$1
dll=$2

7z l "$installer"
status=0
format=$(i686-w64-mingw32-objdump -f "$installer" | sed -n 's/.*file format //p')
if [ "$format" != pei-i386 ]; then
    echo "FAILED: the installer is $format, not a 32-bit Windows program (pei-i386)"
    status=1
fi

expected=$(printf '%s\n' '$PLUGINSDIR/UserInfo.dll' '$SYSDIR/cruflFernlowe.dll' 'Uninstall.exe')
listed=$(7z l -slt "$installer" | sed -n 's/^Path = //p' | tail -n +2 | sort)
if [ "$listed" != "$expected" ]; then
    echo "FAILED: the installer holds"
    echo "$listed"
    echo "instead of"
    echo "$expected"
    status=1
fi
if ! 7z e -so "$installer" '$SYSDIR/cruflFernlowe.dll' | cmp -s - "$dll"; then
    echo "FAILED: the installer's cruflFernlowe.dll is not $dll"
    status=1
fi
[ $status -eq 0 ] && echo "the installer carries $dll for the system folder, and its uninstaller"
exit $status

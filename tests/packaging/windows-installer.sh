#!/usr/bin/env bash
# The Windows installer under wine, in a fresh prefix of its own. A silent install puts the DLL into
# the system folder and registers it there, and records the uninstaller in the list of programs;
# the test client then calls the functions through the type library. The silent uninstall that
# the list of programs records takes all of it away again.
# usage: windows-installer.sh WINE_SH PREFIX 32|64 SETUP.exe CLIENT_FOLDER EXPECTED
# CLIENT_FOLDER holds the DLL the installer carries and its test client; EXPECTED the cases.
# Exits with 77 where wine.sh cannot run programs of this many bits.
set -euo pipefail
wine_sh=$1
prefix=$2
bits=$3
installer=$4
client=$5/cruflfernlowe-client.exe
dll=$5/cruflFernlowe.dll
expected=$6
wine() { "$wine_sh" "$prefix" "$bits" "$@"; }

trap 'wine remove' EXIT
wine create
system=$prefix/drive_c/windows/system32
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\cruflFernlowe'
name='Fernlowe bar code report functions'
status=0
check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; status=1; fi
}
listed() { wine run uninstaller --list | tr -d '\r' | grep -qx ".*|||$name"; }
value() { wine run reg query "$key" /v "$1" | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"; }

check "silent install" 'wine run "$installer" /S'
check "the DLL is in the system folder" 'cmp -s "$dll" "$system/cruflFernlowe.dll"'
check "\"$name\" is in the list of programs" listed
# The client checks, among everything else, that the registered server is the DLL in the folder
# it runs in.
check "the functions answer through the registered type library" \
    '(cd "$system" && wine run "$client" registered "Z:$expected")'

uninstall=$(value QuietUninstallString)
folder=$(value InstallLocation)
echo "uninstall with: $uninstall"
[[ $uninstall =~ ^\"([^\"]+)\"\ (.*)$ ]] || uninstall='"(missing)" '
# The uninstaller copies itself away and runs from there: wait for every program of the prefix,
# whatever the first one answered, so that the checks below see what the copy left.
exit_code=0
wine run "${BASH_REMATCH[1]}" ${BASH_REMATCH[2]} || exit_code=$?
wine wait
check "silent uninstall (exit code $exit_code)" '[ "$exit_code" -eq 0 ]'
check "the DLL is gone" '[ ! -e "$system/cruflFernlowe.dll" ]'
check "the uninstaller's folder is gone" \
    '[ -n "$folder" ] && [ ! -e "$(wine run winepath -u "$folder" 2>/dev/null | tr -d "\r")" ]'
check "\"$name\" is gone from the list of programs" '! listed'
check "nothing of the server remains registered" \
    '(cd "$system" && wine run "$client" unregistered)'
exit $status

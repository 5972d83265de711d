#!/usr/bin/env bash
# The wine side of the DLL tests: a 32-bit wine prefix of their own, used without a display.
# usage: wine.sh PREFIX create            makes a fresh prefix (takes a while)
#        wine.sh PREFIX remove            stops its wine server and deletes it
#        wine.sh PREFIX run PROGRAM ARGS  runs a Windows program in it
#        wine.sh PREFIX script FILE ARGS  runs a VBScript file under cscript; passes only when
#                                         the script printed its "N passed, 0 failed" line and
#                                         ended with 0 (cscript ends with 0 after any error)
set -euo pipefail
export WINEPREFIX=$1
action=$2
shift 2
export WINEARCH=win32 WINEDEBUG=-all
# No Mono or Gecko: nothing here needs .NET or HTML, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

case $action in
    create)
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        wineboot -i
        wineserver -w
        ;;
    remove)
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        ;;
    run)
        exec wine "$@"
        ;;
    script)
        status=0
        output=$(wine cscript //nologo "$@") || status=$?
        printf '%s\n' "$output"
        grep -Eq '^[0-9]+ passed, 0 failed' <<<"${output//$'\r'/}" && [ "$status" -eq 0 ]
        ;;
    *)
        echo "wine.sh: unknown action $action" >&2
        exit 2
        ;;
esac

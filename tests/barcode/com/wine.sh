#!/usr/bin/env bash
# The wine side of the DLL tests: a wine prefix of their own, 32-bit or 64-bit, used without a
# display.
# usage: wine.sh PREFIX 32|64 create            makes a fresh prefix (takes a while)
#        wine.sh PREFIX 32|64 remove            stops its wine server and deletes it
#        wine.sh PREFIX 32|64 run PROGRAM ARGS  runs a Windows program in it
#        wine.sh PREFIX 32|64 wait              waits until every program in it has ended
#        wine.sh PREFIX 32|64 script FILE ARGS  runs a VBScript file under cscript; passes only
#                                               when the script printed its "N passed, 0 failed"
#                                               line and ended with 0 (cscript ends with 0 after
#                                               any error)
# On a host whose kernel does not execute 32-bit (i386) programs, every action on a 32-bit
# prefix ends with exit code 77 and the reason, which ctest reports as skipped.
set -euo pipefail
export WINEPREFIX=$1
bits=$2
action=$3
shift 3
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs .NET or HTML, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

case $bits in
    32)
        export WINEARCH=win32
        # The 32-bit loader; the wine wrapper would fall back to the 64-bit one.
        loader=/usr/lib/wine/wine
        if [ "$action" != remove ] && ! reason=$("$loader" --version 2>&1); then
            echo "skipped: this host cannot execute 32-bit (i386) programs: ${reason:-$loader}"
            exit 77
        fi
        ;;
    64)
        export WINEARCH=win64
        loader=/usr/lib/wine/wine64
        ;;
    *)
        echo "wine.sh: 32 or 64, not $bits" >&2
        exit 2
        ;;
esac

case $action in
    create)
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        # A 64-bit prefix fails to set up its 32-bit half where i386 cannot run: harmless here.
        "$loader" wineboot -i 2>/dev/null
        wineserver -w
        ;;
    remove)
        wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        ;;
    run)
        exec "$loader" "$@"
        ;;
    wait)
        wineserver -w
        ;;
    script)
        status=0
        output=$("$loader" cscript //nologo "$@") || status=$?
        printf '%s\n' "$output"
        grep -Eq '^[0-9]+ passed, 0 failed' <<<"${output//$'\r'/}" && [ "$status" -eq 0 ]
        ;;
    *)
        echo "wine.sh: unknown action $action" >&2
        exit 2
        ;;
esac

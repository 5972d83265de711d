#!/usr/bin/env bash
# Installs what is needed, builds, sets up the embedded default database and the
# station's settings for this user, and starts the station program.
# Running it again changes nothing that is already set up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-packages.sh"
bash "$root/scripts/build.sh" "$root/build"
bash "$root/scripts/provision-station.sh" "$root/build"

program="$root/build/bin/VrelScanning"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat <<INFO
The station is set up, but there is no display to show its window on (neither DISPLAY nor
WAYLAND_DISPLAY is set). Start it from a desktop session with

    $program

or on a virtual display, for example

    xvfb-run -a $program
INFO
    exit 0
fi
exec "$program"

#!/usr/bin/env bash
# Starts the station program on a virtual display against the embedded default, set up in a
# throw-away home folder; logs in as the demo operator by typing into the login dialog; and
# saves pictures of the login dialog and of the main window into docs/. The monitor's browser test
# takes the monitor's page, which is copied beside them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bash "$root/scripts/build.sh" "$build"

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share
export ODBCINI=$home/.odbc.ini
bash "$root/scripts/provision-station.sh" "$build" >/dev/null

xvfb-run -a -s "-screen 0 1024x768x24" bash -s "$build/bin/VrelScanning" "$root/docs" <<'SHOT'
set -euo pipefail
program=$1 docs=$2
mkdir -p "$docs"
"$program" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

login=$(xdotool search --sync --onlyvisible --name '^Kestrana Lindhollow Login$' | head -1)
xdotool windowfocus --sync "$login"
sleep 0.5
xdotool type --delay 50 demo
xdotool key Tab
xdotool type --delay 50 demo
sleep 0.3
import -window "$login" "$docs/login.png"
xdotool key Return

main=$(xdotool search --sync --onlyvisible --name '^Kestrana Lindhollow Scanner Control$' | head -1)
sleep 1
import -window "$main" "$docs/main-window.png"

# One batch with the demo paper: Start Batch, Start Scanner, End Batch. Each message box is
# answered with its default button; the summary is saved.
click() { xdotool mousemove --window "$main" "$1" "$2" click 1; }
answer() {
    local box
    box=$(xdotool search --sync --onlyvisible --name "$1" | head -1)
    xdotool windowfocus --sync "$box"
    sleep 0.5
    if [ -n "${2:-}" ]; then import -window "$box" "$2"; fi
    xdotool key Return
}
click 204 56 # Start Batch
answer '^Scan Header Card$'
answer '^Assign Batch$'
click 572 56 # Start Scanner
answer '^Feeder Empty$'
click 204 112 # End Batch
answer '^Scan Ender Card$'
answer '^Batch [0-9]+ Ended$' "$docs/batch-summary.png"
SHOT

monitor=$build/tests/monitor/monitor.png
rm -f "$monitor"
ctest --test-dir "$build" -R '^monitor-page-test$' --output-on-failure
if [ ! -f "$monitor" ]; then
    echo "No picture of the monitor's page: its browser test was skipped (see above)" >&2
    exit 1
fi
cp "$monitor" "$root/docs/monitor.png"
echo "Saved $root/docs/login.png, $root/docs/main-window.png, $root/docs/batch-summary.png and" \
    "$root/docs/monitor.png"

# The desktop of one test, sourced by the tests (their first argument is the build folder): an X
# server of its own (Xvfb) on a free display, the openbox window manager when the test starts it,
# a throw-away home with the embedded default station set up (SQLite database, settings, demo
# operator, disk-import scanner with demo paper), and the station program. Whatever the test
# started is stopped and the home removed when the test ends, passed or failed.
#
# Waits poll with generous upper bounds; nothing is judged after a fixed pause.
set -euo pipefail

build=$1
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts" && pwd)
# The station number and operator that provision-station.sh sets up.
readonly STATION=3 OPERATOR=demo PASSWORD=demo
readonly MAIN_TITLE='Kestrana Lindhollow Scanner Control' LOGIN_TITLE='Kestrana Lindhollow Login'

skip() {
    echo "SKIPPED: $*"
    exit 77
}
for tool in Xvfb openbox xdotool sqlite3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-packages.sh)"
done

work=$(mktemp -d)
xserver='' windowmanager='' station=''

fail() {
    echo "FAILED: $*" >&2
    if [ -n "${DISPLAY:-}" ]; then
        echo "Windows shown:" >&2
        xdotool search --onlyvisible --name . getwindowname %@ >&2 2>/dev/null || true
        echo "Window tree:" >&2
        xwininfo -root -tree 2>/dev/null | grep -v 'has no name' >&2 || true
    fi
    local pid
    for pid in "$station" "$windowmanager"; do
        running "$pid" && echo "Process $pid: $(tr '\0' ' ' </proc/"$pid"/cmdline) $(grep State /proc/"$pid"/status) wchan $(cat /proc/"$pid"/wchan)" >&2
    done
    if running "$station" && command -v gdb >/dev/null; then
        echo "Station threads:" >&2
        timeout 60 gdb -p "$station" -batch -ex 'thread apply all bt 12' 2>/dev/null |
            grep -E '^(Thread|#)' >&2 || true
    fi
    if [ -s "$work/station.log" ]; then
        echo "Station output:" >&2
        cat "$work/station.log" >&2
    fi
    exit 1
}

running() {
    local state
    [ -n "$1" ] && [ -r "/proc/$1/stat" ] || return 1
    read -r _ _ state _ <"/proc/$1/stat" || return 1
    [ "$state" != Z ]
}

# Runs the command in $3... until it succeeds, for at most $1 seconds; $2 says what is awaited.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$what: not within $seconds s"
        sleep 0.1
    done
}

stop() {
    running "$1" || return 0
    kill "$1" 2>/dev/null || true
    local deadline=$((SECONDS + 10))
    while running "$1" && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

cleanup() {
    stop "$station"
    stop "$windowmanager"
    stop "$xserver"
    rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_RUNTIME_DIR=$work/runtime ODBCINI=$work/home/.odbc.ini
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
bash "$scripts/provision-station.sh" "$build" >"$work/provision.log" 2>&1 ||
    fail "setting up the station: $(cat "$work/provision.log")"
database=$XDG_DATA_HOME/KestranaLindhollow/lindhollow.db
intray=$XDG_DATA_HOME/KestranaLindhollow/intray

# The server writes its display number once it takes connections.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xserver=$!
display_known() { [ -s "$work/display" ] || { running "$xserver" || fail "Xvfb ended: $(cat "$work/xvfb.log")"; false; }; }
wait_for 30 "Xvfb taking connections" display_known
export DISPLAY=:$(head -1 "$work/display")

# Openbox announces itself on the display before it has finished starting, and a window mapped in
# between may never be managed; its start-up command runs once it takes windows.
window_manager_ready() { [ -e "$work/openbox-ready" ]; }
start_window_manager() {
    openbox --sm-disable --startup "touch $work/openbox-ready" >"$work/openbox.log" 2>&1 &
    windowmanager=$!
    wait_for 30 "openbox taking windows" window_manager_ready
}

start_station() {
    "$build/bin/VrelScanning" >"$work/station.log" 2>&1 &
    station=$!
}

# A visible window whose title matches the regular expression $1 (any letter case); its id goes
# to $window. The station must still be running.
window_shown() {
    running "$station" || fail "the station ended (waiting for a window '$1')"
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$window" ]
}
wait_window() { wait_for 60 "a window '$1'" window_shown "$1"; }

# The keyboard goes to window $1.
has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null || true)" = "$1" ]; }
wait_focus() { wait_for 60 "the keyboard at '$(xdotool getwindowname "$1")'" has_focus "$1"; }

# The operator's typing: a little slower than xdotool's default, as people type.
type_text() { xdotool type --delay 40 "$1"; }
key() { xdotool key --delay 40 "$@"; }

# Answers the message box titled $1 (a regular expression) with Enter once it has the keyboard.
answer() {
    wait_window "$1"
    wait_focus "$window"
    key Return
}

# Waits until the station has ended, and puts its exit status into $station_status.
station_ended() { ! running "$station"; }
wait_station_end() {
    wait_for 60 "the station ending" station_ended
    station_status=0
    wait "$station" || station_status=$?
    station=''
}

sql() { sqlite3 -batch -cmd '.timeout 10000' "$database" "$1"; }

expect_eq() {
    [ "$2" = "$3" ] || fail "$1: '$2', expected '$3'"
}

station_row() {
    sql "SELECT USERID, STATUS, CURRENTTASK FROM SystemStatus WHERE SYSTEMID = $STATION"
}

# After OK in the login dialog: the main window shows, not the refusal, and the station is online
# under the demo operator. The main window's id goes to $main; $1 says why a refusal would be
# wrong.
expect_logged_in() {
    wait_window "^($MAIN_TITLE|Login)\$"
    [ "$(xdotool getwindowname "$window")" = "$MAIN_TITLE" ] || fail "refused: $1"
    main=$window
    expect_eq "station row" "$(station_row)" "$OPERATOR|ONLINE|STANDING BY"
}

# Logs the demo operator in from the login dialog just shown.
log_in() {
    wait_window "^$LOGIN_TITLE\$"
    wait_focus "$window"
    type_text "$OPERATOR"
    key Tab
    type_text "$PASSWORD"
    key Return
    expect_logged_in "the demo operator's login"
}

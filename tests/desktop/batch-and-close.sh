#!/usr/bin/env bash
# One short batch on a desktop with openbox, as the operator runs it with the demo paper of the
# disk-import scanner (a header card without a batch number, five ballots, an ender card); then
# the operator closes the main window through the window manager (Alt+F4). $1: the build folder.
source "$(dirname "$0")/desktop.sh"

start_window_manager
start_station
log_in

# Clicks at ($1, $2) in the main window until $3 (a command) says that the click took effect. A
# button that is not enabled yet takes no click, and the window takes none while a message box
# is shown, so clicking again is harmless.
click_until() {
    local x=$1 y=$2 deadline=$((SECONDS + 60))
    shift 2
    while :; do
        wait_focus "$main"
        xdotool mousemove --window "$main" "$x" "$y" click 1
        local retry=$((SECONDS + 3))
        while [ "$SECONDS" -lt "$retry" ]; do
            "$@" && return 0
            sleep 0.1
        done
        [ "$SECONDS" -lt "$deadline" ] || fail "no effect of a click at $x, $y: $*"
    done
}
scanning() { [ "$(station_row)" = "$OPERATOR|ONLINE|SCANNING" ] || window_shown '^Feeder Empty$'; }
batch_closed() { [ -n "$(sql "SELECT EndTime FROM Batches WHERE SystemID = $STATION")" ]; }

click_until 204 56 window_shown '^Scan Header Card$' # Start Batch
answer '^Scan Header Card$'
answer '^Assign Batch$' # Yes: the proposed batch number 1
click_until 572 56 scanning # Start Scanner
answer '^Feeder Empty$'
click_until 204 112 window_shown '^Scan Ender Card$' # End Batch
answer '^Scan Ender Card$'
answer '^Batch 1 Ended$'
wait_for 60 "the batch row closed" batch_closed
expect_eq "station row after the batch" "$(station_row)" "$OPERATOR|ONLINE|STANDING BY"
expect_eq "batch row" "$(sql "SELECT BatchNo, UserID, ImageCount, BallotCount FROM Batches
                              WHERE SystemID = $STATION")" "1|$OPERATOR|7|5"
expect_eq "image rows (sequence:serial:status)" \
    "$(sql "SELECT group_concat(ImageSeq || ':' || BallotSN || ':' || Status, ' ')
            FROM (SELECT * FROM BallotImages WHERE SystemID = $STATION AND BatchNo = 1
                  ORDER BY ImageSeq)")" \
    "0:300100000:9 1:300100001:0 2:300100002:0 3:300100003:0 4:300100004:0 5:300100005:0 6:300100006:10"
expect_eq "image files" "$(cd "$intray/3001" && echo *.tif)" \
    "300100000.tif 300100001.tif 300100002.tif 300100003.tif 300100004.tif 300100005.tif 300100006.tif"

wait_focus "$main"
key alt+F4
wait_station_end
expect_eq "exit status after closing" "$station_status" 0
expect_eq "station row after closing" "$(station_row)" "$OPERATOR|OFFLINE|IDLE"
echo "Batch 1 scanned and stored; closing through openbox left the station OFFLINE / IDLE"

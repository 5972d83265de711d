#!/usr/bin/env bash
# The login dialog's keys on a desktop with openbox, one start of the station each: Enter on the
# focused Cancel and Esc end the program without logging in; Alt+P and Alt+U move to the password
# and the user name, and Enter on the focused OK logs in. $1: the build folder.
source "$(dirname "$0")/desktop.sh"

start_window_manager

# The program ends by itself, with status 0, and no station row is written; a login shows the
# main window instead.
ended_or_logged_in() {
    station_ended || xdotool search --onlyvisible --name "^$MAIN_TITLE\$" >/dev/null 2>&1
}
expect_cancelled() {
    wait_for 60 "the station ending" ended_or_logged_in
    station_ended || fail "$1 logged in"
    wait_station_end
    expect_eq "exit status after $1" "$station_status" 0
    expect_eq "station rows after $1" "$(sql 'SELECT COUNT(*) FROM SystemStatus')" 0
}
login_dialog() {
    start_station
    wait_window "^$LOGIN_TITLE\$"
    wait_focus "$window"
}

login_dialog
type_text "$OPERATOR"
key Tab
type_text "$PASSWORD"
key Tab Tab # OK, then Cancel
key Return
expect_cancelled "Enter on Cancel"

login_dialog
type_text "$OPERATOR"
key Tab
type_text "$PASSWORD"
key Escape
expect_cancelled "Esc"

login_dialog
key alt+p
type_text "$PASSWORD"
key alt+u
type_text "$OPERATOR"
key Tab Tab # the password, then OK
key Return
expect_logged_in "Alt+P and Alt+U did not move to the password and the user name"
echo "Enter on Cancel and Esc cancel; Alt+P, Alt+U and Enter on OK log in"

#!/usr/bin/env bash
# A refused login, then the right password typed as soon as the dialog has the keyboard back: the
# refused password is selected, so the new typing replaces it and the operator is logged in.
# With the openbox window manager, or on the bare X server with --without-window-manager.
# $1: the build folder.
source "$(dirname "$0")/desktop.sh"

[ "${2:-}" = --without-window-manager ] || start_window_manager
start_station
wait_window "^$LOGIN_TITLE\$"
login=$window
wait_focus "$login"
type_text "$OPERATOR"
key Tab
type_text wrongpw
key Return

answer '^Login$'
wait_focus "$login"
type_text "$PASSWORD"
key Return

expect_logged_in "the retyped password did not replace the refused one"
echo "Logged in after a refusal ($([ -n "$windowmanager" ] && echo openbox || echo 'no window manager'))"

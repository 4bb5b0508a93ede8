#!/usr/bin/env bash
# The screen-saver settings dialog ("/c") under a window manager: it opens on the screen-saver
# tab with "&Ok" and no "Update" button, changes nothing on the desktop, and "&Ok" stores the
# saver's values (and only those that were edited on that tab) and ends the program.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2

install_program "$muralto" SSDelay=5 SSScaleFactor=1 SSAddPath=0
start_window_manager

"$work/bin/muralto" /c &
pid=$!
started_pids+=("$pid")

wait_until 20 options_shown
wid=$("$probe" options-visible)
xdotool windowactivate --sync "$wid"

# The labels' access keys lead to their boxes: a new delay and scale factor, and the caption on.
xdotool key --clearmodifiers alt+d ctrl+a
xdotool type --delay 20 "42"
xdotool key --clearmodifiers alt+c ctrl+a
xdotool type --delay 20 "3"
xdotool key --clearmodifiers alt+a
xdotool key --clearmodifiers alt+o
wait_exit "$pid" 20 || fail "muralto /c ended with status $?"

[ "$(hive_value Settings SSDelay)" = '"42"' ] || fail "SSDelay is $(hive_value Settings SSDelay)"
[ "$(hive_value Settings SSScaleFactor)" = '"3"' ] || fail "SSScaleFactor not stored"
[ "$(hive_value Settings SSAddPath)" = '"-1"' ] || fail "SSAddPath not stored"
# The wallpaper's values are written as they were: the edits went to the saver's tab.
[ "$(hive_value Settings Delay)" = '"60"' ] || fail "Delay is $(hive_value Settings Delay)"
[ "$(hive_value Settings AddPath)" = '"0"' ] || fail "AddPath is $(hive_value Settings AddPath)"
# No wallpaper, no icon, no placement in this mode.
[ "$("$probe" pixmap)" = 0 ] || fail "the dialog changed the wallpaper"
[ -z "$(hive_value 'Windows\\frmMuralto' WindowWidth)" ] || fail "the dialog stored a placement"
echo "options_dialog: ok"

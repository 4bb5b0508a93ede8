#!/usr/bin/env bash
# The options window of the resident program under a window manager: a folder typed into the
# path box, Enter and Save make the next update show a picture from that folder; closing with
# unsaved edits asks "Save Changes?" (Cancel keeps the program, No ends it without writing);
# the window comes back where it was left, run after run, without growing.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
pictures=$3

# One change at start only: every later change comes from this test's own actions.
install_program "$muralto" StartupOnly=-1
cp "$pictures"/dawn.jpg "$work/pics/"
mkdir -p "$work/other"
cp "$pictures"/night.jpg "$work/other/"
start_window_manager

box_shown() { "$probe" box-visible >/dev/null; }
box_gone() { ! box_shown; }
bitmap_sum() { cksum <"$bitmap"; }
bitmap_changed_from() { [ -f "$bitmap" ] && [ "$(bitmap_sum)" != "$1" ]; }
stored_path_is() { [ "$(hive_value Settings Path)" = "\"$1\"" ]; }

# The window manager's close (openbox binds it to Alt+F4): the program is asked, not killed.
close_window() {
    xdotool windowactivate --sync "$wid"
    xdotool key --clearmodifiers alt+F4
}

start_program() {
    MURALTO_WALLPAPER_BACKEND=x11 "$work/bin/muralto" &
    pid=$!
    started_pids+=("$pid")
    wait_until 20 options_shown
    wid=$("$probe" options-visible)
    xdotool windowactivate --sync "$wid"
}

# Run 1: the first wallpaper comes from the stored folder.
start_program
wait_until 20 pixmap_set
wait_until 10 shows_bitmap
first=$(bitmap_sum)

# The path box has the focus when the window opens.
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 10 "$work/other"
xdotool key --clearmodifiers Return alt+s
wait_until 10 stored_path_is "$work/other/"
xdotool key --clearmodifiers alt+u
wait_until 20 bitmap_changed_from "$first"
wait_until 10 shows_bitmap

# Moved by the user, then closed with an unsaved edit: Cancel keeps everything running.
xdotool windowmove --sync "$wid" 200 150
xdotool key --clearmodifiers alt+d ctrl+a
xdotool type --delay 20 "7"
close_window
wait_until 10 box_shown
xdotool key --clearmodifiers Escape
wait_until 10 box_gone
kill -0 "$pid" || fail "Cancel ended the program"
options_shown || fail "Cancel closed the window"
left=$("$probe" geometry "$wid")

# No: the program ends and the edit is not written.
close_window
wait_until 10 box_shown
xdotool key --clearmodifiers alt+n
wait_exit "$pid" 20 || fail "muralto ended with status $?"
[ "$(hive_value Settings Delay)" = '"60"' ] || fail "No wrote the delay: $(hive_value Settings Delay)"

# Runs 2 to 4: the window opens where it was left, the same size, and closes without a question.
for run in 2 3 4; do
    start_program
    now=$("$probe" geometry "$wid")
    [ "$now" = "$left" ] || fail "run $run: the window is at $now, it was left at $left"
    close_window
    wait_exit "$pid" 20 || fail "run $run: muralto ended with status $?"
done
echo "options_window: ok"

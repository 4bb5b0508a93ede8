#!/usr/bin/env bash
# The full-screen saver ("/s") on a real X server: it covers the whole screen with the composed
# frame above every other window (a green dock included), hides the cursor and marks itself active; a second saver
# started meanwhile ends at once and changes nothing; a move of 3 pixels keeps it running, one
# of 6 pixels ends it, and the end marks it inactive again. Without a picture to show, the saver
# is a black screen that wakes all the same.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2

install_program "$muralto" SSDelay=600
# A picture smaller than the screen is shown as it is, centred on black.
"$probe" make-picture "$work/pics/frame.bmp" 640 480
start_window_manager
trayer --edge top --align left --widthtype pixel --width 300 --heighttype pixel --height 40 \
    --SetDockType true --transparent true --alpha 0 --tint 0x00ff00 &
started_pids+=($!)
dock_shown() { xdotool search --onlyvisible --class trayer >/dev/null 2>&1; }
wait_until 20 dock_shown
xdotool mousemove 10 10

"$work/bin/muralto" /s &
pid=$!
started_pids+=("$pid")

shows_frame() { "$probe" compare-screen "$work/pics/frame.bmp" >/dev/null; }
cursor_hidden() { "$probe" cursor >/dev/null; }
wait_until 20 shows_frame
# Above the dock by right, not by the window manager's grace: no manager handles the window.
"$probe" saver-window >/dev/null || fail "the saver's window is left to the window manager"
wait_until 10 cursor_hidden
[ "$(hive_value Settings SSActive)" = '"True"' ] || fail "SSActive is not True while the saver runs"

# A second saver while this one runs: it ends at once and writes nothing.
before=$(cat "$hive")
"$work/bin/muralto" /s &
second=$!
started_pids+=("$second")
wait_exit "$second" 20 || fail "the second saver ended with status $?"
[ "$(cat "$hive")" = "$before" ] || fail "the second saver changed the settings"
shows_frame || fail "the second saver disturbed the first one's frame"

# The first move is only recorded; 3 pixels from it stay within the slack.
xdotool mousemove 300 300
xdotool mousemove 303 300
# Nothing to poll for: the saver must still be there once the moves have had time to arrive.
sleep 1
kill -0 "$pid" || fail "a move of 3 pixels ended the saver"
shows_frame || fail "the frame is gone after a small move"

xdotool mousemove 306 300
wait_exit "$pid" 20 || fail "the saver ended with status $?"
[ "$(hive_value Settings SSActive)" = '"False"' ] || fail "SSActive is not False after the end"
# Nothing to show: black, and still listening.
rm "$work/pics/frame.bmp"
printf 'not a picture' >"$work/pics/broken.jpg"
"$probe" make-picture "$work/black.bmp" 2 2 black
all_black() { "$probe" compare-screen "$work/black.bmp" >/dev/null; }
"$work/bin/muralto" /s 2>/dev/null &
pid=$!
started_pids+=("$pid")
wait_until 20 saver_shown
wait_until 10 all_black
xdotool mousemove 600 600
xdotool mousemove 620 600
wait_exit "$pid" 20 || fail "the black saver ended with status $?"
echo "saver: ok"

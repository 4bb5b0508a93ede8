#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP end the program the orderly way in every mode: the wallpaper mode
# saves its window's placement, the saver marks itself inactive, the preview simply ends.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2

install_program "$muralto" StartupOnly=-1 SSDelay=600
"$probe" make-picture "$work/pics/frame.bmp" 640 480
start_window_manager

placement_saved() { grep -q '^"WindowLeft"=' "$hive"; }
# The wallpaper mode leaves the same picture on the root window: only the saver's own window
# covering the screen with it says that the saver runs.
shows_frame() {
    "$probe" saver-window >/dev/null && "$probe" compare-screen "$work/pics/frame.bmp" >/dev/null
}
filled() { "$probe" filled "$host" >/dev/null; }

MURALTO_WALLPAPER_BACKEND=x11 "$work/bin/muralto" &
pid=$!
started_pids+=("$pid")
wait_until 20 options_shown
placement_saved && fail "the placement was stored before the end"
kill -TERM "$pid"
wait_exit "$pid" 10 || fail "the wallpaper mode ended with status $? on SIGTERM"
placement_saved || fail "SIGTERM did not save the window's placement"

# A script's background jobs start with SIGINT ignored, which the program respects: give it
# the default disposition, as a terminal's foreground program has.
env --default-signal=INT "$work/bin/muralto" /s &
pid=$!
started_pids+=("$pid")
wait_until 20 shows_frame
kill -INT "$pid"
wait_exit "$pid" 10 || fail "the saver ended with status $? on SIGINT"
[ "$(hive_value Settings SSActive)" = '"False"' ] || fail "SIGINT left SSActive set"

# With the settings locked by another process, the end asks nobody about its failed write: it
# says it on standard error and ends, its wait for the lock bounded.
"$work/bin/muralto" /s 2>"$work/locked.err" &
pid=$!
started_pids+=("$pid")
wait_until 20 shows_frame
flock -o "$hive.lock" sleep 30 >/dev/null 2>&1 &
started_pids+=($!)
wait_until 5 bash -c "! flock -n '$hive.lock' true"
kill -TERM "$pid"
wait_exit "$pid" 10 || fail "with the settings locked, SIGTERM ended with status $?"
grep -q "Error accessing registry" "$work/locked.err" || fail "the failed write was not told"
kill "${started_pids[-1]}"

"$probe" host-window 200 150 >"$work/host" &
started_pids+=($!)
wait_until 10 test -s "$work/host"
host=$(head -n 1 "$work/host")
"$work/bin/muralto" /p "$host" &
pid=$!
started_pids+=("$pid")
wait_until 20 filled
kill -HUP "$pid"
wait_exit "$pid" 10 || fail "the preview ended with status $? on SIGHUP"
echo "signals: ok"

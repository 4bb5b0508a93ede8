#!/usr/bin/env bash
# The preview ("/p HANDLE") on a real X server: it fills a window of another program; a second
# preview closes the first; an earlier preview's id that now names a window of another program
# leaves that window alone; destroying the host ends the preview; the xscreensaver settings
# program's way of asking for a preview works the same; a host that does not exist is reported,
# with exit status 1.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2

install_program "$muralto" SSDelay=600
"$probe" make-picture "$work/pics/frame.bmp" 640 480

# host_window NAME W H X Y: a window of another program; its id lands in $NAME, its probe's
# process id in $NAME_pid.
host_window() {
    "$probe" host-window "$2" "$3" "$4" "$5" >"$work/$1" &
    started_pids+=($!)
    eval "$1_pid=$!"
    wait_until 10 test -s "$work/$1"
    eval "$1=$(head -n 1 "$work/$1")"
}
filled() { "$probe" filled "$1" >/dev/null; }
preview_is() { [ "$(hive_value Settings 'Preview hWnd')" = "\"$1\"" ]; }
preview_other_than() { ! preview_is "$1" && [ -n "$(hive_value Settings 'Preview hWnd')" ]; }

host_window host 200 150 40 40
"$work/bin/muralto" /p "$host" &
first=$!
started_pids+=("$first")
wait_until 20 filled "$host"
wait_until 10 preview_other_than ""
first_window=$(hive_value Settings 'Preview hWnd' | tr -d '"')

# A second preview closes the first and takes over.
"$work/bin/muralto" /p "$host" &
second=$!
started_pids+=("$second")
wait_exit "$first" 20 || fail "the first preview ended with status $?"
wait_until 10 preview_other_than "$first_window"
wait_until 20 filled "$host"

# A stale id naming another program's window: that window stays open.
kill -TERM "$second"
wait_exit "$second" 20 || fail "the second preview ended with status $?"
host_window foreign 100 100 600 400
sed -i "s/^\"Preview hWnd\"=.*/\"Preview hWnd\"=\"$foreign\"/" "$hive"
"$work/bin/muralto" /p "$host" &
third=$!
started_pids+=("$third")
wait_until 10 preview_other_than "$foreign"
wait_until 20 filled "$host"
kill -0 "$foreign_pid" 2>/dev/null || fail "the foreign window was closed"
grep -q closed "$work/foreign" && fail "the foreign window was asked to close"

# The host goes away: the preview follows.
kill "$host_pid"
wait_exit "$third" 10 || fail "the preview ended with status $?"

# xscreensaver's settings program runs its preview as "--root --window-id ID" with
# $XSCREENSAVER_WINDOW naming the same window: a preview into that window, ending with it.
host_window settings 300 200 100 300
XSCREENSAVER_WINDOW=$(printf '0x%X' "$settings") "$work/bin/muralto" --root --window-id \
    "$(printf '0x%X' "$settings")" &
daemon_preview=$!
started_pids+=("$daemon_preview")
wait_until 20 filled "$settings"
kill "$settings_pid"
wait_exit "$daemon_preview" 10 || fail "the settings program's preview ended with status $?"

# Nothing to draw into.
status=0
"$work/bin/muralto" /p 12345 2>"$work/err" || status=$?
[ "$status" = 1 ] || fail "a missing host gave exit status $status"
grep -q "no window 12345" "$work/err" || fail "a missing host was not reported: $(cat "$work/err")"
echo "preview: ok"

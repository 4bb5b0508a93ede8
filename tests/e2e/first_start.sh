#!/usr/bin/env bash
# The first start in the wallpaper mode asks once whether Muralto should be the default screen
# saver; the answer is recorded in the hive and the next start asks nothing. The password
# change switch ends at once and writes nothing.
source "$(dirname "$0")/lib.sh"
muralto=$1

"$muralto" /a 0
[ ! -e "$XDG_CONFIG_HOME/Brenwick" ] || fail "/a wrote to the configuration folder"

"$muralto" &
pid=$!
started_pids+=("$pid")
wait_until 20 window_named '^Muralto$'
wid=$(xdotool search --name '^Muralto$' | head -n 1)
xdotool windowfocus --sync "$wid"
xdotool key Escape
wait_exit "$pid" 20 || fail "muralto ended with status $?"
[ "$(hive_value Settings AskDefSS)" = '"1"' ] || fail "AskDefSS not stored: $(cat "$hive")"
head -n 1 "$hive" | grep -qx 'Windows Registry Editor Version 5.00' || fail "no hive header"

before=$(cat "$hive")
"$muralto" &
pid=$!
started_pids+=("$pid")
wait_exit "$pid" 20 || fail "second start ended with status $?"
[ "$(cat "$hive")" = "$before" ] || fail "second start changed the hive"
echo "first start: ok"

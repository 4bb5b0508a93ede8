#!/usr/bin/env bash
# The first start in the wallpaper mode asks once whether Muralto should be the default screen
# saver, before anything else happens; the answer is recorded in the hive and the next start
# asks nothing and goes straight to the wallpaper. The password change switch ends at once and
# writes nothing.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
samples=$3

mkdir -p "$work/bin"
cp "$muralto" "$work/bin/muralto"
cp -r "$samples" "$work/bin/samples"
export MURALTO_WALLPAPER_BACKEND=x11

"$work/bin/muralto" /a 0
[ ! -e "$XDG_CONFIG_HOME/Brenwick" ] || fail "/a wrote to the configuration folder"

"$work/bin/muralto" &
pid=$!
started_pids+=("$pid")
wait_until 20 window_named '^Muralto$'
[ "$("$probe" pixmap)" = 0 ] || fail "the wallpaper was set before the question was answered"
wid=$(xdotool search --name '^Muralto$' | head -n 1)
xdotool windowfocus --sync "$wid"
xdotool key Escape
wait_until 20 pixmap_set
[ "$(hive_value Settings AskDefSS)" = '"1"' ] || fail "AskDefSS not stored: $(cat "$hive")"
head -n 1 "$hive" | grep -qx 'Windows Registry Editor Version 5.00' || fail "no hive header"
kill "$pid"
wait "$pid" || true

first=$("$probe" pixmap)
"$work/bin/muralto" &
pid=$!
started_pids+=("$pid")
wait_until 20 pixmap_changed_from "$first"
[ "$(hive_value Settings AskDefSS)" = '"1"' ] || fail "AskDefSS changed: $(cat "$hive")"
echo "first start: ok"

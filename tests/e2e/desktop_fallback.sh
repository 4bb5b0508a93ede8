#!/usr/bin/env bash
# An LXDE session whose file manager does not draw the desktop (no "pcmanfm --desktop"): the
# program never runs pcmanfm's wallpaper tool, which would wait on an error window of its own,
# but sets the root window's pixmap instead, says so once on standard error and from its icon,
# and goes on changing the wallpaper that way at each delay.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
pictures=$3

install_program "$muralto" Delay=1
cp "$pictures"/dawn.jpg "$pictures"/night.jpg "$work/pics/"
told="The desktop did not take the wallpaper: pcmanfm's desktop manager is not running"
told="$told .no \"pcmanfm --desktop\".*Muralto sets it on the X11 root window instead."

start_window_manager
start_tray

# A pcmanfm that would be started ends the run: it leaves a mark and fails the change.
mkdir -p "$work/fakebin"
printf '#!/bin/sh\ntouch "%s/pcmanfm-ran"\nexit 1\n' "$work" >"$work/fakebin/pcmanfm"
chmod +x "$work/fakebin/pcmanfm"

PATH="$work/fakebin:$PATH" XDG_CURRENT_DESKTOP=LXDE XDG_SESSION_TYPE=x11 \
    "$work/bin/muralto" 2>"$work/stderr" &
pid=$!
started_pids+=("$pid")

said_so() { grep -q "$told" "$work/stderr"; }
wait_until 20 pixmap_set
wait_until 20 said_so
wait_until 20 balloon_shown
first=$("$probe" pixmap)
wait_until 20 pixmap_changed_from "$first"
second=$("$probe" pixmap)
wait_until 20 pixmap_changed_from "$second"

kill -TERM "$pid"
wait_exit "$pid" 20 || fail "muralto ended with status $?"
[ "$(grep -c "$told" "$work/stderr")" = 1 ] || fail "not said exactly once: $(cat "$work/stderr")"
[ ! -e "$work/pcmanfm-ran" ] || fail "pcmanfm was run without its desktop manager"
echo "desktop fallback: ok"

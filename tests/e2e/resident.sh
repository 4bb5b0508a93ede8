#!/usr/bin/env bash
# The resident wallpaper changer on a real X server: the first wallpaper is set at start and
# shows the composed bitmap, the delay changes it, a tray that appears later docks the icon,
# a double click on the icon brings the minimised options window back (not maximised, even
# when it was before), and Exit in the icon's menu ends the program and takes the icon away.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
pictures=$3

install_program "$muralto" Delay=2
mkdir -p "$work/pics/sub"
cp "$pictures"/dawn.jpg "$pictures"/night.jpg "$work/pics/"
cp "$pictures"/tiles.jpg "$work/pics/sub/"
# What a real tree holds besides good pictures: none of it may stop the changes.
cp "$pictures"/noon.jpg "$work/pics/sub/$(printf 'caf\xe9.jpg')"
printf 'not a picture' >"$work/pics/broken.jpg"
head -c 600 "$pictures"/dusk.jpg >"$work/pics/truncated.jpg"
ln -s .. "$work/pics/sub/loop"
mkdir -m 0 "$work/pics/locked"

start_window_manager

MURALTO_WALLPAPER_BACKEND=x11 "$work/bin/muralto" &
pid=$!
started_pids+=("$pid")

wait_until 20 pixmap_set
first=$("$probe" pixmap)
wait_until 10 shows_bitmap

wait_until 20 pixmap_changed_from "$first"
wait_until 10 shows_bitmap

# Every change shows a good picture, whatever the order of the cycle.
for round in 1 2 3; do
    previous=$("$probe" pixmap)
    wait_until 20 pixmap_changed_from "$previous"
    wait_until 10 shows_bitmap
done
kill -0 "$pid" || fail "muralto ended while changing wallpapers"

# The tray starts after the program: the icon must still dock.
start_tray
wait_until 20 icon_docked
read -r icon_x icon_y < <("$probe" tray-icon)

wait_until 20 options_shown
wid=$("$probe" options-visible)
# Maximised, then minimised into the tray: the icon brings the window back in its normal state.
# The request goes again at every look: one that reaches openbox before it manages the window
# is lost.
maximised() { "$probe" maximised "$wid" || { "$probe" maximise "$wid"; false; }; }
not_maximised() { ! "$probe" maximised "$wid"; }
wait_until 20 maximised
xdotool windowminimize "$wid"
wait_until 20 options_hidden

xdotool mousemove "$icon_x" "$icon_y" click --repeat 2 --delay 80 1
wait_until 20 options_shown
wait_until 20 not_maximised

# While the window is open the icon is inert; minimise again, then use the icon's menu.
xdotool windowminimize "$wid"
wait_until 20 options_hidden
open_icon_menu "$icon_x" "$icon_y"
xdotool key e
wait_exit "$pid" 20 || fail "muralto ended with status $?"
icon_gone() { ! "$probe" tray-icon >/dev/null; }
wait_until 20 icon_gone
echo "resident: ok"

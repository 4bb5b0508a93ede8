#!/usr/bin/env bash
# A Wayland session of a desktop whose wallpaper Muralto cannot set, swaybg missing from PATH
# (here on Xvfb, with the session variables saying otherwise): the program says so once, naming
# the package that would help, on standard error and in a balloon from its icon, writes no
# bitmap, and an "update now" from the icon's menu does no work and says nothing more. Exit
# still ends it.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
pictures=$3

install_program "$muralto" Delay=1
cp "$pictures"/dawn.jpg "$work/pics/"
told='cannot be changed: no way to set the wallpaper is known on this Wayland session.s desktop (XDG_CURRENT_DESKTOP=Hyprland), and swaybg, .* is not installed (Debian package swaybg)'
mkdir "$work/nothing"

start_window_manager
start_tray

XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=Hyprland QT_QPA_PLATFORM=xcb PATH=$work/nothing \
    "$work/bin/muralto" 2>"$work/stderr" &
pid=$!
started_pids+=("$pid")

balloon_gone() { ! balloon_shown; }
said_so() { grep -q "$told" "$work/stderr"; }
wait_until 20 icon_docked
wait_until 20 said_so
wait_until 20 balloon_shown
read -r icon_x icon_y < <("$probe" tray-icon)
# A click takes the balloon away; while it is up, the icon's menu would not open again.
read -r balloon_x balloon_y < <("$probe" balloon-visible)
xdotool mousemove "$balloon_x" "$balloon_y" click 1
wait_until 20 balloon_gone
# The icon's menu opens only while the options window is away.
xdotool windowminimize "$("$probe" options-visible)"
wait_until 20 options_hidden

menu_gone() { ! "$probe" menu-visible; }
open_icon_menu "$icon_x" "$icon_y"
xdotool key u
wait_until 20 menu_gone
# A second right press within the double-click interval (400 ms) makes a right double click,
# which the icon ignores: no state to poll for here, so wait the interval out.
sleep 1
xdotool mousemove "$icon_x" "$icon_y" click 3
wait_until 20 menu_shown
xdotool key e
wait_exit "$pid" 20 || fail "muralto ended with status $?"

[ "$(grep -c "$told" "$work/stderr")" = 1 ] || fail "not said exactly once: $(cat "$work/stderr")"
[ ! -e "$bitmap" ] || fail "a bitmap was composed for a session that cannot show it"
[ "$("$probe" pixmap)" = 0 ] || fail "the root pixmap was set"
echo "unsupported session: ok"

#!/usr/bin/env bash
# Two monitors side by side on one wide screen, the right one primary: the bitmap is composed
# for the primary monitor's size and the root pixmap shows it centred on that monitor, with the
# other monitor black. The monitors are set before the program starts, as a session has them.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
pictures=$3

install_program "$muralto"
cp "$pictures"/dawn.jpg "$work/pics/"

[ "$(xdpyinfo | awk '/dimensions:/ { print $2 }')" = 2048x768 ] || fail "needs a 2048x768 screen"
xrandr --setmonitor Left 1024/270x768/203+0+0 screen >/dev/null
xrandr --setmonitor '*Right' 1024/270x768/203+1024+0 none >/dev/null
xrandr --listmonitors | grep -q '\*Right 1024/270x768/203+1024+0' ||
    fail "the monitors are not set: $(xrandr --listmonitors)"

MURALTO_WALLPAPER_BACKEND=x11 "$work/bin/muralto" &
pid=$!
started_pids+=("$pid")

on_right_monitor() { "$probe" compare "$bitmap" 1024 0 1024 768 >/dev/null; }
wait_until 20 pixmap_set
wait_until 10 on_right_monitor
kill "$pid"
wait "$pid" || true
echo "monitors: ok"

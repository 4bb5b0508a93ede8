#!/usr/bin/env bash
# Muralto as xscreensaver's display mode, with the real daemon. Answering "Yes" to the first
# start's question writes the entry into ~/.xscreensaver; the daemon runs what it wrote (the
# program lies in a folder whose name has a blank, as "My Programs" would); the daemon's
# helper ends it with SIGTERM when the screen wakes. The daemon refuses to run as root, so as
# root everything of the session runs as the user "nobody".
#
# Arguments: MURALTO XPROBE SAMPLES REAPER. Exit status 77: skipped.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
samples=$3
reaper=$4

command -v xscreensaver >/dev/null || { echo "SKIP: xscreensaver is not installed"; exit 77; }
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || { echo "SKIP: running as root and setpriv is missing"; exit 77; }
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

# The daemon goes first at the end, so nothing it started outlives the test.
finish() {
    local status=$?
    run_as_user xscreensaver-command -exit >/dev/null 2>&1 || true
    if [ "$status" -ne 0 ] && [ -s "$work/daemon.log" ]; then
        echo "--- the daemon's log:"
        grep -v '^	' "$work/daemon.log" | tail -n 30
    fi
    cleanup
}
trap finish EXIT
export HOME=$work/home
folder="$work/Muralto Saver"
mkdir -p "$HOME" "$folder" "$work/pics" "$work/stubs" "$(dirname "$hive")"
cp "$muralto" "$folder/muralto"
cp "$samples"/*.jpg "$work/pics/"
cp "$XAUTHORITY" "$HOME/.Xauthority"
export XAUTHORITY=$HOME/.Xauthority
# The settings window that the installer opens is a stub that notes it was started.
printf '#!/bin/sh\ntouch "%s"\n' "$work/settings-started" >"$work/stubs/xscreensaver-settings"
chmod 755 "$work/stubs/xscreensaver-settings"
export PATH=$work/stubs:$PATH
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Settings]\n"Path"="%s"\n' \
    "$work/pics/" >"$hive"
[ ${#as_user[@]} -eq 0 ] || chown -R nobody:nogroup "$work"
chmod 755 "$work"
export MURALTO_WALLPAPER_BACKEND=x11
run_as_user() { "${as_user[@]}" "$@"; }

# The first start asks; the default answer (Return) is "Yes".
run_as_user "$folder/muralto" &
pid=$!
started_pids+=("$pid")
wait_until 20 window_named '^Muralto$'
wid=$(xdotool search --name '^Muralto$' | head -n 1)
xdotool windowfocus --sync "$wid"
xdotool key Return
settings_started() { [ -e "$work/settings-started" ]; }
wait_until 20 settings_started
kill "$pid"
wait "$pid" || true

config=$HOME/.xscreensaver
entry="\"muralto\" '$folder/muralto' -root"
grep -qF "$entry" "$config" || fail "no entry for the program in $config: $(grep -n muralto "$config")"
grep -qE '^mode:[[:space:]]+one$' "$config" || fail "the program is not the only display mode"
index=$(awk '/^\*?programs:/ { inside = 1; n = 0; next }
             inside && index($0, "muralto") { print n; exit }
             inside { n++; if ($0 !~ /\\$/) inside = 0 }' "$config")
grep -qE "^selected:[[:space:]]+$index\$" "$config" || fail "entry $index is not the selected one"
echo "installer: the entry is written and selected"

# The daemon, its helper and what they run are watched by the reaper, which learns how each
# process ended even after the helper that started it is gone.
echo 'fade: False' >>"$config"  # no fading: the screen changes at once
echo 'unfade: False' >>"$config"
daemon_log=$work/daemon.log
reaped=$work/reaped
"$reaper" "$reaped" "${as_user[@]}" xscreensaver -no-splash -verbose >"$daemon_log" 2>&1 &
reaper_pid=$!
started_pids+=("$reaper_pid")
daemon_up() { run_as_user xscreensaver-command -version >/dev/null 2>&1; }
wait_until 20 daemon_up
run_as_user xscreensaver-command -activate >/dev/null

# xscreensaver-gfx: 0: forked "'.../muralto' --root" in pid 123 on window 0x600008
forked() { grep -F "forked \"'$folder/muralto' --root\" in pid" "$daemon_log"; }
wait_until 20 forked
line=$(forked | head -n 1)
saver_pid=$(sed -E 's/.* in pid ([0-9]+) .*/\1/' <<<"$line")
saver_window=$(sed -E 's/.* on window (0x[0-9A-Fa-f]+).*/\1/' <<<"$line")
echo "daemon: runs the program as pid $saver_pid in window $saver_window"

# How a process ended: "exit N" or "signal N", as the reaper or the daemon's helper saw it.
ending() {
    local seen
    seen=$(awk -v pid="$1" '$1 == pid { $1 = ""; print substr($0, 2); exit }' "$reaped")
    if [ -z "$seen" ]; then
        seen=$(grep -E "child pid $1 .*(exited|terminated)" "$daemon_log" | head -n 1 |
            sed -E -e 's/.*exited normally.*/exit 0/' \
                -e 's/.*exited abnormally with status ([0-9]+).*/exit \1/' \
                -e 's/.*terminated with (.*)/signal \1/')
    fi
    echo "$seen"
}
ended() { [ -n "$(ending "$1")" ]; }

shows_picture() { "$probe" picture "$saver_window" >/dev/null; }
wait_until 20 shows_picture
process_gone "$saver_pid" && fail "the program ended while the screen saver runs"
echo "saver: the screen shows a picture: $("$probe" picture "$saver_window")"
run_as_user xscreensaver-command -deactivate >/dev/null
wait_until 5 process_gone "$saver_pid"
wait_until 10 ended "$saver_pid"
[ "$(ending "$saver_pid")" = "exit 0" ] || fail "the program ended with $(ending "$saver_pid")"
echo "daemon: the program ended cleanly: $(ending "$saver_pid")"

run_as_user xscreensaver-command -exit >/dev/null
wait_exit "$reaper_pid" 20 || true
grep -E ' (signal [0-9]+ core)$' "$reaped" && fail "a process dumped core"
echo "xscreensaver: ok"

# Shared helpers of the end-to-end tests. Each test runs under its own X server (xvfb-run) and
# gets private XDG folders, so nothing touches the real user's files.

source "$(dirname "${BASH_SOURCE[0]}")/../support/fail.sh"

work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
hive=$XDG_CONFIG_HOME/Brenwick/Muralto/HKCU.reg
bitmap=$work/bin/$(id -un).bmp
started_pids=()

# The program ends the orderly way on SIGTERM and writes its settings as it goes: wait for
# each process (killing what is still there after ten seconds) before the folder goes.
cleanup() {
    local p deadline
    for p in "${started_pids[@]}"; do kill "$p" 2>/dev/null || true; done
    deadline=$((SECONDS + 10))
    for p in "${started_pids[@]}"; do
        while kill -0 "$p" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
        kill -KILL "$p" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# wait_until SECONDS COMMAND...: polls COMMAND until it succeeds; fails the test at the deadline.
wait_until() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    until "$@"; do
        [ $SECONDS -lt $deadline ] || fail "timed out after ${limit}s waiting for: $*"
        sleep 0.1
    done
}

process_gone() { ! kill -0 "$1" 2>/dev/null; }

# wait_exit PID SECONDS: waits for the process to end and returns its exit status.
wait_exit() {
    wait_until "$2" process_gone "$1"
    local status=0
    wait "$1" || status=$?
    return $status
}

# hive_value SECTION NAME: the quoted data of a value in the hive file (empty when missing).
hive_value() {
    [ -f "$hive" ] || return 0
    awk -v key="[HKEY_CURRENT_USER\\\\Software\\\\Brenwick\\\\Muralto\\\\$1]" -v name="\"$2\"" '
        /^\[/ { inside = ($0 == key); next }
        inside && index($0, name "=") == 1 { print substr($0, length(name) + 2) }
    ' "$hive"
}

window_named() { xdotool search --name "$1" >/dev/null 2>&1; }

# install_program MURALTO [NAME=VALUE...]: a copy of the program in a folder of its own (the
# bitmap goes beside it), an empty picture folder $work/pics, and a hive whose settings have
# the question asked, the pictures in $work/pics/ and the values given.
install_program() {
    mkdir -p "$work/bin" "$work/pics" "$(dirname "$hive")"
    cp "$1" "$work/bin/muralto"
    shift
    {
        printf 'Windows Registry Editor Version 5.00\n\n'
        printf '[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Settings]\n'
        printf '"AskDefSS"="1"\n"Path"="%s"\n' "$work/pics/"
        local setting
        for setting in "$@"; do printf '"%s"="%s"\n' "${setting%%=*}" "${setting#*=}"; done
    } >"$hive"
}

# start_window_manager, start_tray: what a desktop session runs besides the program.
start_window_manager() {
    openbox --sm-disable &
    started_pids+=($!)
    wait_until 20 wm_running
    "$probe" wm-ready || fail "the window manager shows no window"
}
start_tray() {
    trayer --edge top --align right --widthtype request --height 32 --SetDockType true &
    started_pids+=($!)
    wait_until 20 tray_up
}

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
pixmap_set() {
    local pixmap
    pixmap=$("$probe" pixmap) && [ -n "$pixmap" ] && [ "$pixmap" != 0 ]
}
pixmap_changed_from() { [ "$("$probe" pixmap)" != "$1" ]; }
# The root shows the bitmap on disk. Polled: an update may fall between reading the two.
shows_bitmap() { "$probe" compare "$bitmap" >/dev/null; }
icon_docked() { "$probe" tray-icon >/dev/null; }
tray_up() { xdotool search --classname trayer >/dev/null 2>&1; }
balloon_shown() { "$probe" balloon-visible >/dev/null; }
options_shown() { "$probe" options-visible >/dev/null; }
saver_shown() { "$probe" saver-window >/dev/null; }
options_hidden() { ! "$probe" options-visible >/dev/null; }
menu_shown() { "$probe" menu-visible; }
# open_icon_menu X Y: right-clicks the tray icon at X,Y until its menu shows. The window manager
# hides a minimised window before the program hears of it, and until then the icon is inert: a
# click that came too early goes again once the double-click interval (400 ms) is past.
open_icon_menu() {
    local deadline=$((SECONDS + 20)) look
    while [ $SECONDS -lt $deadline ]; do
        xdotool mousemove "$1" "$2" click 3
        for look in 1 2 3 4 5 6; do menu_shown && return 0; sleep 0.1; done
    done
    fail "the icon's menu did not open within 20 s"
}

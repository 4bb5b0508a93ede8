#!/usr/bin/env bash
# The program against one desktop's real wallpaper service, on a private X server and session
# bus: for ScaleFactor 1 and 2 it starts the program (a change every 2 s) and, after the second
# change, reads back from the service the file it holds (a fresh copy, not the name of the
# first change), its placement, and, where the desktop draws, compares the screen with that
# file. Prints the time from the bitmap's write to the service holding the new name.
#
# Arguments: DESKTOP MURALTO XPROBE SCREENCHECK STANDIN. DESKTOP is a row of desktops.sh, or
# "lxde_absent"/"lxqt_absent": the pcmanfm backend while no pcmanfm desktop runs.
# Exit status 77: skipped (the reason is printed).
source "$(dirname "$0")/../e2e/lib.sh"
desktop=$1
muralto=$2
probe=$3
screencheck=$4
standin=$5

skip() {
    echo "SKIP: $*"
    exit 77
}
export HOME=$work/home
mkdir -p "$HOME/Desktop"
# The bus started before these folders were chosen: the services it starts (dconf, xfconfd)
# must use them too, never the real user's.
dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR DISPLAY ||
    skip "no session bus to start the desktop's services"
as_user=()
if [ "$(id -u)" -eq 0 ] && [[ "$desktop" == @(sway|sway_generic|wayfire) ]]; then
    command -v setpriv >/dev/null || skip "running as root and setpriv is missing"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    chmod 755 "$work"
fi
source "$(dirname "$0")/desktops.sh"

# Whether a window of the desktop's program (its X class) is shown.
desktop_window_shown() { xdotool search --onlyvisible --class "$1" >/dev/null 2>&1; }
# Minimises the options window, so screenshots show only the desktop.
hide_options() {
    wait_until 20 options_shown
    xdotool windowminimize "$("$probe" options-visible)"
    wait_until 20 options_hidden
}

# The pictures: one per run, smaller than the screen, so it shows unscaled at ScaleFactor 1.
make_pictures() {
    rm -f "$work/pics/"*
    "$probe" make-picture "$work/pics/picture.jpg" 600 400 || fail "cannot make a picture"
}

start_program() {
    install_program "$muralto" Delay=2 "ScaleFactor=$1"
    [ ${#as_user[@]} -eq 0 ] || chmod 755 "$work/bin"
    make_pictures
    PATH=${program_path:-$PATH} "$work/bin/muralto" >"$work/program.log" 2>&1 &
    program=$!
    started_pids+=("$program")
}

stop_program() {
    kill "$program"
    wait_exit "$program" 20 || fail "the program ended with status $? on SIGTERM"
}

held() { "${desktop}_held"; }
holds_a_copy() { [[ "$(held)" == "$work/bin/"*'~'*.bmp ]]; }
# The time in ms from the bitmap's last write to now.
since_write() {
    local written now
    written=$(stat -c %.9Y "$bitmap")
    now=$(date +%s.%N)
    awk -v a="$written" -v b="$now" 'BEGIN { printf "%d", (b - a) * 1000 }'
}

# Waits until the service holds a name other than $1; prints the time it took after the write.
wait_new_name() {
    local deadline=$((SECONDS + 30))
    while [ "$(held)" = "$1" ] || ! holds_a_copy; do
        [ $SECONDS -lt $deadline ] || fail "the service still holds $(held) after 30 s"
        sleep 0.02
    done
    since_write
}

# The part of the screen no panel covers, as X,Y,WIDTH,HEIGHT: the window manager's work area
# of the first desktop (empty when it sets none). The wallpaper is compared there only.
work_area() {
    xprop -root _NET_WORKAREA 2>/dev/null |
        sed -n 's/^_NET_WORKAREA(CARDINAL) = \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1,\2,\3,\4/p'
}
# screencheck SHOT BITMAP PLACEMENT, within the work area.
check_screen() {
    local area
    area=$(work_area)
    "$screencheck" "$@" ${area:+"$area"}
}
# shows SCALE: whether the screen shows the bitmap the service holds, placed for SCALE. Sets the
# caller's $shown to that bitmap: the service may hold another by the time it is reported.
shows() {
    local mode=centre
    shown=$(held)
    [ "$1" = 2 ] && mode=tile
    "${desktop}_shot" "$work/shot.png" && check_screen "$work/shot.png" "$shown" "$mode" >"$work/screencheck.log"
}
# WIDTHxHEIGHT of a bitmap file, and of the screen.
bitmap_size() { od -An -td4 -j18 -N8 "$1" | awk '{ print $1 "x" ($2 < 0 ? -$2 : $2) }'; }
screen_size() { xwininfo -root | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# not_other_placement SCALE BITMAP: the screen must not pass for BITMAP's other placement: the
# comparison tells them apart (unless the desktop was handed a bitmap the size of the screen,
# which shows the same either way).
not_other_placement() {
    local other=tile
    [ "$1" = 2 ] && other=centre
    [ "$(bitmap_size "$2")" != "$(screen_size)" ] || return 0
    ! check_screen "$work/shot.png" "$2" "$other" >"$work/other.log" ||
        fail "the screen passes for both placements in $(work_area):" \
            "$(cat "$work/screencheck.log") and $(cat "$work/other.log")"
}

check_scale() {
    local scale=$1 expected first second ms placements shown=
    placements="${desktop}_placements[$((scale - 1))]"
    expected=${!placements}
    start_program "$scale"
    hide_options
    local deadline=$((SECONDS + 30))
    until holds_a_copy; do
        [ $SECONDS -lt $deadline ] || fail "after 30 s the service holds '$(held)', not a copy" \
            "beside the bitmap"
        sleep 0.05
    done
    first=$(held)
    ms=$(wait_new_name "$first")
    second=$(held)
    [ -f "$second" ] || fail "the service holds $second, which does not exist"
    [ "$(basename "$second")" != "$(basename "$first")" ] || fail "no fresh name: $second"
    if declare -F "${desktop}_placement" >/dev/null; then
        [ "$("${desktop}_placement")" = "$expected" ] ||
            fail "ScaleFactor $scale: placement $("${desktop}_placement"), not $expected"
        echo "$desktop: ScaleFactor $scale: placement $expected"
    fi
    if declare -F "${desktop}_check" >/dev/null; then "${desktop}_check"; fi
    if declare -F "${desktop}_shot" >/dev/null; then
        local deadline=$((SECONDS + 20))
        until shows "$scale"; do
            [ $SECONDS -lt $deadline ] || fail "ScaleFactor $scale: the screen does not show" \
                "$shown ($(cat "$work/screencheck.log" 2>/dev/null))"
            sleep 0.1
        done
        not_other_placement "$scale" "$shown"
        echo "$desktop: ScaleFactor $scale: the screen shows $(basename "$shown") in" \
            "$(work_area) ($(cat "$work/screencheck.log"))"
    fi
    echo "$desktop: ScaleFactor $scale: $(basename "$first") then $(basename "$second");" \
        "time per change: $ms ms"
    if declare -F "${desktop}_stop" >/dev/null; then "${desktop}_stop"; else stop_program; fi
}

# The class and title of each window shown that was not in the list $1.
window_names() {
    local id
    for id in $(foreign_windows); do
        grep -qx "$id" <<<"$1" || xprop -id "$id" WM_CLASS WM_NAME | tr '\n' ' '
    done
}

# The processes of that name that run with this test's settings folder (tests may run side by side).
running_here() {
    local pid
    for pid in $(pgrep -x "$1"); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "XDG_CONFIG_HOME=$XDG_CONFIG_HOME" &&
            echo "$pid"
    done
    return 0
}

# The windows shown of other programs (those with a class).
foreign_windows() {
    local id
    for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
        xprop -id "$id" WM_CLASS 2>/dev/null | grep -v '"muralto"' | grep -q '= "' && echo "$id"
    done
    return 0
}

# Whether the program has made the copy for its third change: the second one has ended.
copies_made_twice() {
    local newest
    newest=$(compgen -G "$work/bin/*~*.bmp" | sed 's/.*~\([0-9]*\)\.bmp$/\1/' | sort -n | tail -n 1)
    [ "${newest:-0}" -ge 3 ]
}

# No pcmanfm desktop runs: each change must end at once, and nothing may stay or show up.
check_absent() {
    local program_name=$1 before
    need "$program_name"
    export XDG_CURRENT_DESKTOP=$2
    before=$(foreign_windows)
    start_program 1
    hide_options
    local deadline=$((SECONDS + 20))
    until copies_made_twice; do
        [ $SECONDS -lt $deadline ] || fail "the change through $program_name does not end" \
            "within 20 s; windows shown: $(window_names "$before")"
        sleep 0.1
    done
    kill -0 "$program" || fail "the program ended"
    [ "$(foreign_windows)" = "$before" ] ||
        fail "windows showed up: $(window_names "$before")"
    [ -z "$(running_here "$program_name")" ] || fail "$program_name stays running after the change"
    echo "$desktop: two changes without a desktop running, no window, nothing left running"
    stop_program
}

# A desktop session has a window manager; some desktops show their window only under one.
start_window_manager
case $desktop in
    lxde_absent) check_absent pcmanfm LXDE ;;
    lxqt_absent) check_absent pcmanfm-qt LXQt ;;
    *)
        declare -F "${desktop}_start" >/dev/null || fail "no such desktop: $desktop"
        "${desktop}_start"
        # Tiled first: a desktop that fails only on the centred picture still has both checked.
        check_scale 2
        check_scale 1
        if declare -F "${desktop}_after" >/dev/null; then "${desktop}_after"; fi
        ;;
esac
echo "$desktop: ok"

# One row per desktop: how its service starts and what it holds afterwards. For a desktop D:
#   D_start       starts the service (or calls skip with the reason it cannot) and sets the
#                 session variables the program reads to pick its backend
#   D_held        prints the path of the picture the service holds (empty while none)
#   D_placement   (optional) prints the service's placement setting
#   D_placements  the placement settings expected for ScaleFactor 1 and 2
#   D_shot FILE   (only where the desktop draws) saves what the screen shows as a PNG
#   D_check       (optional) further checks of what the service holds ($scale is known)
#   D_stop        (optional) ends the program instead of SIGTERM, and checks what it leaves
#   D_after       (optional) further runs of the program, after both ScaleFactors
# run.sh sources this file after lib.sh: $work, $probe, $standin and as_user are known.

# The plain path a file:// URI names.
uri_path() {
    local path=${1#file://}
    printf '%b' "${path//%/\\x}"
}
# A gsettings string value without its quotes.
gsetting() { gsettings get "$1" "$2" 2>/dev/null | sed -E "s/^'(.*)'\$/\\1/"; }
# Whether gsettings keeps values between processes (a dconf database, not the memory backend).
gsettings_keeps() {
    gsettings list-keys "$1" >/dev/null 2>&1 || skip "the schema $1 is not installed"
    gsettings set "$1" picture-options "'zoom'" 2>/dev/null || skip "gsettings cannot write $1"
    [ "$(gsetting "$1" picture-options)" = zoom ] || skip "gsettings has no dconf database to write"
}
x_shot() { "$probe" screenshot "$1"; }
# A key=value line of an ini file (the first one found).
ini_value() { sed -n "s/^$2=//p" "$1" 2>/dev/null | head -n 1; }
need() { command -v "$1" >/dev/null || skip "$1 is not installed"; }
# service_up SECONDS LOG COMMAND...: polls COMMAND until it succeeds; a service that does not
# come up in time cannot run here, and the test skips with the end of the service's LOG.
service_up() {
    local deadline=$((SECONDS + $1)) log=$2
    shift 2
    until "$@"; do
        [ $SECONDS -lt $deadline ] ||
            skip "the service did not start ($*): $(tail -n 5 "$log" 2>/dev/null | tr '\n' ' ')"
        sleep 0.1
    done
}

# GNOME: no desktop draws here; the settings are read back.
gnome_start() {
    gsettings_keeps org.gnome.desktop.background
    export XDG_CURRENT_DESKTOP=GNOME
}
gnome_held() { uri_path "$(gsetting org.gnome.desktop.background picture-uri)"; }
gnome_placement() { gsetting org.gnome.desktop.background picture-options; }
gnome_placements=(centered wallpaper)
gnome_check() {
    local dark
    dark=$(uri_path "$(gsetting org.gnome.desktop.background picture-uri-dark)")
    [ "$dark" = "$(gnome_held)" ] || fail "picture-uri-dark holds $dark, not $(gnome_held)"
    [ "$(gsetting org.gnome.desktop.background primary-color)" = '#000000' ] ||
        fail "the background colour is not black"
}

cinnamon_start() {
    gsettings_keeps org.cinnamon.desktop.background
    export XDG_CURRENT_DESKTOP=X-Cinnamon
}
cinnamon_held() { uri_path "$(gsetting org.cinnamon.desktop.background picture-uri)"; }
cinnamon_placement() { gsetting org.cinnamon.desktop.background picture-options; }
cinnamon_placements=(centered wallpaper)

# MATE: caja draws the desktop from the same settings; its own icons are turned off.
mate_start() {
    gsettings_keeps org.mate.background
    need caja
    local icon
    for icon in computer-icon-visible home-icon-visible trash-icon-visible volumes-visible \
        network-icon-visible; do
        gsettings set org.mate.caja.desktop "$icon" false 2>/dev/null || true
    done
    caja --force-desktop --no-default-window >"$work/caja.log" 2>&1 &
    started_pids+=($!)
    service_up 30 "$work/caja.log" desktop_window_shown "^caja$"
    export XDG_CURRENT_DESKTOP=MATE
}
mate_held() { gsetting org.mate.background picture-filename; }
mate_placement() { gsetting org.mate.background picture-options; }
mate_placements=(centered wallpaper)
mate_shot() { x_shot "$1"; }

# XFCE: xfdesktop (which starts xfconfd over the bus) makes the backdrop properties.
xfce_backdrops() { xfconf-query -c xfce4-desktop -l 2>/dev/null | grep '/workspace[0-9]*/last-image$'; }
xfce_start() {
    need xfdesktop
    need xfconf-query
    xfconf-query -c xfce4-desktop -p /desktop-icons/style -n -t int -s 0 ||
        skip "xfconfd does not answer on the session bus"
    xfdesktop --sm-client-disable >"$work/xfdesktop.log" 2>&1 &
    started_pids+=($!)
    service_up 30 "$work/xfdesktop.log" xfce_backdrops
    service_up 30 "$work/xfdesktop.log" desktop_window_shown "^xfdesktop$"
    export XDG_CURRENT_DESKTOP=XFCE
}
# Every workspace's image must be the same: the first one found stands for all.
xfce_held() {
    local property
    for property in $(xfce_backdrops); do xfconf-query -c xfce4-desktop -p "$property"; done |
        sort -u | head -n 1
}
xfce_placement() {
    local property
    for property in $(xfce_backdrops); do
        xfconf-query -c xfce4-desktop -p "${property%/last-image}/image-style"
    done | sort -u | tr '\n' ' ' | sed 's/ $//'
}
xfce_placements=(1 2)
# A change writes the workspaces one by one, and the next may begin while they are read: polled.
xfce_images() { for p in $(xfce_backdrops); do xfconf-query -c xfce4-desktop -p "$p"; done | sort -u; }
xfce_agree() { [ "$(xfce_images | wc -l)" -eq 1 ]; }
xfce_check() { wait_until 10 xfce_agree; }
xfce_shot() { x_shot "$1"; }

# LXDE: pcmanfm draws the desktop and keeps its settings in its profile's folder.
lxde_config() { find "$XDG_CONFIG_HOME/pcmanfm" -name 'desktop-items-0.conf' 2>/dev/null | head -n 1; }
lxde_start() {
    need pcmanfm
    pcmanfm --desktop >"$work/pcmanfm.log" 2>&1 &
    started_pids+=($!)
    service_up 30 "$work/pcmanfm.log" desktop_window_shown "^pcmanfm$"
    export XDG_CURRENT_DESKTOP=LXDE
}
lxde_held() { ini_value "$(lxde_config)" wallpaper; }
lxde_placement() { ini_value "$(lxde_config)" wallpaper_mode; }
lxde_placements=(center tile)
lxde_shot() { x_shot "$1"; }

lxqt_config() { echo "$XDG_CONFIG_HOME/pcmanfm-qt/default/settings.conf"; }
lxqt_start() {
    need pcmanfm-qt
    pcmanfm-qt --desktop >"$work/pcmanfm-qt.log" 2>&1 &
    started_pids+=($!)
    service_up 30 "$work/pcmanfm-qt.log" desktop_window_shown "^pcmanfm-qt$"
    export XDG_CURRENT_DESKTOP=LXQt
}
lxqt_held() { ini_value "$(lxqt_config)" Wallpaper; }
# pcmanfm-qt applies the mode it is given but keeps WallpaperMode=none in its settings file:
# the screen alone tells the placement.
lxqt_placements=(center tile)
lxqt_shot() { x_shot "$1"; }

# sway, headless, as an ordinary user when the test runs as root (sway refuses root). sway
# reports no wallpaper back; the swaybg it runs for the outputs names the file and the mode.
sway_start() {
    need sway
    need grim
    command -v swaybg >/dev/null || skip "swaybg is not installed"
    sway_runtime=$work/sway-run
    mkdir -m 0700 "$sway_runtime"
    [ ${#as_user[@]} -eq 0 ] || chown nobody:nogroup "$sway_runtime"
    printf 'output HEADLESS-1 mode 1024x768\nxwayland disable\n' >"$work/sway.config"
    "${as_user[@]}" env XDG_RUNTIME_DIR="$sway_runtime" WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.config" \
        >"$work/sway.log" 2>&1 &
    started_pids+=($!)
    service_up 30 "$work/sway.log" sway_socket
    export SWAYSOCK
    SWAYSOCK=$(compgen -G "$sway_runtime/sway-ipc.*.sock" | head -n 1)
    unset XDG_CURRENT_DESKTOP
}
sway_socket() { compgen -G "$sway_runtime/sway-ipc.*.sock" >/dev/null; }
# The arguments of the swaybg that draws now, one a line.
swaybg_arguments() {
    local pid
    pid=$(running_here swaybg | tail -n 1)
    [ -n "$pid" ] || return 0
    tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null || true
}
sway_held() { swaybg_arguments | sed -n '/^-i$/{n;p}' | head -n 1; }
sway_placement() { swaybg_arguments | sed -n '/^-m$/{n;p}' | head -n 1; }
sway_placements=(center tile)
sway_shot() {
    "${as_user[@]}" env XDG_RUNTIME_DIR="$sway_runtime" WAYLAND_DISPLAY=wayland-1 \
        grim - >"$1"
}

# A Wayland compositor with no wallpaper service the program knows: it runs swaybg itself, on
# the compositor run headless as an ordinary user (when the test runs as root), with a runtime
# folder of its own. The program reaches it through WAYLAND_DISPLAY (an absolute path), with no
# SWAYSOCK and a desktop name of no known desktop, and shows its own windows on the X server.
# wlr_start NAME COMMAND...
wlr_start() {
    local name=$1
    shift
    need swaybg
    need grim
    wlr_runtime=$work/wlr-run
    mkdir -m 0700 "$wlr_runtime"
    [ ${#as_user[@]} -eq 0 ] || chown nobody:nogroup "$wlr_runtime"
    "${as_user[@]}" env XDG_RUNTIME_DIR="$wlr_runtime" WLR_BACKENDS=headless \
        WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman "$@" >"$work/compositor.log" 2>&1 &
    started_pids+=($!)
    service_up 30 "$work/compositor.log" test -S "$wlr_runtime/wayland-1"
    unset SWAYSOCK
    export WAYLAND_DISPLAY=$wlr_runtime/wayland-1 XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=xcb
    export XDG_CURRENT_DESKTOP=$name
    wlr_bare=
    bare_known() { wlr_bare=$(wlr_pixel 1 1) && [ -n "$wlr_bare" ]; }
    wait_until 20 bare_known
    start_tray
}
wlr_held() { sway_held; }
wlr_placement() { sway_placement; }
wlr_shot() { grim - >"$1"; }
# The pixel at X,Y of the compositor's screen, as "R G B".
wlr_pixel() { grim -t ppm -g "$1,$2 1x1" - 2>/dev/null | tail -c 3 | od -An -tu1 | xargs; }
wlr_swaybg_gone() { [ -z "$(running_here swaybg)" ]; }
# Samples a pixel of the screen (covered by the tiles at ScaleFactor 2) while the program
# replaces its swaybg at the next change, and a little after: the compositor's bare background
# ($wlr_bare) must never show between the two.
wlr_no_gap() {
    local old pixel samples=0 bare=0 after=0
    # Between two changes: one swaybg runs (not two, as while one replaces the other).
    one_swaybg() { old=$(running_here swaybg) && [ "$(wc -w <<<"$old")" = 1 ]; }
    wait_until 20 shows 2
    wait_until 20 one_swaybg
    if [ "$(wlr_pixel 1 1)" = "$wlr_bare" ]; then
        echo "$desktop: the picture has the bare background's colour at 1,1: no gap measured"
        return 0
    fi
    local deadline=$((SECONDS + 20))
    while [ $after -lt 5 ]; do
        pixel=$(wlr_pixel 1 1)
        samples=$((samples + 1))
        [ "$pixel" != "$wlr_bare" ] || bare=$((bare + 1))
        kill -0 "$old" 2>/dev/null || after=$((after + 1))
        [ $SECONDS -lt $deadline ] || fail "swaybg $old was not replaced within 20 s"
    done
    [ $bare = 0 ] || fail "the bare background ($wlr_bare) showed in $bare of $samples samples" \
        "while swaybg was replaced"
    echo "$desktop: $samples samples of the screen while swaybg was replaced, none bare"
}
# A swaybg killed between two changes is started again at the next one, and said so once.
wlr_check() {
    [ "$scale" = 2 ] || return 0
    wlr_no_gap
    local killed
    killed=$(running_here swaybg | tail -n 1)
    kill -KILL "$killed"
    started_again() { [ -n "$(running_here swaybg)" ] && grep -q 'started it again' "$work/program.log"; }
    wait_until 20 started_again
    grep -q 'swaybg, which drew the wallpaper, ended (killed by signal 9)' "$work/program.log" ||
        fail "the restart was not told: $(cat "$work/program.log")"
    echo "$desktop: a swaybg killed between two changes is started again and told"
}
# Ends the program by Exit in its icon's menu at ScaleFactor 1, else by SIGTERM; no swaybg of
# the program's may stay.
wlr_stop() {
    if [ "$scale" = 1 ]; then
        local x y
        read -r x y < <("$probe" tray-icon)
        open_icon_menu "$x" "$y"
        xdotool key e
        wait_exit "$program" 20 || fail "the program ended with status $? on Exit"
    else
        stop_program
    fi
    wait_until 5 wlr_swaybg_gone
    echo "$desktop: ScaleFactor $scale: no swaybg left once the program ended"
}
# Without swaybg in PATH the program says once which package brings it; where swaybg cannot
# draw (here: no compositor behind WAYLAND_DISPLAY), it says so with swaybg's last words.
wlr_after() {
    mkdir -p "$work/nothing"
    program_path=$work/nothing start_program 1
    said() { grep -q "$1" "$work/program.log"; }
    wait_until 20 said 'swaybg.*is not installed (Debian package swaybg)'
    stop_program
    echo "$desktop: without swaybg: $(grep -o 'swaybg, which draws.*package swaybg)' "$work/program.log")"
    WAYLAND_DISPLAY=$work/nothing/wayland-0 start_program 1
    wait_until 20 said 'swaybg ended at once (exit status 1: Unable to connect to the compositor'
    stop_program
    echo "$desktop: swaybg ending at once: $(grep -o 'swaybg ended.*' "$work/program.log")"
    wlr_without_layer_shell
}
# weston has no layer-shell: swaybg ends at once there, and the program says why.
wlr_without_layer_shell() {
    if ! command -v weston >/dev/null; then
        echo "$desktop: weston is not installed: no compositor without layer-shell tried"
        return 0
    fi
    "${as_user[@]}" env XDG_RUNTIME_DIR="$wlr_runtime" weston -B headless-backend.so \
        --use-pixman --socket=weston-0 >"$work/weston.log" 2>&1 &
    started_pids+=($!)
    wait_until 30 test -S "$wlr_runtime/weston-0"
    WAYLAND_DISPLAY=$wlr_runtime/weston-0 start_program 1
    wait_until 20 said 'swaybg ended at once (exit status 1: Missing a required Wayland interface'
    stop_program
    echo "$desktop: on weston: $(grep -o 'swaybg ended.*' "$work/program.log")"
}

# sway standing in for the other wlroots compositors: its socket hidden and another desktop
# name, so the generic swaybg backend is taken.
sway_generic_start() {
    need sway
    printf 'output HEADLESS-1 mode 1024x768\nxwayland disable\n' >"$work/sway.config"
    wlr_start wlroots sway -c "$work/sway.config"
}

# wayfire (0.7 renders only with a DRM render node, even headless).
wayfire_start() {
    need wayfire
    local node
    node=$(compgen -G "/dev/dri/renderD*" | head -n 1) ||
        skip "wayfire needs a DRM render node (/dev/dri/renderD*), and this machine has none"
    mkdir -p "$work/wayfire"
    printf '[core]\nxwayland = false\nplugins =\n\n[output:HEADLESS-1]\nmode = 1024x768@60000\n' \
        >"$work/wayfire/wayfire.ini"
    chmod -R a+rX "$work/wayfire"
    wlr_start wayfire env WLR_RENDER_DRM_DEVICE="$node" wayfire -c "$work/wayfire/wayfire.ini"
}

# Both rows share the wlr_ functions.
for row in sway_generic wayfire; do
    for part in held placement shot check stop after; do
        eval "${row}_$part() { wlr_$part \"\$@\"; }"
    done
    eval "${row}_placements=(center tile)"
done

# Plasma: a stand-in service records the script the program sends.
plasma_up() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.kde.plasmashell 2>/dev/null |
        grep -q 'boolean true'
}
plasma_record=
plasma_stand_in_start() {
    plasma_record=$work/plasma-script.js
    "$standin" "$plasma_record" 2>"$work/stand-in.log" &
    started_pids+=($!)
    service_up 20 "$work/stand-in.log" plasma_up
    export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
}
plasma_stand_in_held() {
    [ -f "$plasma_record" ] || return 0
    uri_path "$(sed -n 's/.*writeConfig("Image", "\([^"]*\)").*/\1/p' "$plasma_record")"
}
plasma_stand_in_placement() {
    [ -f "$plasma_record" ] && sed -n 's/.*writeConfig("FillMode", \([0-9]*\)).*/\1/p' "$plasma_record"
}
# Plasma centres its tiling, so the program lays the tiles into one bitmap of the screen's size
# from the top-left corner and has it shown as it is.
plasma_stand_in_placements=(6 6)
plasma_stand_in_check() {
    grep -q 'wallpaperPlugin = "org.kde.image"' "$plasma_record" ||
        fail "the script does not choose the image wallpaper: $(cat "$plasma_record")"
    if [ "$scale" = 2 ]; then
        file -b "$(held)" | grep -q ' 1024 x 768 x ' ||
            fail "ScaleFactor 2: the bitmap is not the screen's size: $(file -b "$(held)")"
    fi
}

# The real Plasma shell, where it is installed.
plasma_config() { echo "$XDG_CONFIG_HOME/plasma-org.kde.plasma.desktop-appletsrc"; }
plasma_start() {
    need plasmashell
    plasmashell --no-respawn >"$work/plasmashell.log" 2>&1 &
    started_pids+=($!)
    service_up 60 "$work/plasmashell.log" desktop_window_shown "^plasmashell$"
    export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5
}
plasma_held() { uri_path "$(ini_value "$(plasma_config)" Image)"; }
plasma_placement() { ini_value "$(plasma_config)" FillMode; }
plasma_placements=(6 6)
plasma_shot() { x_shot "$1"; }

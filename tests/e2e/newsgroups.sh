#!/usr/bin/env bash
# The newsgroup entries of a user's hive come through ten runs of every kind unchanged, byte for
# byte: the wallpaper changer, the settings dialog and the screen saver each load them at the
# start and save them at the end. One entry holds a filter text too long to be read, which the
# program keeps as it is, and lacks a value, which the first run's save adds with its default.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2

install_program "$muralto" StartupOnly=-1 Delay=600 SSDelay=600
"$probe" make-picture "$work/pics/frame.bmp" 640 480
long_filters=$(for i in $(seq 1 30); do printf 'subject %02d\\r\\n' "$i"; done)
groups_key='HKEY_CURRENT_USER\Software\Brenwick\Muralto\Settings\Newsgroups'
{
    printf '\n[%s\\alt.binaries.pictures.misc]\n' "$groups_key"
    printf '"MaxFiles"="25"\n"MinFileSize"="2048"\n"FileTypes"="*.jpg;*.gif;"\n'
    printf '"SubjectFilters"="spam\\r\\nfor sale\\r\\n"\n'
    printf '\n[%s\\De.Alt.Bilder]\n' "$groups_key"
    printf '"MaxFiles"="-1"\n"FileTypes"="*.jpg;*.jpe;*.jpeg;*.gif;*.wmf;*.bmp;*.eps;"\n'
    printf '"SubjectFilters"="%s"\n' "$long_filters"
} >>"$hive"

# The newsgroup keys with their values, blank lines left out.
groups() {
    awk -v prefix="[$groups_key\\" '
        /^\[/ { inside = (index($0, prefix) == 1) }
        inside && NF > 0 { print }
    ' "$hive"
}
expected=$(groups)
[ "$(printf '%s\n' "$expected" | grep -c '^\[')" = 2 ] || fail "the test's hive holds no entries"
[ "$(printf '%s' "$long_filters" | wc -c)" -gt 300 ] || fail "the long filter text is short"

start_window_manager
woken() {
    xdotool mousemove 300 300 mousemove 320 300
    process_gone "$pid"
}

for run in $(seq 1 10); do
    case $((run % 3)) in
        1)
            MURALTO_WALLPAPER_BACKEND=x11 "$work/bin/muralto" &
            pid=$!
            started_pids+=("$pid")
            wait_until 20 options_shown
            kill -TERM "$pid"
            ;;
        2)
            "$work/bin/muralto" /c &
            pid=$!
            started_pids+=("$pid")
            wait_until 20 options_shown
            xdotool windowactivate --sync "$("$probe" options-visible)"
            xdotool key --clearmodifiers alt+o
            ;;
        0)
            "$work/bin/muralto" /s &
            pid=$!
            started_pids+=("$pid")
            wait_until 20 saver_shown
            wait_until 10 woken
            ;;
    esac
    wait_exit "$pid" 20 || fail "run $run ended with status $?"
    if [ "$run" = 1 ]; then
        [ "$(hive_value 'Settings\\Newsgroups\\De.Alt.Bilder' MinFileSize)" = '"0"' ] ||
            fail "the first run did not save the missing value"
        [ "$(groups | grep -v '^"MinFileSize"="0"$')" = "$expected" ] ||
            fail "the first run changed the entries: $(diff <(echo "$expected") <(groups))"
        expected=$(groups)
    fi
    [ "$(groups)" = "$expected" ] || fail "run $run changed the entries: $(diff <(echo "$expected") <(groups))"
done
echo "newsgroups: ok"

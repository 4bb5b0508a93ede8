#!/usr/bin/env bash
# A picture folder that holds only a metafile: the wallpaper shows it, drawn at the size that
# fits the screen, exactly as the picture loader draws it.
source "$(dirname "$0")/lib.sh"
muralto=$1
probe=$2
bench=$4

install_program "$muralto" Delay=60
"$bench" make-wmf "$work/pics/clipart.wmf" 400 >/dev/null
# 1920 x 1080 at 96 DPI, fitted to the 1024 x 768 screen.
"$bench" wmf-play "$work/pics/clipart.wmf" 1024 768 "$work/expected.bmp" >/dev/null

MURALTO_WALLPAPER_BACKEND=x11 "$work/bin/muralto" &
pid=$!
started_pids+=("$pid")

shows_metafile() { "$probe" compare "$work/expected.bmp" >/dev/null; }
wait_until 20 pixmap_set
wait_until 20 shows_metafile
cmp -s "$bitmap" "$work/expected.bmp" || fail "the wallpaper bitmap is not the metafile drawn"
kill -0 "$pid" || fail "muralto ended after showing the metafile"
echo "metafile: ok"

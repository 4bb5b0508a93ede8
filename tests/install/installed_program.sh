#!/usr/bin/env bash
# installed_program.sh BUILD XPROBE VERSION: installs the build below a temporary folder and
# runs it from there, through the link in bin, as a desktop session would. The installed
# program's folder is lib/muralto: the default settings show the sample pictures there, and
# since an ordinary user cannot write to that folder, the wallpaper bitmap goes to the data
# folder instead. As root, who writes everywhere, the program runs as the user nobody.
source "$(dirname "$0")/../e2e/lib.sh"
build=$1
probe=$2
version=$3

prefix=$work/root/usr/local
# The installed program's folder is made read-only below: open it again for the clean-up.
trap 'chmod -R u+w "$work/root" 2>/dev/null; cleanup' EXIT
DESTDIR=$work/root cmake --install "$build" --prefix /usr/local >/dev/null
muralto=$prefix/bin/muralto
[ "$("$muralto" --version)" = "muralto $version" ] ||
    fail "the installed program says: $("$muralto" --version)"
chmod -R a-w "$prefix/lib/muralto"

# A hive with the first start's question answered and nothing else: the default settings.
mkdir -p "$(dirname "$hive")"
printf 'Windows Registry Editor Version 5.00\n\n%s\n"AskDefSS"="1"\n' \
    '[HKEY_CURRENT_USER\Software\Brenwick\Muralto\Settings]' >"$hive"

as_user=()
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
    user=$(id -un 65534)
    chmod 755 "$work"
    chown -R 65534:65534 "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
    xhost "+si:localuser:$user" >/dev/null
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
export HOME=$work/home MURALTO_WALLPAPER_BACKEND=x11
mkdir -p "$HOME"

"${as_user[@]}" "$muralto" &
started_pids+=($!)
bitmap=$XDG_DATA_HOME/Brenwick/Muralto/$user.bmp
bitmap_written() { [ -s "$bitmap" ]; }
wait_until 30 bitmap_written
wait_until 10 pixmap_set
leftovers=$(find "$prefix/lib/muralto" -name '*.bmp*')
[ -z "$leftovers" ] || fail "bitmaps in the program's folder: $leftovers"
echo "installed program: ok"

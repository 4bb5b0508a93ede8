#!/usr/bin/env bash
# check_tree.sh PREFIX LAYOUT SAMPLES: checks an installed tree below PREFIX (as /usr/local or
# /usr would hold it) against the files an install makes. LAYOUT is "plain" (cmake --install)
# or "debian" (the package: compressed manual page, copyright and changelog). SAMPLES is the
# build's sample folder, whose pictures all go beside the program.
source "$(dirname "$0")/../support/fail.sh"
prefix=$1
layout=$2
samples=$3

[ -d "$prefix" ] || fail "nothing installed at $prefix"
sizes=(16 22 24 32 48 64 128 256)

expected_files() {
    echo bin/muralto
    echo lib/muralto/muralto
    local picture
    for picture in "$samples"/*.jpg; do echo "lib/muralto/samples/$(basename "$picture")"; done
    echo share/applications/muralto.desktop
    echo share/metainfo/io.github.muralto.Muralto.metainfo.xml
    echo share/icons/hicolor/scalable/apps/muralto.svg
    local size
    for size in "${sizes[@]}"; do echo "share/icons/hicolor/${size}x${size}/apps/muralto.png"; done
    if [ "$layout" = debian ]; then
        echo share/man/man1/muralto.1.gz
        echo share/doc/muralto/copyright
        echo share/doc/muralto/changelog.gz
    else
        echo share/man/man1/muralto.1
    fi
}

ls "$samples"/*.jpg >/dev/null 2>&1 || fail "no sample pictures in $samples"
want=$(expected_files | LC_ALL=C sort)
have=$(cd "$prefix" && find . \( -type f -o -type l \) -printf '%P\n' | LC_ALL=C sort)
[ "$want" = "$have" ] ||
    fail "installed files differ from the expected list (< expected, > installed):
$(diff <(echo "$want") <(echo "$have") | grep '^[<>]')"

# The link is relative, so the tree works wherever it is unpacked; through it the program
# still sees its own folder.
[ -L "$prefix/bin/muralto" ] || fail "bin/muralto is not a symbolic link"
[ "$(readlink "$prefix/bin/muralto")" = ../lib/muralto/muralto ] ||
    fail "bin/muralto points to $(readlink "$prefix/bin/muralto")"
[ -x "$prefix/lib/muralto/muralto" ] || fail "lib/muralto/muralto is not executable"

for size in "${sizes[@]}"; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/muralto.png
    file -b "$png" | grep -q "^PNG image data, $size x $size, .*RGBA" ||
        fail "$png is not a ${size}x${size} picture with transparency: $(file -b "$png")"
done

# Everyone reads and runs what is installed; no one but the owner may change it.
open=$(cd "$prefix" && find . ! -type l \( ! -perm -a+r -o -perm /go+w \) -printf '%P %m\n')
[ -z "$open" ] || fail "files with wrong permissions:
$open"
echo "installed tree ($layout): ok"

#!/usr/bin/env bash
# metadata.sh CHECK DIST VERSION [MURALTO]: one check of what is installed beside the program,
# as the tools that read it see it. DIST is the folder of those files, VERSION the program's.
#   desktop   the menu entry passes desktop-file-validate without a remark
#   metainfo  the software centre's description passes appstreamcli (pedantic remarks allowed),
#             names the menu entry that is installed and lists VERSION as its newest release
#   manual    the manual page renders without a warning, carries VERSION, and documents every
#             switch that MURALTO --help lists
source "$(dirname "$0")/../support/fail.sh"
check=$1
dist=$2
version=$3

desktop() {
    local remarks
    remarks=$(desktop-file-validate "$dist/muralto.desktop" 2>&1) || fail "invalid: $remarks"
    [ -z "$remarks" ] || fail "desktop-file-validate remarks: $remarks"
}

metainfo() {
    local file=$dist/io.github.muralto.Muralto.metainfo.xml report launched newest
    report=$(appstreamcli validate --no-net --no-color "$file" 2>&1) || fail "invalid: $report"
    launched=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$file")
    [ -f "$dist/$launched" ] || fail "the launchable '$launched' is not installed"
    newest=$(grep -o '<release version="[^"]*"' "$file" | head -n 1 | cut -d'"' -f2)
    [ "$newest" = "$version" ] || fail "newest release $newest, the program is $version"
}

manual() {
    local muralto=$4 page=$dist/muralto.1 warnings switch
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man warnings: $warnings"
    grep -q "^\.TH MURALTO 1 .*\"Muralto $version\"" "$page" || fail "the page is not of $version"
    local text
    text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null | col -b)
    # The switches column of the help: "  /p HANDLE", "  -root, --root", "  --help".
    for switch in $("$muralto" --help | sed -n 's/^  \([-/][^ ,]*\(, [-/][^ ,]*\)*\) .*/\1/p' |
                    tr -d ,); do
        grep -qE "^ {7}([-/][^ ,]*, )*$switch( |,|$)" <<<"$text" ||
            fail "switch $switch is not an entry of OPTIONS"
    done
}

case $check in
    desktop | metainfo | manual) "$check" "$@" ;;
    *) fail "unknown check $check" ;;
esac
echo "$check: ok"

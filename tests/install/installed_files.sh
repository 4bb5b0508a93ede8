#!/usr/bin/env bash
# installed_files.sh BUILD SAMPLES: installs the build below a temporary folder (DESTDIR) and
# checks what arrived there.
set -euo pipefail
build=$1
samples=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

DESTDIR=$root cmake --install "$build" --prefix /usr/local >/dev/null
"$(dirname "$0")/../../scripts/check-tree" "$root/usr/local" plain "$samples"

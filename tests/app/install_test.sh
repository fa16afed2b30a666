#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs from it: the
# program, its skin in the data folder, an icon and a menu entry that desktop-file-validate
# accepts and that offers the player for the clip types it plays.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
need() {
    if [[ ! -s "$prefix/$1" ]]; then
        echo "missing after install: $1" >&2
        status=1
    fi
}
need bin/ostvik
need share/ostvik/Skin.dat
need share/icons/hicolor/scalable/apps/ostvik.svg
need share/applications/ostvik.desktop
[[ $status -eq 0 ]] || exit 1

[[ -x "$prefix/bin/ostvik" ]] || { echo "bin/ostvik is not executable" >&2; exit 1; }
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/ostvik.svg"

entry="$prefix/share/applications/ostvik.desktop"
desktop-file-validate "$entry"

value() { sed -n "s/^$1=//p" "$entry"; }
[[ "$(value Icon)" == ostvik ]] || { echo "Icon is not the installed icon's name" >&2; exit 1; }
# %F: several files, as a file manager hands a selection over.
[[ "$(value Exec)" == "ostvik %F" ]] || { echo "Exec does not take files" >&2; exit 1; }
for type in video/mp4 video/quicktime video/x-msvideo; do
    if [[ ";$(value MimeType)" != *";$type;"* ]]; then
        echo "MimeType lacks $type" >&2
        exit 1
    fi
done
echo "installed layout and desktop entry are sound"

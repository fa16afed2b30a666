#!/usr/bin/env bash
# Builds the Debian package from a finished build and takes it as a user's system would:
# lintian finds no error in it, its desktop entry and AppStream metadata validate, and,
# unpacked into a scratch root, every program answers --help and --version and runs from
# there: the track tool reads a generated clip as its maker wrote it, and the player finds
# its skin in the package's data folder and starts.
set -euo pipefail
build="$1"
source="$2"
cpack="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "package: $*" >&2
    exit 1
}

"$cpack" -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
deb="$work/out/ostvik_${version}_amd64.deb"
[[ -f "$deb" ]] || fail "no $deb"
[[ "$(dpkg-deb --field "$deb" Depends)" == *libmpv2* ]] || fail "Depends lacks the libraries linked"

# Warnings are listed for whoever reads the log; errors fail.
lintian --no-cfg --fail-on error "$deb" || fail "lintian reports errors"

root="$work/root"
dpkg-deb -x "$deb" "$root"
missing=0
for file in usr/bin/ostvik usr/bin/ostvik-track usr/bin/ostvik-export usr/bin/ostvik-recover usr/share/ostvik/Skin.dat \
    usr/share/applications/ostvik.desktop usr/share/icons/hicolor/scalable/apps/ostvik.svg \
    usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/ostvik.png \
    usr/share/man/man1/{ostvik,ostvik-track,ostvik-export,ostvik-recover}.1.gz \
    usr/share/metainfo/org.ostvik.Ostvik.metainfo.xml \
    usr/share/doc/ostvik/copyright usr/share/doc/ostvik/changelog.gz; do
    [[ -s "$root/$file" ]] || { echo "package: missing $file" >&2; missing=1; }
done
[[ $missing -eq 0 ]] || exit 1
xmllint --noout "$root/usr/share/icons/hicolor/scalable/apps/ostvik.svg"
# A PNG's width and height are the two big-endian words after its signature and IHDR header.
python3 -c 'import struct, sys; sys.exit(struct.unpack(">II", open(sys.argv[1], "rb").read()[16:24]) != (48, 48))' \
    "$root/usr/share/icons/hicolor/48x48/apps/ostvik.png" || fail "the 48x48 icon is not 48 by 48"

entry="$root/usr/share/applications/ostvik.desktop"
desktop-file-validate "$entry"
value() { sed -n "s/^$1=//p" "$entry"; }
[[ "$(value Icon)" == ostvik ]] || fail "Icon is not the installed icon's name"
# %F: several files, as a file manager hands a selection over.
[[ "$(value Exec)" == "ostvik %F" ]] || fail "Exec does not take files"
for type in video/mp4 video/quicktime video/x-msvideo; do
    [[ ";$(value MimeType)" == *";$type;"* ]] || fail "MimeType lacks $type"
done
appstreamcli validate --no-net "$root/usr/share/metainfo/org.ostvik.Ostvik.metainfo.xml"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/org.ostvik.Ostvik.metainfo.xml" ||
    fail "the AppStream release is not $version"
zgrep -q "\"Ostvik $version\"" "$root/usr/share/man/man1/ostvik-track.1.gz" ||
    fail "the manual page is not of $version"

bin="$root/usr/bin"
export QT_QPA_PLATFORM=offscreen
for program in ostvik ostvik-track ostvik-export ostvik-recover; do
    help="$("$bin/$program" --help)" || fail "$program --help fails"
    grep -qi usage <<<"$help" || fail "$program --help prints no usage"
    [[ "$("$bin/$program" --version)" == [oO]"${program:1} $version" ]] ||
        fail "$program --version does not say $program $version"
done

# mkclip writes the track it embeds as a CSV beside the clip: the tool must read the same.
python3 "$source/tools/mkclip.py" --seconds 6 --steady 72 --truth "$work/truth.csv" \
    "$work/2024_0601_120000_F.MP4" >/dev/null
"$bin/ostvik-track" "$work/2024_0601_120000_F.MP4" >"$work/track.csv"
python3 - "$work/truth.csv" "$work/track.csv" <<'PY'
import csv, sys
truth = list(csv.DictReader(open(sys.argv[1])))
track = list(csv.DictReader(open(sys.argv[2])))
if len(track) != len(truth):
    sys.exit(f"package: {len(track)} seconds read, {len(truth)} written")
for want, got in zip(truth, track):
    if (abs(float(got["latitude"]) - float(want["latitude"])) > 1e-5
            or abs(float(got["longitude"]) - float(want["longitude"])) > 1e-5
            or abs(float(got["speed"]) - float(want["speed_kmh"])) > 0.5):
        sys.exit(f"package: second {want['second']} reads {got}, written {want}")
PY

# The player exits with 1 and says so when it cannot find its skin.
"$bin/ostvik" --no-audio --quit-after 1500 >"$work/player.log" 2>&1 ||
    { cat "$work/player.log" >&2; fail "the installed player did not start"; }
echo "the package installs, validates and runs (lintian, desktop-file-validate, appstreamcli)"

#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run.
# This is the one list; add to it rather than installing anything by hand.
set -euo pipefail

PACKAGES=(
    # toolchain
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
    # the player: Qt 6 widgets, the mpv engine, and a virtual X server for window tests
    qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins libmpv-dev libgl-dev
    libgl1-mesa-dri libglx-mesa0 libegl-mesa0 fontconfig xvfb xauth
    # the camera's drive: USB and block devices through libudev (udisks2 is asked over D-Bus
    # when it runs, and not needed otherwise)
    libudev-dev
    # the skin: archives read with libzip, SVG images and icons (libqt6svg6 holds the
    # imageformats/libqsvg.so and iconengines/libqsvgicon.so plugins the style sheet uses)
    libzip-dev qt6-svg-dev libqt6svg6
    # the map: QtWebEngine with its helper process and resources (not pulled in without
    # recommends), the web channel, and Leaflet built into the program
    qt6-webengine-dev qt6-webchannel-dev libqt6webenginecore6-bin libqt6webengine6-data
    libjs-leaflet
    # the track tool's GeoPackage (SQLite, linked static into the tool) and the fleet script
    # that spreads its work over machines
    libsqlite3-dev parallel
    # the evidence report's SHA-256 (OpenSSL's libcrypto)
    libssl-dev
    # the recovery's AAC decoder, which finds where the raw sound frames of a cut clip end
    libavcodec-dev libavutil-dev
    # the track tool's PostGIS writer (libpq), and the tests' own PostgreSQL server with
    # PostGIS, started in a temporary folder
    libpq-dev postgresql-15 postgresql-15-postgis-3 postgresql-client-15
    # tests and benchmarks: sqlite3 to look into a GeoPackage, GDAL's ogrinfo to read one
    # back as GIS tools do; xdotool, which clicks the player's window in the seek benchmark
    sqlite3 gdal-bin xdotool
    libgtest-dev libgmock-dev libbenchmark-dev python3
    # a fake camera for the discovery tests
    umockdev libumockdev-dev
    # a private message bus for the stand-in udisks2
    dbus-daemon
    # xmllint, which checks the track tool's GPX and KML exports and the icon, and the
    # desktop entry's checker
    libxml2-utils desktop-file-utils
    # the Debian package's checkers
    lintian appstream
    # test clips and the tools we measure against
    ffmpeg fonts-dejavu-core libimage-exiftool-perl gpsbabel mpv
    # pdftotext and pdftoppm, which read the evidence report back as a reader's viewer would
    poppler-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2

#!/usr/bin/env bash
# Seeks across a 3-hour drive, as the user makes them: the real player plays a drive of 180
# one-minute front clips in a virtual X server, a click on its drive timeline seeks, and
# ffmpeg grabs the picture's corner from the screen 60 times a second. Each frame carries its
# number and its clip's number in binary, so every grab says where in the drive it shows.
# Prints, for each seek, the time from the click to the first grab of the frame it landed
# on, and the worst.
#
# usage: bench/drive_seek.sh [BUILD_DIR] [--rounds R] (R times through ten places, default 3)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/build"
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
    build="$1"
    shift
fi
for tool in Xvfb ffmpeg python3 xdotool; do
    command -v "$tool" >/dev/null || { echo "drive_seek: $tool is not installed" >&2; exit 1; }
done
player="$build/app/ostvik"
[ -x "$player" ] || { echo "drive_seek: build the player first (scripts/build.sh)" >&2; exit 1; }

# The clips are made once and kept: the mark is written after the last, so a run stopped
# while making them makes the rest next time.
clips="$build/bench/seek-drive"
count=180
if [ ! -f "$clips/complete" ]; then
    mkdir -p "$clips"
    echo "Making $count one-minute clips (320x180, 10 frames a second) in $clips" >&2
    started=$SECONDS
    origin="59.3293,18.0686"
    for ((i = 0; i < count; i++)); do
        start=$(date -u -d "2024-06-01 09:00:00 UTC + $i minutes" +%Y-%m-%dT%H:%M:%S)
        clip="$clips/$(date -u -d "2024-06-01 09:00:00 UTC + $i minutes" +%Y_%m%d_%H%M%S)_F.MP4"
        if [ ! -f "$clip.csv" ]; then
            python3 "$top/tools/mkclip.py" "$clip" --seconds 60 --fps 10 --gop 10 \
                --size 320x180 --colour 0x284050 --frame-code --clip-code "$i" \
                --start "$start" --origin "$origin" --truth "$clip.csv.part"
            mv "$clip.csv.part" "$clip.csv"
        fi
        origin="$(tail -n 1 "$clip.csv" | cut -d, -f2,3)"
    done
    touch "$clips/complete"
    echo "Made them in $((SECONDS - started)) s" >&2
fi
exec python3 "$top/bench/drive_seek.py" "$player" "$clips" --clips "$count" "$@"

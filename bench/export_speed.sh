#!/usr/bin/env bash
# Speed of evidence excerpts on a 3-minute 1080p30 clip: the time a stream-copied excerpt
# takes (target under 2 s), and how many times real time a re-encoded excerpt with the
# captions burnt in is made (target at least 1x).
#
# usage: bench/export_speed.sh [--seconds S]   (length of the excerpt, default 20)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
for tool in ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "export_speed: $tool is not installed" >&2; exit 1; }
done
tool="$top/build/tools/ostvik-export"
[ -x "$tool" ] || {
    echo "export_speed: build ostvik-export first (cmake --build build --target ostvik-export)" >&2
    exit 1
}
length=20
if [ "${1:-}" = "--seconds" ]; then
    length="$2"
fi
folder="$top/build/bench/export"
clip="$folder/2024_0601_140000_F.MP4"
if [ ! -f "$clip" ]; then
    mkdir -p "$folder"
    echo "Making the 3-minute 1080p30 clip in $folder" >&2
    python3 "$top/tools/mkclip.py" "$clip" --seconds 180 --size 1920x1080 --fps 30 --frame-code
fi
from=60
to=$((from + length))

seconds_of() { # runs the command, prints its wall-clock seconds
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}

copy=$(seconds_of "$tool" --from "$from" --to "$to" -o "$folder/copy.mp4" "$clip")
overlay=$(seconds_of "$tool" --overlay --text "bench" --from "$from" --to "$to" \
    -o "$folder/overlay.mp4" "$clip")
rm -f "$folder/copy.mp4" "$folder/copy.gpx" "$folder/overlay.mp4" "$folder/overlay.gpx"
printf 'copy excerpt of %d s: %.2f s (target < 2 s)\n' "$length" "$copy"
printf 'overlay excerpt of %d s: %.2f s, %.2fx real time (target >= 1x)\n' "$length" "$overlay" \
    "$(echo "$length / $overlay" | bc -l)"

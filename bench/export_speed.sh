#!/usr/bin/env bash
# Speed of evidence excerpts of 3 minutes of 1080p30: the time a stream-copied excerpt
# takes (target under 2 s), and how many times real time a re-encoded excerpt with the
# captions burnt in is made (target at least 1x).
#
# usage: bench/export_speed.sh [--seconds S]   (length of the excerpt, default 180)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
for tool in ffmpeg python3 bc /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "export_speed: $tool is not installed" >&2; exit 1; }
done
tool="$top/build/tools/ostvik-export"
[ -x "$tool" ] || {
    echo "export_speed: build ostvik-export first (cmake --build build --target ostvik-export)" >&2
    exit 1
}
length=180
if [ "${1:-}" = "--seconds" ]; then
    length="$2"
fi
folder="$top/build/bench/export"
clip="$folder/2024_0601_140000_F_200s.MP4"
if [ ! -f "$clip" ]; then
    mkdir -p "$folder"
    echo "Making the 200 s 1080p30 clip in $folder" >&2
    python3 "$top/tools/mkclip.py" "$clip" --seconds 200 --size 1920x1080 --fps 30 --frame-code
fi
from=10
to=$((from + length))

# Runs the command; sets `wall` and `cpu` (user and system) seconds. On a machine other work
# shares, the CPU time tells what two free cores would do: cpu / 2 seconds of wall time.
measure() {
    local file
    file="$(mktemp)"
    /usr/bin/time -f "%e %U %S" -o "$file" "$@" >/dev/null
    read -r wall user system <"$file"
    rm -f "$file"
    cpu="$(echo "$user + $system" | bc -l)"
}

measure "$tool" --from "$from" --to "$to" -o "$folder/copy.mp4" "$clip"
copy="$wall"
measure "$tool" --overlay --text "bench" --from "$from" --to "$to" -o "$folder/overlay.mp4" "$clip"
rm -f "$folder/copy.mp4" "$folder/copy.gpx" "$folder/overlay.mp4" "$folder/overlay.gpx"
printf 'copy excerpt of %d s: %.2f s (target < 2 s)\n' "$length" "$copy"
printf 'overlay excerpt of %d s: %.2f s, %.2fx real time (target >= 1x); %.1f CPU seconds, %.2fx on two free cores\n' \
    "$length" "$wall" "$(echo "$length / $wall" | bc -l)" "$cpu" "$(echo "2 * $length / $cpu" | bc -l)"

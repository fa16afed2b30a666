#!/usr/bin/env bash
# Cost of the evidence report: the time `ostvik-export --report` takes beyond the same
# excerpt without it (target under 3 s), for a 3-minute stream copy across two 1080p30
# clips of one drive; and the speed at which the report's SHA-256 reads files, as
# `ostvik-export --verify` rehashes the whole set (clips, excerpt, GPX, CSV, PDF).
#
# usage: bench/report_speed.sh [--seconds S]   (length of the excerpt, default 180)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
for tool in ffmpeg python3 bc /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "report_speed: $tool is not installed" >&2; exit 1; }
done
tool="$top/build/tools/ostvik-export"
[ -x "$tool" ] || {
    echo "report_speed: build ostvik-export first (cmake --build build --target ostvik-export)" >&2
    exit 1
}
length=180
if [ "${1:-}" = "--seconds" ]; then
    length="$2"
fi
folder="$top/build/bench/report"
first="$folder/2024_0601_140000_F.MP4"
second="$folder/2024_0601_140140_F.MP4"
mkdir -p "$folder"
# Two clips of 100 s, the second starting where the first ends: one drive.
[ -f "$first" ] || python3 "$top/tools/mkclip.py" "$first" --seconds 100 --size 1920x1080 \
    --fps 30 --start 2024-06-01T12:00:00 --hard-brake 60
[ -f "$second" ] || python3 "$top/tools/mkclip.py" "$second" --seconds 100 --size 1920x1080 \
    --fps 30 --start 2024-06-01T12:01:40 --origin 59.34,18.08
from=10
to=$((from + length))

# The best of three runs of a command: its wall time in `wall`, and the CPU seconds (user
# and system) of that run in `cpu`. On a machine other work shares, the CPU time tells what
# the report costs where the cores are free.
measure() {
    local file best="" best_cpu="" user system
    file="$(mktemp)"
    for _ in 1 2 3; do
        /usr/bin/time -f "%e %U %S" -o "$file" "$@" >/dev/null 2>&1
        read -r wall user system <"$file"
        if [ -z "$best" ] || [ "$(echo "$wall < $best" | bc -l)" = 1 ]; then
            best="$wall"
            best_cpu="$(echo "$user + $system" | bc -l)"
        fi
    done
    rm -f "$file"
    wall="$best"
    cpu="$best_cpu"
}

cd "$folder"
measure "$tool" --from "$from" --to "$to" -o "$folder/plain.mp4" "$first" "$second"
plain="$wall"
plain_cpu="$cpu"
measure "$tool" --report --from "$from" --to "$to" -o "$folder/reported.mp4" "$first" "$second"
reported="$wall"
reported_cpu="$cpu"
measure "$tool" --verify "$folder/reported.manifest.txt"
verify="$wall"
verify_cpu="$cpu"
sha256sum_start=$(date +%s.%N)
sha256sum "$first" "$second" reported.mp4 >/dev/null
sha256sum_wall="$(echo "$(date +%s.%N) - $sha256sum_start" | bc -l)"
bytes=$(stat -c %s "$first" "$second" reported.mp4 reported.gpx reported.csv reported.report.pdf |
    paste -sd+ | bc)
rm -f plain.* reported.*
printf 'excerpt of %d s over two 1080p30 clips: %.2f s without the report, %.2f s with it\n' \
    "$length" "$plain" "$reported"
printf 'the report costs %.2f s beyond the excerpt (target < 3 s); %.2f CPU seconds beyond it\n' \
    "$(echo "$reported - $plain" | bc -l)" "$(echo "$reported_cpu - $plain_cpu" | bc -l)"
printf 'hashing: %.0f MB in %.2f s by --verify, %.0f MB/s (files in the page cache), %.0f MB/s a CPU second\n' \
    "$(echo "$bytes / 1000000" | bc -l)" "$verify" "$(echo "$bytes / 1000000 / $verify" | bc -l)" \
    "$(echo "$bytes / 1000000 / $verify_cpu" | bc -l)"
printf 'sha256sum of the clips and the excerpt, for comparison: %.2f s\n' "$sha256sum_wall"

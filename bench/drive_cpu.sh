#!/usr/bin/env bash
# CPU of the player playing a drive of three 20 s 1080p30 front clips across both of its
# boundaries, beside each of those clips played alone, in a virtual X server, alternating.
#
# usage: bench/drive_cpu.sh [--runs N] [--settle S] [--screen WxH]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
for tool in Xvfb ffmpeg ffprobe python3; do
    command -v "$tool" >/dev/null || { echo "drive_cpu: $tool is not installed" >&2; exit 1; }
done
player="$top/build/app/ostvik"
[ -x "$player" ] || { echo "drive_cpu: build the player first (scripts/build.sh)" >&2; exit 1; }
clips="$top/build/bench/drive-cpu"
mkdir -p "$clips"
drive=()
origin="59.3293,18.0686"
for second in 00 20 40; do
    clip="$clips/2024_0601_1400${second}_F.MP4"
    drive+=("$clip")
    if [ ! -f "$clip.csv" ]; then
        echo "Making the 1080p30 clip $clip" >&2
        python3 "$top/tools/mkclip.py" "$clip" --seconds 20 --size 1920x1080 --fps 30 \
            --start "2024-06-01T12:00:$second" --origin "$origin" --truth "$clip.csv.part"
        mv "$clip.csv.part" "$clip.csv"
    fi
    origin="$(tail -n 1 "$clip.csv" | cut -d, -f2,3)"
done
exec python3 "$top/bench/drive_cpu.py" "$player" "${drive[@]}" "$@"

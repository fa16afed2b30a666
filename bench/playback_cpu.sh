#!/usr/bin/env bash
# CPU time and memory of the player playing a 1080p30 clip for 20 s in a virtual X server,
# beside mpv --vo=gpu alone playing it in a window the size of the player's video window.
# Both play without sound. The machine's other load moves the figures: several runs are made
# and their spread printed.
#
# usage: bench/playback_cpu.sh [--runs N] [--seconds S] [--screen WxH]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
for tool in mpv Xvfb ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "playback_cpu: $tool is not installed" >&2; exit 1; }
done
player="$top/build/app/ostvik"
[ -x "$player" ] || { echo "playback_cpu: build the player first (scripts/build.sh)" >&2; exit 1; }
clip="$top/build/bench/CPU1080P.MP4"
if [ ! -f "$clip" ]; then
    mkdir -p "$(dirname "$clip")"
    echo "Making the 1080p30 clip $clip" >&2
    python3 "$top/tools/mkclip.py" "$clip" --seconds 25 --size 1920x1080 --fps 30
fi
exec python3 "$top/bench/playback_cpu.py" "$player" "$clip" "$@"

#!/usr/bin/env bash
# CPU of the player playing a 1080p30 front clip with its 1080p30 rear clip as a picture in
# the corner, 20 s in a virtual X server, beside the same front clip played alone.
#
# usage: bench/channels_cpu.sh [--runs N] [--seconds S] [--screen WxH]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
for tool in Xvfb ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "channels_cpu: $tool is not installed" >&2; exit 1; }
done
player="$top/build/app/ostvik"
[ -x "$player" ] || { echo "channels_cpu: build the player first (scripts/build.sh)" >&2; exit 1; }
both="$top/build/bench/channels/both"
alone="$top/build/bench/channels/alone"
front="2024_0601_140000_F.MP4"
if [ ! -f "$both/$front" ] || [ ! -f "$alone/$front" ]; then
    mkdir -p "$both" "$alone"
    echo "Making the 1080p30 front and rear clips in $both" >&2
    python3 "$top/tools/mkclip.py" "$both/$front" --seconds 25 --size 1920x1080 --fps 30 \
        --frame-code
    python3 "$top/tools/mkclip.py" "$both/2024_0601_140000_R.MP4" --seconds 25 \
        --size 1920x1080 --fps 30 --frame-code --no-embedded
    cp "$both/$front" "$alone/$front"
fi
exec python3 "$top/bench/channels_cpu.py" "$player" "$both/$front" "$alone/$front" "$@"

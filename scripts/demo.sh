#!/usr/bin/env bash
# Builds the player, makes the demo clip and plays it. Without a display (a server, a
# container) it plays it in a virtual X server for a few seconds and saves a picture of
# the window instead.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/build.sh"
demo="$top/build/demo"
clip="$demo/DEMO0001.MP4"
if [ ! -f "$clip" ]; then
    mkdir -p "$demo"
    echo "Making the demo clip $clip" >&2
    python3 "$top/tools/mkclip.py" "$clip" --seconds 60 --burn --truth "$demo/DEMO0001.truth.csv"
fi
player="$top/build/app/ostvik"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$player" "$clip"
fi
picture="$demo/ostvik-demo.png"
echo "No display: playing the demo clip in a virtual X server for 10 s." >&2
xvfb-run -a -s '-screen 0 1280x800x24' "$player" --no-audio --quit-after 10000 --grab "$picture" "$clip"
echo "A picture of the player's window: $picture" >&2
echo "The clip's track, as the player shows it:" >&2
"$top/build/tools/ostvik-track" "$clip" | head -n 12

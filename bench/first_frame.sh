#!/usr/bin/env bash
# Time from start to the first frame of the same clip: our engine layer (first_frame) beside
# the mpv player alone (--frames=1), both without picture or sound output, best of 7 runs.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
clip="${1:-$top/build/demo/2024_0601_140000_F.MP4}"
command -v mpv >/dev/null || { echo "first_frame: mpv is not installed" >&2; exit 1; }
[ -f "$clip" ] || { echo "first_frame: no clip $clip (run scripts/demo.sh once)" >&2; exit 1; }
best() { sort -n | head -n 1; }
ours=$(for _ in 1 2 3 4 5 6 7; do "$top/build/bench/first_frame" "$clip" 2>/dev/null; done | best)
theirs=$(for _ in 1 2 3 4 5 6 7; do
    s=$(date +%s%N)
    mpv --no-config --really-quiet --load-scripts=no --ytdl=no --osc=no --vo=null --ao=null \
        --frames=1 "$clip" >/dev/null 2>&1
    echo $(( ($(date +%s%N) - s) / 1000000 ))
done | best)
echo "start to first frame: ostvik engine ${ours} ms, mpv alone ${theirs} ms"

#!/usr/bin/env bash
# Builds the project, makes the demo clip and shows its track.
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
"$top/build/tools/ostvik-track" --format csv "$clip"

#!/usr/bin/env bash
# Builds the player, makes the demo drive and plays it. Without a display (a server, a
# container) it plays it in a virtual X server for a few seconds and saves a picture of
# the window instead.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/build.sh"
demo="$top/build/demo"
# A drive of three one-minute clips under the names a camera gives them (its clock two
# hours ahead of UTC), each going on from where the one before stopped; the second brakes
# hard once. A rear camera recorded each moment too: its plain picture carries its frame
# numbers, as the front's does, so the two are seen to play in step.
starts=(120000 120100 120200)
clips=()
origin="59.3293,18.0686"
mkdir -p "$demo"
for i in 0 1 2; do
    utc="${starts[$i]}"
    clip="$demo/2024_0601_$(printf '%02d' $((10#${utc:0:2} + 2)))${utc:2:4}_F.MP4"
    clips+=("$clip")
    truth="${clip%.MP4}.truth.csv"
    if [ ! -f "$clip" ]; then
        echo "Making the demo clip $clip" >&2
        extra=()
        [ "$i" = 1 ] && extra=(--hard-brake 30)
        python3 "$top/tools/mkclip.py" "$clip" --seconds 60 --burn --truth "$truth" \
            --start "2024-06-01T${utc:0:2}:${utc:2:2}:${utc:4:2}" --origin "$origin" \
            --frame-code "${extra[@]}"
    fi
    rear="${clip%_F.MP4}_R.MP4"
    if [ ! -f "$rear" ]; then
        python3 "$top/tools/mkclip.py" "$rear" --seconds 60 --colour 0x284050 --frame-code \
            --no-embedded
    fi
    origin="$(tail -n 1 "$truth" | cut -d, -f2,3)"
done
player="$top/build/app/ostvik"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$player" "${clips[@]}"
fi
picture="$demo/ostvik-demo.png"
echo "No display: playing the demo drive in a virtual X server for 10 s." >&2
xvfb-run -a -s '-screen 0 1280x800x24' "$player" --no-audio --quit-after 10000 --grab "$picture" \
    "${clips[@]}"
echo "A picture of the player's window: $picture" >&2
echo "The clip's track, as the player shows it:" >&2
"$top/build/tools/ostvik-track" "${clips[0]}" | head -n 12
echo "The drive its clips make:" >&2
"$top/build/tools/ostvik-track" --drives "${clips[@]}"

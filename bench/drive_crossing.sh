#!/usr/bin/env bash
# The picture at a drive's clip boundaries, as the user sees it: the real player plays a
# drive of three 8 s clips (front and rear, 25 frames a second, each frame's number burnt
# in) in a virtual X server, while ffmpeg grabs the picture's corner from the screen 60
# times a second. Prints the longest hold at each boundary, and the same clip played alone
# (with its rear clip) as the baseline, from the same run.
#
# usage: bench/drive_crossing.sh [BUILD_DIR]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$top/build}"
for tool in Xvfb ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "drive_crossing: $tool is not installed" >&2; exit 1; }
done
player="$build/app/ostvik"
[ -x "$player" ] || { echo "drive_crossing: build the player first (scripts/build.sh)" >&2; exit 1; }
clips="$build/bench/crossing"
mkdir -p "$clips"
front=()
origin="59.3293,18.0686"
for second in 00 08 16; do
    clip="$clips/2024_0601_1400${second}_F.MP4"
    front+=("$clip")
    if [ ! -f "$clip" ]; then
        python3 "$top/tools/mkclip.py" "$clip" --seconds 8 --fps 25 --size 640x360 --frame-code \
            --start "2024-06-01T12:00:$second" --origin "$origin" --truth "$clip.csv"
        python3 "$top/tools/mkclip.py" "${clip%_F.MP4}_R.MP4" --seconds 8 --fps 25 \
            --size 640x360 --colour 0x284050 --frame-code --no-embedded
    fi
    origin="$(tail -n 1 "$clip.csv" | cut -d, -f2,3)"
done
alone="$clips/alone"
mkdir -p "$alone"
cp -n "${front[0]}" "${front[0]%_F.MP4}_R.MP4" "$alone/"

# The player's window opens at the screen's corner; its 640x360 picture is drawn 500 pixels
# wide a little below the title, so the 12 squares of the frame number (26 pixels each in
# the clip) lie in the first 244 pixels of its top 20. The grab takes a band around them;
# the reader finds where the picture starts in it.
scale=$(python3 -c 'print(500 / 640)')
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
display=$((100 + RANDOM % 800))
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1

measure() { # LABEL SECONDS CLIP...
    local label="$1" seconds="$2"
    shift 2
    DISPLAY=":$display" QTWEBENGINE_DISABLE_SANDBOX=1 "$player" --no-audio \
        --quit-after $((seconds * 1000)) "$@" >"$work/player.log" 2>&1 &
    local player_pid=$!
    ffmpeg -v info -nostdin -y -use_wallclock_as_timestamps 1 -f x11grab -framerate 60 \
        -draw_mouse 0 -video_size 260x80 -i ":$display+0,30" -t "$seconds" \
        -vf "format=gray,showinfo" -fps_mode passthrough -f rawvideo "$work/$label.raw" \
        2>"$work/$label.log"
    wait "$player_pid" || true
    python3 "$top/bench/picture_holds.py" "$work/$label.raw" "$work/$label.log" 260 80 \
        "$scale" "$label"
}
measure "one clip alone" 12 "$alone/$(basename "${front[0]}")"
measure "a drive of three clips" 30 "${front[@]}"

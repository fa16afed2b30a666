#!/usr/bin/env bash
# The time ostvik-track takes to read the track of a 1 GiB clip of each camera family the
# clip maker writes: ten minutes of records (what a camera writes in 1 GiB at about
# 14 Mbit/s), spread over 1 GiB as a camera spreads them among its video. Families whose
# records lie at fixed spacing in the media data are spread by the maker itself; those held
# by a track's sample table get a sparse box ahead of their media data, their chunk offsets
# moved past it (bench/spread_clip.py); a transport stream is left at its own length. The
# clips stay in BUILD_DIR/benchdata/cameras; every time is the best of three, the page cache
# warm, and the seconds read must equal those of the clip before it was spread.
# usage: camera_read.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: camera_read.sh BUILD_DIR}")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool="$build/tools/ostvik-track"
[ -x "$tool" ] || { echo "camera_read: build ostvik-track first" >&2; exit 1; }
data="$build/benchdata/cameras"
mkdir -p "$data"
size=$((1 << 30))
seconds=600

best_of_three() {
    local best="" t TIMEFORMAT=%R
    for _ in 1 2 3; do
        t=$({ time "$tool" --format csv "$1" >/dev/null 2>&1; } 2>&1)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}

fixes() { "$tool" --format csv "$1" 2>/dev/null | awk -F, 'NR > 1 && $2 == "A"' | wc -l; }

printf '%-14s %12s %8s %8s\n' family bytes seconds "read s"
# layout, and whether the maker spreads its records over the size itself
for row in vantrue:own vantrue-s1:own vantrue-n2s:own transcend:own tesla:box navitel:box \
    ligo-ssmd:box ligo-trailer:box ligo-ts:ts insta360:box camm:box kenwood:box sony-rtmd:box \
    dji-djmd:box gopro:box thinkware:box garmin:box 70mai-box:box nextbase-322gw:box; do
    layout=${row%%:*} how=${row##*:}
    ext=MP4
    [ "$how" = ts ] && ext=ts
    small="$data/$layout-small.$ext" clip="$data/$layout.$ext"
    if [ ! -f "$clip" ]; then
        case "$how" in
        own)
            python3 "$here/../tools/mkclip.py" "$clip" --layout "$layout" --size 64x48 --fps 1 \
                --sparse-size "$size" >/dev/null
            ;;
        *)
            python3 "$here/../tools/mkclip.py" "$small" --layout "$layout" --size 64x48 --fps 1 \
                --seconds "$seconds" >/dev/null
            if [ "$how" = box ]; then
                python3 "$here/spread_clip.py" "$small" "$clip" "$size"
            else
                cp "$small" "$clip"
            fi
            ;;
        esac
    fi
    read_fixes=$(fixes "$clip")
    note=""
    if [ -f "$small" ] && [ "$(fixes "$small")" != "$read_fixes" ]; then
        note="  (differs from the clip before spreading: $(fixes "$small"))"
    fi
    printf '%-14s %12s %8s %8s%s\n' "$layout" "$(stat -c %s "$clip")" "$read_fixes" \
        "$(best_of_three "$clip")" "$note"
done

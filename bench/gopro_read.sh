#!/usr/bin/env bash
# Reading the track of a 4 GiB GoPro clip: ostvik-track against exiftool -ee on the same
# clip, in the same run, and whether both give the same position for every second.
#
# The clip is made by the clip maker: a short picture, then a gpmd payload a second spread
# over 4 GiB of holes, as a GoPro spreads them among its video (about 64 minutes of GPS5 at
# 18 fixes a second). It stays in BUILD_DIR/benchdata.
# usage: gopro_read.sh BUILD_DIR
set -euo pipefail
build=$(realpath "${1:?usage: gopro_read.sh BUILD_DIR}")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool="$build/tools/ostvik-track"
[ -x "$tool" ] || { echo "gopro_read: build ostvik-track first" >&2; exit 1; }
data="$build/benchdata"
clip="$data/GX014GIB.MP4"
mkdir -p "$data"
[ -f "$clip" ] || python3 "$here/../tools/mkclip.py" "$clip" --layout gopro --size 64x48 \
    --fps 1 --sparse-size $((4 << 30)) >/dev/null

seconds() {
    local TIMEFORMAT=%R
    { time "$@" >/dev/null 2>&1; } 2>&1
}

ours=$(seconds "$tool" --format csv "$clip")
theirs=$(seconds exiftool -api LargeFileSupport=1 -ee -n -a -G3 -s -GPSLatitude -GPSLongitude "$clip")

# Each second's position: ours from the CSV, exiftool's as the first fix of each payload.
"$tool" --format csv "$clip" | awk -F, 'NR > 1 && $2 == "A" { printf "%.6f,%.6f\n", $3, $4 }' \
    >"$data/gopro-ours.csv"
exiftool -api LargeFileSupport=1 -ee -n -a -G3 -s -GPSLatitude -GPSLongitude "$clip" |
    awk '!seen[$1 $2]++ { v[$1, $2] = $4; d[$1] = 1 }
         END { for (k = 1; ("[Doc" k "]") in d; k++)
                   printf "%.6f,%.6f\n", v["[Doc" k "]", "GPSLatitude"], v["[Doc" k "]", "GPSLongitude"] }' \
    >"$data/gopro-theirs.csv"
# Ours are printed to six decimals, exiftool's to seven: equal within a rounding step. Ours
# has one second more, the clip's end, which takes the last payload's last fix.
n=$(wc -l <"$data/gopro-theirs.csv")
same=$(head -n "$n" "$data/gopro-ours.csv" | paste -d, - "$data/gopro-theirs.csv" | awk -F, -v n="$n" '
    function abs(x) { return x < 0 ? -x : x }
    abs($1 - $3) > 1.5e-6 || abs($2 - $4) > 1.5e-6 { bad++ }
    END { print (NR == n && !bad) ? "yes" : "no (" bad + 0 " of " NR " differ, " n " expected)" }')

printf 'clip: %s (%s bytes, %s seconds of GPS)\n' "$clip" "$(stat -c %s "$clip")" \
    "$(wc -l <"$data/gopro-theirs.csv")"
printf 'ostvik-track: %s s\nexiftool -ee: %s s\nfaster: %.0fx\nsame positions: %s\n' \
    "$ours" "$theirs" "$(awk -v a="$theirs" -v b="$ours" 'BEGIN { print a / b }')" "$same"

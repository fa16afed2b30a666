#!/usr/bin/env bash
# The fleet GeoPackage on this machine: N indexed clips (default 10000) read into one
# GeoPackage by `ostvik-track --format gpkg`, as clips per second; the same card as two
# halves written to two parts and merged, as the merge's time; and from those, what M
# machines would take, each reading N/M clips on its own cores before the one merge.
#
# The card is made as bench_drives makes its own: five one-minute clips with indexed
# freeGPS blocks made by the clip maker, under consecutive camera names a minute apart, so
# drives are five clips long; here as hard links, since a sparse copy of a 68 MB clip takes
# a tenth of a second and ten thousand of them most of an hour. The tool keys clips by path,
# so a link is a clip of its own to it. The card stays in BUILD_DIR/benchdata.
# usage: gpkg_fleet.sh BUILD_DIR [N]
set -euo pipefail
build=$(realpath "${1:?usage: gpkg_fleet.sh BUILD_DIR [N]}")
n="${2:-10000}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool="$build/tools/ostvik-track"
[ -x "$tool" ] || { echo "gpkg_fleet: build ostvik-track first" >&2; exit 1; }
data="$build/benchdata"
bases="$data/drive-card-bases"
card="$data/gpkg-card-$n"
work="$data/gpkg-fleet"

mkdir -p "$bases"
for k in 0 1 2 3 4; do
    [ -f "$bases/base$k.MP4" ] ||
        python3 "$here/../tools/mkclip.py" "$bases/base$k.MP4" --seconds 60 --size 64x48 \
            --fps 1 --index --start "2024-06-01T12:0$k:00" >/dev/null
done
if [ ! -d "$card" ]; then
    rm -rf "$card.partial"
    mkdir -p "$card.partial"
    for ((i = 0; i < n; i++)); do
        # From 2024-06-01 00:00 camera time, a minute a clip, the day rolling over.
        printf -v name '2024_06%02d_%02d%02d00_F.MP4' $((1 + i / 1440)) $((i % 1440 / 60)) $((i % 60))
        echo "ln $bases/base$((i % 5)).MP4 $card.partial/$name"
    done | bash
    mv "$card.partial" "$card"
fi
rm -rf "$work"
mkdir -p "$work"
clips=("$card"/*.MP4)
half_a=()
half_b=()
for ((i = 0; i < ${#clips[@]}; i++)); do
    if ((i % 2 == 0)); then half_a+=("${clips[i]}"); else half_b+=("${clips[i]}"); fi
done

seconds() {
    local TIMEFORMAT=%R
    { time "$@" 2>/dev/null; } 2>&1 | tail -n 1
}

one=$(seconds "$tool" --format gpkg --out "$work/one.gpkg" "$card")
again=$(seconds "$tool" --format gpkg --out "$work/one.gpkg" "$card")
"$tool" --format gpkg --out "$work/part-a.gpkg" "${half_a[@]}" 2>/dev/null
"$tool" --format gpkg --out "$work/part-b.gpkg" "${half_b[@]}" 2>/dev/null
merge=$(seconds "$tool" --merge-gpkg --out "$work/merged.gpkg" "$work/part-a.gpkg" "$work/part-b.gpkg")

cores=$(nproc)
rate=$(echo "$n / $one" | bc -l)
printf 'clips: %d, cores: %d, file: %s MB\n' "$n" "$cores" "$(($(stat -c %s "$work/one.gpkg") / 1000000))"
printf 'one run: %.1f s, %.0f clips/s; run again (all held): %.1f s\n' "$one" "$rate" "$again"
printf 'merge of two parts of %d clips each: %.1f s\n' $((n / 2)) "$merge"
echo "M machines like this one, each reading N/M clips into its part, then the merge (its"
echo "time taken as measured: it grows with the clips, hardly with the parts):"
printf '   1: %7.1f s (one run, no merge)\n' "$one"
for m in 2 4 8 16 32; do
    printf '  %2d: %7.1f s\n' "$m" "$(echo "$one / $m + $merge" | bc -l)"
done

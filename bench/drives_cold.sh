#!/usr/bin/env bash
# The cold figure beside bench_drives' warm one: times `ostvik-track --drives` on the card
# bench_drives made (or the folder given), once with the file cache dropped and once warm.
# Dropping the cache needs root; without it only the warm time is given.
# usage: drives_cold.sh BUILD_DIR [CARD]
set -euo pipefail
build="${1:?usage: drives_cold.sh BUILD_DIR [CARD]}"
card="${2:-$build/benchdata/drive-card}"
tool="$build/tools/ostvik-track"
[ -d "$card" ] || { echo "drives_cold: no card at $card (run bench_drives first)" >&2; exit 1; }

seconds() {
    local TIMEFORMAT=%R
    { time "$tool" --drives "$card" >/dev/null; } 2>&1
}

if [ "$(id -u)" -eq 0 ]; then
    sync
    echo 3 >/proc/sys/vm/drop_caches
    echo "cold: $(seconds) s"
else
    echo "cold: not measured (dropping the file cache needs root)" >&2
fi
echo "warm: $(seconds) s"

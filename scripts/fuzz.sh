#!/usr/bin/env bash
# Runs every fuzz target for longer than the test run does: scripts/fuzz.sh [seconds each]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
bash "$top/scripts/build.sh"
fuzz="$top/build/tests/fuzz"
for source in "$top"/tests/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    bin="$fuzz/$name"
    echo "== $name for ${seconds}s"
    mkdir -p "$fuzz/$name.corpus"
    "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        "$fuzz/$name.corpus" "$top/tests/fuzz/corpus/$name"
done

#!/usr/bin/env bash
# Installs what is missing, then configures and builds everything in build/.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$top/build" -j2

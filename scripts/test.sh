#!/usr/bin/env bash
# Builds everything and runs every test, fuzz targets included.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/build.sh"
cd "$top/build"
ctest -j2 --output-on-failure --timeout 900

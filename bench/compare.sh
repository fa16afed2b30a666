#!/usr/bin/env bash
# Builds, then times our NMEA parser beside gpsbabel and our embedded-track load beside
# exiftool -ee, on the same inputs in the same run, and prints the ratios.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/build.sh" >&2
exec python3 "$top/bench/compare.py" "$top" "$@"

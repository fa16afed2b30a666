#!/usr/bin/env bash
# Builds everything and runs every test, fuzz targets included. Then it builds the product
# and its tests a second time with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs the same tests there, leaks checked. OSTVIK_SANITIZERS=0 leaves that
# second pass out, for a quick run while working; CI always makes it.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/scripts/build.sh"
(cd "$top/build" && ctest -j2 --output-on-failure --timeout 900)

if [[ "${OSTVIK_SANITIZERS:-1}" == 0 ]]; then
    exit 0
fi
# The fuzz targets carry their own sanitizers, and the benchmarks measure nothing useful here.
cmake -S "$top" -B "$top/build-asan" -G Ninja \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DOSTVIK_SANITIZERS=ON -DOSTVIK_FUZZ=OFF -DOSTVIK_BENCH=OFF >/dev/null
cmake --build "$top/build-asan" -j2

# The one place the sanitizers are set up for the tests: every test, and every program a
# test starts, inherits these. Leaks inside the libraries we use (not ours) are listed by
# library in tests/lsan.supp; a new library that leaks at exit gets its entry there.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd "$top/build-asan" && ctest -j2 --output-on-failure --timeout 1800)

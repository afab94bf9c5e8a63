#!/usr/bin/env bash
# Installs what is missing, checks that the folders' includes form no cycle, builds, and runs
# every test: once in an ordinary build (with the benchmarks compiled, not run) and once with
# AddressSanitizer and UndefinedBehaviorSanitizer, desktop program and widget tests included.
# A compiler warning fails both builds.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

# The folders under src/ are layers: their includes must not form a cycle.
scripts/check-layers.sh

cmake -S . -B build -G Ninja -DSORTANA_BUILD_TESTS=ON -DSORTANA_BUILD_BENCH=ON -DSORTANA_WARNINGS_AS_ERRORS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSORTANA_SANITIZE=ON \
      -DSORTANA_BUILD_TESTS=ON -DSORTANA_WARNINGS_AS_ERRORS=ON
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

#!/usr/bin/env bash
# Runs clang-tidy with the project's checks (.clang-tidy) on the C++ files given, or on those
# changed since BASE (default: main's first parent of HEAD, i.e. HEAD~1) when none are given:
#   scripts/tidy.sh [--base REV] [FILE...]
# Uses the compile commands of the build/ tree, which scripts/test.sh configures.
set -euo pipefail
cd "$(dirname "$0")/.."

base=HEAD~1
if [ "${1:-}" = "--base" ]; then
    base=$2
    shift 2
fi
tidy=$(command -v clang-tidy || command -v clang-tidy-14 || true)
if [ -z "$tidy" ]; then
    echo "clang-tidy is not installed (apt-get install clang-tidy)" >&2
    exit 2
fi
[ -f build/compile_commands.json ] || cmake -S . -B build -G Ninja -DSORTANA_BUILD_TESTS=ON -DSORTANA_BUILD_BENCH=ON >/dev/null

if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git diff --name-only --diff-filter=AM "$base" -- '*.cpp' | grep -v '^fuzz/' || true)
fi
if [ ${#files[@]} -eq 0 ]; then
    echo "No C++ files to check."
    exit 0
fi
"$tidy" -p build --quiet "${files[@]}"

#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on a bundled example study.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DSORTANA_BUILD_TESTS=OFF
cmake --build build --target sortana-cli

study=examples/library-website.txt
echo "Survey of $study:"
build/src/cli/sortana-cli survey "$study"

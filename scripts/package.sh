#!/usr/bin/env bash
# Installs what is missing, builds the two programs for release in a build tree of their own
# (build-package, so the tree the tests use keeps its configuration), and packs them with the
# guide, the menu entry, the document type and the icon into build/sortana_VERSION_amd64.deb.
# Install it with: apt-get install ./build/sortana_VERSION_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
tree=build-package
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORTANA_BUILD_TESTS=OFF -DSORTANA_BUILD_BENCH=OFF
cmake --build "$tree" -j "$(nproc)"
# cpack packs what is built and does not build it: the step above has to come first.
cpack --config "$tree/CPackConfig.cmake" -B "$tree"
mkdir -p build
for deb in "$tree"/sortana_*_amd64.deb; do
    mv -f "$deb" build/
    echo "Built build/$(basename "$deb")"
done

#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on a bundled example study: the
# desktop program when there is a display (its import wizard opens with the example as
# input), otherwise the headless import, which writes the five analysis files, a document
# and a picture of the dendrogram.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja
study=examples/library-website.txt

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    cmake --build build --target sortana
    echo "Starting Sortana on $study: Next, Next and Finish in the wizard import it."
    exec build/src/app/sortana "$study"
fi

cmake --build build --target sortana-cli
out=build/example-output
build/src/cli/sortana-cli import "$study" --outdir "$out" \
    --document "$out/library-website.klus" --picture "$out/library-website.svg"
echo "Imported $study; the five analysis files (UTF-16, tab-separated), the document and"
echo "a picture of the dendrogram are in $out:"
ls -1 "$out"

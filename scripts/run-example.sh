#!/usr/bin/env bash
# Installs what is missing, builds, and imports a bundled example study: the five analysis
# files are written next to it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build --target sortana-cli

study=examples/library-website.txt
out=build/example-output
build/src/cli/sortana-cli import "$study" --outdir "$out" \
    --document "$out/library-website.klus" --picture "$out/library-website.svg"
echo "Imported $study; the five analysis files (UTF-16, tab-separated), the document and"
echo "a picture of the dendrogram are in $out:"
ls -1 "$out"

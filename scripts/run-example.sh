#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on a bundled example study: the
# desktop program when there is a display (its import wizard opens with a copy of the
# example as input), otherwise the headless import, which writes the five analysis files, a
# document and a picture of the dendrogram. Everything written goes to build/example-output,
# so the repository stays as it was.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja
study=examples/library-website.txt
out=build/example-output
mkdir -p "$out"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    cmake --build build --target sortana
    # The wizard writes the analysis files next to its input: a copy keeps them out of examples/.
    copy="$out/$(basename "$study")"
    cp "$study" "$copy"
    echo "Starting Sortana on $copy: Next, Next and Finish in the wizard import it."
    echo "The analysis files will be written next to it, in $out."
    exec build/src/app/sortana "$copy"
fi

cmake --build build --target sortana-cli
build/src/cli/sortana-cli import "$study" --outdir "$out" \
    --document "$out/library-website.klus" --picture "$out/library-website.svg"
echo "Imported $study; the five analysis files (UTF-16, tab-separated), the document and"
echo "a picture of the dendrogram are in $out:"
ls -1 "$out"

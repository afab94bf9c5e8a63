#!/usr/bin/env bash
# Fails when the includes between the folders under src/ form a cycle: every arrow between
# two folders points one way, so a folder can be read and built with only the ones below it.
# With --graph, prints each folder's arrows. tsort (coreutils) finds the cycles.
# Usage: scripts/check-layers.sh [--graph] [SRC]
set -euo pipefail

graph=0
if [ "${1:-}" = "--graph" ]; then graph=1; shift; fi
src=${1:-"$(dirname "$0")/../src"}
cd "$src"

folders=$(find . -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
# "from to" for each include of a header in another folder, "from from" for each folder so
# that a folder without arrows still shows.
edges=$(
    for folder in $folders; do
        echo "$folder $folder"
        grep -rhoE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$folder" \
            | sed -E 's/.*"([^"/]+)\/$/\1/' | sort -u \
            | while read -r target; do
                  [ "$target" != "$folder" ] && [ -d "$target" ] && echo "$folder $target"
              done || true
    done)

if ((graph)); then
    for folder in $folders; do
        printf '%-10s -> %s\n' "$folder" "$(awk -v f="$folder" '$1 == f && $2 != f { printf "%s ", $2 }' <<<"$edges")"
    done
fi

if ! loops=$(tsort <<<"$edges" 2>&1 >/dev/null) || [ -n "$loops" ]; then
    echo "The includes between folders under src/ form a cycle:" >&2
    sed -n 's/^tsort: //p' <<<"$loops" | grep -v 'input contains a loop' >&2
    for pair in $(awk '$1 != $2 { print $1 ":" $2 }' <<<"$edges"); do
        from=${pair%%:*} to=${pair##*:}
        if awk -v t="$to" -v f="$from" '$1 == t && $2 == f' <<<"$edges" | grep -q .; then
            echo "  $from and $to include each other, e.g. $(grep -rlE "#[[:space:]]*include[[:space:]]*\"$to/" "$from" | head -1)" >&2
        fi
    done
    exit 1
fi

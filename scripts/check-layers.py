#!/usr/bin/env python3
"""Fails when the includes between the folders under src/ form a cycle: every arrow between
two folders must point one way, so that a folder can be understood (and built) with only the
ones below it. Prints each folder's arrows with --graph.
Usage: scripts/check-layers.py [--graph] [SRC]"""
import os, re, sys

args = [a for a in sys.argv[1:] if a != "--graph"]
src = args[0] if args else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
include = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
folders = {d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d))}

edges = {}  # (from, to) -> an example "file -> header"
for root, _, files in os.walk(src):
    folder = os.path.relpath(root, src).split(os.sep)[0]
    if folder == ".":
        continue
    for name in files:
        if not name.endswith((".h", ".cpp")):
            continue
        path = os.path.join(root, name)
        with open(path, encoding="utf-8") as f:
            for header in include.findall(f.read()):
                target = header.split("/")[0]
                if "/" in header and target in folders and target != folder:
                    edges.setdefault((folder, target), "%s -> %s" % (os.path.relpath(path, src), header))

graph = {f: sorted(t for (s, t) in edges if s == f) for f in sorted(folders)}
if "--graph" in sys.argv:
    for f, targets in graph.items():
        print("%-10s -> %s" % (f, " ".join(targets) or "(nothing)"))

# Depth-first search; a back edge closes a cycle.
state, stack, cycles = {}, [], []
def visit(node):
    state[node] = "open"
    stack.append(node)
    for nxt in graph[node]:
        if state.get(nxt) == "open":
            cycles.append(stack[stack.index(nxt):] + [nxt])
        elif nxt not in state:
            visit(nxt)
    stack.pop()
    state[node] = "done"
for node in graph:
    if node not in state:
        visit(node)

for cycle in cycles:
    print("cycle: " + " -> ".join(cycle), file=sys.stderr)
    for a, b in zip(cycle, cycle[1:]):
        print("  %s" % edges[(a, b)], file=sys.stderr)
sys.exit(1 if cycles else 0)

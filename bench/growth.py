#!/usr/bin/env python3
"""Fits the growth exponent k of time ~ items^k from bench_cluster's JSON output, per shape:
the slope of a least-squares line through (log items, log CPU time).
Usage: bench_cluster --benchmark_format=json | bench/growth.py"""
import json, math, sys
from collections import defaultdict

points = defaultdict(list)
for run in json.load(sys.stdin)["benchmarks"]:
    if run.get("run_type") == "aggregate":
        continue
    fields = dict(part.split(":") for part in run["name"].split("/")[1:])
    points["scattered" if fields["scattered"] == "1" else "topics"].append(
        (int(fields["items"]), run["cpu_time"], run["time_unit"]))
for shape, runs in sorted(points.items()):
    xs = [math.log(items) for items, _, _ in runs]
    ys = [math.log(time) for _, time, _ in runs]
    mx, my = sum(xs) / len(xs), sum(ys) / len(ys)
    slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
    times = ", ".join("%d: %.0f %s" % run for run in sorted(runs))
    print("%-9s exponent %.2f  (%s)" % (shape, slope, times))

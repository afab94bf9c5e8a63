#!/usr/bin/env python3
"""Median wall time and peak resident memory of the whole import, `sortana-cli import`, over
several runs of each study given: the figures a change of the core's shape must hold.
Usage: bench/import-size.py SORTANA_CLI STUDY... [--runs N]"""
import os, resource, statistics, subprocess, sys, tempfile, time

args = sys.argv[1:]
runs = 5
if "--runs" in args:
    at = args.index("--runs")
    runs = int(args[at + 1])
    del args[at:at + 2]
if len(args) < 2:
    sys.exit(__doc__)
cli, studies = args[0], args[1:]

for study in studies:
    times, peaks = [], []
    for _ in range(runs):
        with tempfile.TemporaryDirectory() as out:
            start = time.monotonic()
            pid = os.fork()
            if pid == 0:
                devnull = os.open(os.devnull, os.O_WRONLY)
                os.dup2(devnull, 1)
                os.execv(cli, [cli, "import", study, "--outdir", out])
            _, status, usage = os.wait4(pid, 0)
            times.append(time.monotonic() - start)
            if status != 0:
                sys.exit("failed: %s import %s" % (cli, study))
            peaks.append(usage.ru_maxrss / 1024)  # KiB on Linux
    print("%-40s median %.3f s, peak %.1f MiB (%d runs)"
          % (os.path.basename(study), statistics.median(times), statistics.median(peaks), runs))

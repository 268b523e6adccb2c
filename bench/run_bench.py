#!/usr/bin/env python3
"""End-to-end speed of ReadZemlo against a straightforward stdio converter.

Generates the inputs with daygen, then for each workload runs, alternating,
ReadZemlo, the stdio baseline and `cat` of the finished CSV bytes (the floor:
reading and writing that many bytes and nothing else), and reports medians.
Every run writes new files: outputs of the run before are removed, untimed.

    run_bench.py BUILD_DIR [ROUNDS]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile


MEASURE = None  # the measure helper, set in main()


def timed(argv, cwd, output="/dev/null"):
    """(seconds, peak RSS in KiB) of one run, as the measure helper sees it."""
    p = subprocess.run([MEASURE, "-o", output] + argv, cwd=cwd,
                       stdout=subprocess.PIPE, check=False)
    if p.returncode != 0:
        raise SystemExit("%s failed with status %d" % (argv[0], p.returncode))
    seconds, rss = p.stdout.split()
    return float(seconds), int(rss)


def remove(directory, names):
    """Removes earlier outputs, untimed: every run creates its files afresh,
    so none pays for the page cache an earlier run's file still holds."""
    for name in names:
        try:
            os.remove(os.path.join(directory, name))
        except FileNotFoundError:
            pass


def main():
    global MEASURE
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    MEASURE = os.path.join(build, "measure")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    tool = os.path.join(build, "ReadZemlo")
    baseline = os.path.join(build, "stdio_baseline")
    daygen = os.path.join(build, "daygen")
    work = tempfile.mkdtemp(prefix="readzemlo_bench_", dir=build)
    try:
        workloads = []
        subprocess.run([daygen, "plain", os.path.join(work, "plain.day"), "1000000", "1"], check=True)
        workloads.append(("plain 1,000,000 records", ["plain.day"]))
        subprocess.run([daygen, "hd", os.path.join(work, "hd.day"), "500000", "2"], check=True)
        workloads.append(("hd1.0 500,000 records", ["hd.day"]))
        small = []
        for i in range(400):
            name = "s%03d.day" % i
            subprocess.run([daygen, "plain", os.path.join(work, name), "4000", str(100 + i)], check=True)
            small.append(name)
        workloads.append(("400 plain files x 4,000", small))

        print("%-26s %-15s %9s %12s %9s %10s %8s" %
              ("workload", "program", "median s", "rows/s", "MB/s CSV", "peak RSS", "ratio"))
        for label, inputs in workloads:
            rows = sum(os.path.getsize(os.path.join(work, n)) // 32 for n in inputs)
            csvs = [n[:-4] + ".csv" for n in inputs]
            times = {"ReadZemlo": [], "stdio": [], "cat": []}
            rss = {"ReadZemlo": 0, "stdio": 0, "cat": 0}
            for _ in range(rounds):
                for program, argv in (("ReadZemlo", [tool] + inputs),
                                      ("stdio", [baseline] + inputs)):
                    remove(work, csvs)
                    t, m = timed(argv, work)
                    times[program].append(t)
                    rss[program] = max(rss[program], m)
                remove(work, ["copy.out"])
                t, m = timed(["cat"] + csvs, work, os.path.join(work, "copy.out"))
                times["cat"].append(t)
                rss["cat"] = max(rss["cat"], m)
            # The stdio baseline ran last; convert once more so the CSV bytes
            # counted are ReadZemlo's own.
            timed([tool] + inputs, work)
            csv_bytes = sum(os.path.getsize(os.path.join(work, c)) for c in csvs)
            ours = statistics.median(times["ReadZemlo"])
            for program in ("ReadZemlo", "stdio", "cat"):
                med = statistics.median(times[program])
                ratio = {"ReadZemlo": "1.00", "stdio": "%.2fx" % (med / ours),
                         "cat": "%.2fx" % (med / ours)}[program]
                print("%-26s %-15s %9.4f %12.0f %9.1f %7d KiB %8s" %
                      (label, program, med, rows / med, csv_bytes / med / 1e6,
                       rss[program], ratio))
        print("ratio: the program's median time over ReadZemlo's (above 1: ReadZemlo is faster)")
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()

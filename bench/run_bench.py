#!/usr/bin/env python3
"""End-to-end speed of ReadZemlo against its floor and a stdio converter.

The floor is writing the finished CSV bytes into place with no formatting at
all: `cat` of the finished table into a file, or `cp` of the finished tables
over earlier copies. Every program overwrites the outputs its previous run
left, as a user's rerun does: each program runs in a directory of its own
(links to the same inputs), since the cost of truncating a table depends on
how long ago it was written and by whom. The runs alternate, and each
figure is the median of ROUNDS.

    run_bench.py BUILD_DIR [ROUNDS] [--one-core] [--against OTHER_READZEMLO]
                 [--only TEXT]

--one-core runs every program under `taskset -c 0`; --against adds another
ReadZemlo binary (an earlier build, say) to compare with; --only keeps the
workloads whose label contains TEXT.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile


def timed(measure, argv, cwd, output="/dev/null"):
    """(seconds, peak RSS in KiB) of one run, as the measure helper sees it."""
    p = subprocess.run([measure, "-o", output] + argv, cwd=cwd,
                       stdout=subprocess.PIPE, check=False)
    if p.returncode != 0:
        raise SystemExit("%s failed with status %d" % (argv[0], p.returncode))
    seconds, rss = p.stdout.split()
    return float(seconds), int(rss)


def make_workloads(daygen, work, only):
    """(label, input names, floor command) for each workload whose label
    contains `only`."""
    def gen(kind, name, records, seed):
        subprocess.run([daygen, kind, os.path.join(work, name), str(records),
                        str(seed)], check=True)

    workloads = []
    for kind, name, records, seed, label in (
            ("plain", "plain.day", 1000000, 1, "plain 1,000,000"),
            ("plain-varied", "plainv.day", 1000000, 1, "plain 1,000,000 varied"),
            ("hd", "hd.day", 500000, 2, "hd1.0 500,000"),
            ("hd-varied", "hdv.day", 500000, 2, "hd1.0 500,000 varied")):
        if only not in label:
            continue
        gen(kind, name, records, seed)
        csv = name[:-4] + ".csv"
        workloads.append((label, [name], (["cat", csv], "copy_" + csv)))
    label = "400 plain files x 4,000"
    if only not in label:
        return workloads
    small = []
    for i in range(400):
        name = "s%03d.day" % i
        gen("plain-varied" if i % 2 else "plain", name, 4000, 100 + i)
        small.append(name)
    workloads.append((label, small,
                      (["cp"] + [n[:-4] + ".csv" for n in small] + ["copies/"],
                       "/dev/null")))
    return workloads


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default="build")
    parser.add_argument("rounds", nargs="?", type=int, default=7)
    parser.add_argument("--one-core", action="store_true")
    parser.add_argument("--against")
    parser.add_argument("--only", default="")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    measure = os.path.join(build, "measure")
    pin = ["taskset", "-c", "0"] if args.one_core else []
    programs = [("ReadZemlo", os.path.join(build, "ReadZemlo"))]
    if args.against:
        programs.append(("against", os.path.abspath(args.against)))
    programs.append(("stdio", os.path.join(build, "stdio_baseline")))

    work = tempfile.mkdtemp(prefix="readzemlo_bench_", dir=build)
    try:
        workloads = make_workloads(os.path.join(build, "daygen"), work,
                                   args.only)
        dirs = {}
        for name, _ in programs:
            dirs[name] = os.path.join(work, name)
            os.mkdir(dirs[name])
        # The floor copies the tables ReadZemlo made, in a place of its own.
        dirs["floor"] = dirs["ReadZemlo"]
        os.mkdir(os.path.join(dirs["floor"], "copies"))
        print("%-26s %-10s %9s %12s %9s %10s %8s" %
              ("workload", "program", "median s", "rows/s", "MB/s CSV",
               "peak RSS", "/floor"))
        for label, inputs, (floor_argv, floor_out) in workloads:
            rows = sum(os.path.getsize(os.path.join(work, n)) // 32
                       for n in inputs)
            for name, _ in programs:
                for n in inputs:
                    os.link(os.path.join(work, n), os.path.join(dirs[name], n))
            # One untimed run of each makes the outputs every timed run
            # then overwrites.
            for name, binary in programs:
                timed(measure, pin + [binary] + inputs, dirs[name])
            floor_path = (os.path.join(dirs["floor"], floor_out)
                          if floor_out != "/dev/null" else floor_out)
            timed(measure, pin + floor_argv, dirs["floor"], floor_path)
            csv_bytes = sum(os.path.getsize(
                os.path.join(dirs["ReadZemlo"], n[:-4] + ".csv"))
                            for n in inputs)
            names = [name for name, _ in programs] + ["floor"]
            times = {name: [] for name in names}
            rss = {name: 0 for name in names}
            for _ in range(args.rounds):
                runs = [(name, pin + [binary] + inputs, "/dev/null")
                        for name, binary in programs]
                runs.append(("floor", pin + floor_argv, floor_path))
                for name, argv, out in runs:
                    t, m = timed(measure, argv, dirs[name], out)
                    times[name].append(t)
                    rss[name] = max(rss[name], m)
            floor = statistics.median(times["floor"])
            for name in names:
                med = statistics.median(times[name])
                print("%-26s %-10s %9.4f %12.0f %9.1f %7d KiB %7.2fx" %
                      (label, name, med, rows / med, csv_bytes / med / 1e6,
                       rss[name], med / floor))
        print("/floor: the median time over that of writing the finished "
              "CSV bytes into place (cat or cp)%s" %
              (", all on one core" if args.one_core else ""))
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()

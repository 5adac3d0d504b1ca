#!/usr/bin/env python3
"""Peak memory of the batch commands on many samples, each run's peak resident set size as
the kernel reports it to getrusage (through os.wait4) with its wall-clock time.

    python3 bench/memory_bench.py build/release/morva build/memory [SAMPLES]

The input is SAMPLES copies (default 10,000) of the two-phase discharge KV-12 of
examples/morva.in, numbered KV-00000, KV-00001, ... Cases:
  saturation --html   every sample's saturation curves (the default grid) and the page
  run, 20 steps       the first 2,000 copies with ten cooling and ten boiling steps, the report
                      and all four tables, at --jobs 1, 8 and 32
  diagram             the Na-K-Mg triangle of 100,000 waters: the example waters in turn, as
                      a CSV table of analyses
Each line ends with "ok" when the peak is under 64 MB, "OVER" when not."""

import csv
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LIMIT_KB = 64 * 1024


def wells(path, n):
    """n copies of KV-12 (lines 35 to 68 of the example file), each with its own number."""
    with open(os.path.join(ROOT, "examples", "morva.in"), encoding="latin-1") as f:
        block = f.read().split("\n")[34:68]
    with open(path, "w", encoding="latin-1", newline="\n") as out:
        for i in range(n):
            lines = list(block)
            lines[3] = ("KV-%05d" % i).ljust(16) + lines[3][16:]
            out.write("\n".join(lines) + "\n")


def waters_csv(morva, scratch, n):
    """A CSV table of n analyses, the example waters in turn, numbered W-000000, W-000001, ..."""
    examples = os.path.join(scratch, "examples.csv")
    subprocess.run([morva, "convert", os.path.join(ROOT, "examples", "morva.in"), examples],
                   check=True)
    with open(examples, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f))
    with open(os.path.join(scratch, "waters.csv"), "w", encoding="utf-8", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(rows[0])
        for i in range(n):
            row = list(rows[1 + i % (len(rows) - 1)])
            row[0] = "W-%06d" % i
            out.writerow(row)


def peak(args, cwd):
    """Runs args in cwd; returns (seconds, peak resident set in KB, exit status)."""
    start = time.monotonic()
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen(args, cwd=cwd, stdout=null, stderr=null)
        _, status, usage = os.wait4(p.pid, 0)
    return time.monotonic() - start, usage.ru_maxrss, os.waitstatus_to_exitcode(status)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    morva = os.path.abspath(sys.argv[1])
    scratch = sys.argv[2]
    n = int(sys.argv[3]) if len(sys.argv) > 3 else 10000
    os.makedirs(scratch, exist_ok=True)
    wells(os.path.join(scratch, "wells.in"), n)
    wells(os.path.join(scratch, "wells2000.in"), min(n, 2000))
    steps = ["--cool", "170,155,140,125,110,95,80,65,50,35",
             "--boil", "170,155,140,125,110,95,80,65,50,35"]
    tables = ["--table", "t.csv", "--species", "s.csv", "--minerals", "m.csv", "--json", "r.json"]
    cases = [("saturation --html, %d samples, --jobs 2" % n,
              [morva, "saturation", "wells.in", "--html", "page.html", "--jobs", "2"])]
    for jobs in (1, 8, 32):
        cases.append(("run, %d samples, 20 steps, report and all tables, --jobs %d"
                      % (min(n, 2000), jobs),
                      [morva, "run", "wells2000.in", "--jobs", str(jobs)] + steps + tables))
    waters_csv(morva, scratch, 100000)
    cases.append(("diagram, 100000 waters",
                  [morva, "diagram", "waters.csv", "--out", "diagram.svg"]))
    for name, args in cases:
        seconds, kb, status = peak(args, scratch)
        verdict = "ok" if kb < LIMIT_KB else "OVER"
        print("%-62s %7.1f s  peak %6.1f MB  status %d  %s"
              % (name, seconds, kb / 1024, status, verdict), flush=True)


if __name__ == "__main__":
    main()

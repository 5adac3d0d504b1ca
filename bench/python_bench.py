"""Speed of the Python module: morva.calculate of the two-phase discharge KV-12 (compare with
the C++ benchmark calculate_two_phase), and run_table of 10,000 samples.

    PYTHONPATH=build/release/python python3 bench/python_bench.py [examples/morva.in]
"""

import os
import statistics
import sys
import time
import timeit

import morva

path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "examples", "morva.in")
well = next(s for s in morva.read_samples(path) if s.id == "KV-12")

# calculate(): median of 7 runs of 2,000 calls, per call.
runs = timeit.repeat(lambda: morva.calculate(well), number=2000, repeat=7)
print(f"morva.calculate(KV-12): median {statistics.median(runs) / 2000 * 1e6:.1f} us per call")

# run_table of 10,000 copies of the discharge, one per id, as a DataFrame.
fields = well.to_dict()
samples = [morva.Sample(**{**fields, "id": f"KV-{i:05d}"}) for i in range(10000)]
for jobs in (1, 2):
    times = []
    for _ in range(3):
        start = time.perf_counter()
        table = morva.run_table(samples, jobs=jobs)
        times.append(time.perf_counter() - start)
    print(f"run_table of {len(table)} samples, jobs {jobs}: median {statistics.median(times):.2f} s")

"""Speed of the Python package: one run with its tables, and a sweep on threads.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--cases 10000] [--jobs 2]

Figures for docs/performance.md: the median of many runs of the tool's
default case read whole (both branch tables, the release report, the events,
the pipe table at the output times and at 200 more times), the run alone for
comparison, and the wall time of a sweep of default-like cases.
"""
import argparse
import statistics
import time
import timeit

import numpy as np

import brimlow
from brimlow._library import lib


def median_microseconds(statement, repeat):
    timer = timeit.Timer(statement)
    return 1e6 * statistics.median(timer.repeat(repeat=repeat, number=1))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cases", type=int, default=10000, help="cases of the sweep")
    parser.add_argument("--jobs", type=int, default=2, help="threads of the sweep")
    parser.add_argument("--repeat", type=int, default=2000, help="runs of the single-run figures")
    options = parser.parse_args()

    case = brimlow.Case()
    times = np.geomspace(1.0, 3600.0, 200)
    brimlow.run(case).pipe(times)  # warm

    def run_and_read():
        result = brimlow.run(case)
        result.pipe(times)
        result.close()

    model = case._new_model()
    run_alone = median_microseconds(lambda: lib.VorlRun(model), options.repeat)
    handle = __import__("ctypes").c_void_p(model)
    lib.VorlModelDelete(__import__("ctypes").byref(handle))
    whole = median_microseconds(run_and_read, options.repeat)
    print(f"VorlRun alone (default case):                       {run_alone:8.1f} us median")
    print(f"brimlow.run + both branch tables + pipe at 200 times: {whole:8.1f} us median")

    locations = np.linspace(1e3, 99e3, options.cases)
    cases = [case.replace(breach_location_m=float(x)) for x in locations]
    start = time.perf_counter()
    brimlow.sweep(cases, jobs=options.jobs)
    sweep_seconds = time.perf_counter() - start
    start = time.perf_counter()
    brimlow.sweep(cases[:options.cases // 4], jobs=1)
    serial_seconds = 4 * (time.perf_counter() - start)
    print(f"brimlow.sweep of {options.cases} cases on {options.jobs} threads:     {sweep_seconds:8.2f} s "
          f"(serial, from a quarter of them: {serial_seconds:.2f} s; speed-up {serial_seconds / sweep_seconds:.2f})")


if __name__ == "__main__":
    main()

"""Speed of the Python package: one run with its tables, and a sweep on threads.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--cases 10000] [--jobs 2]

Figures for docs/performance.md: the median of many runs of the tool's
default case with both branch tables and the pipe at 200 times (and with every
table), each foreign call of it alone, and the wall time of a sweep of
default-like cases with their release reports (one call of the library's sweep
entry per chunk) on 1 and on --jobs threads, the shortest of --sweeps each.
"""
import argparse
import statistics
import time
import timeit

import numpy as np

import brimlow
from brimlow import _library
from brimlow._library import lib


def median_microseconds(statement, repeat):
    timer = timeit.Timer(statement)
    return 1e6 * statistics.median(timer.repeat(repeat=repeat, number=1))


def parts(case, times, repeat):
    """Where the time of one run read whole goes: each foreign call on its own."""
    from brimlow import result as tables
    model = case._new_model()
    lib.VorlRun(model)
    tolerance = np.zeros(1)
    values = np.empty((len(times), len(tables._PIPE.names)))
    found = [
        ("VorlRun alone", lambda: lib.VorlRun(model)),
        ("branch A record table (VorlBranchTableFill)", lambda: tables._branch_table(model, tables._BRANCH_A)),
        ("release report (VorlReleaseReportFill)", lambda: tables._summary(model)),
        ("events (VorlEventCount + VorlEventsFill)", lambda: tables._events(model)),
        ("pipe at the output grid (VorlPipeGridTableFill)",
         lambda: tables._pipe_grid_table(model, min(case.time_division, case.output_steps))),
        ("pipe at 200 times (VorlPipeTableFill)",
         lambda: lib.VorlPipeTableFill(model, times, len(times), tolerance, 1, values, len(times))),
        ("a new model with the case set (create + set)", lambda: _library.delete_model(case._new_model())),
        ("Case.replace (a new case, checked)", lambda: case.replace(breach_location_m=20e3)),
    ]
    figures = [(part, median_microseconds(call, repeat)) for part, call in found]
    _library.delete_model(model)
    return figures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cases", type=int, default=10000, help="cases of the sweep")
    parser.add_argument("--jobs", type=int, default=2, help="threads of the sweep")
    parser.add_argument("--repeat", type=int, default=2000, help="runs of the single-run figures")
    parser.add_argument("--sweeps", type=int, default=5, help="sweeps timed on each thread count (the shortest counts)")
    options = parser.parse_args()

    case = brimlow.Case()
    times = np.geomspace(1.0, 3600.0, 200)
    brimlow.run(case).pipe(times)  # warm

    def run_and_read():
        result = brimlow.run(case)
        result.pipe(times)
        result.close()

    def run_and_read_all():
        result = brimlow.run(case)
        result.pipe(times)
        result.summary, result.events, result.pipe()
        result.close()

    print(f"brimlow.run + both branch tables + pipe at 200 times: "
          f"{median_microseconds(run_and_read, options.repeat):8.1f} us median")
    print(f"  the same + summary, events and pipe() (every table): "
          f"{median_microseconds(run_and_read_all, options.repeat):8.1f} us median")
    for part, microseconds in parts(case, times, options.repeat):
        print(f"  {part:50s} {microseconds:8.1f} us median")

    locations = np.linspace(1e3, 99e3, options.cases)
    cases = [case.replace(breach_location_m=float(x)) for x in locations]
    brimlow.sweep(cases[:100], jobs=options.jobs)  # warm

    def sweep_seconds(jobs):
        # The shortest of a few: the machine may be shared.
        best = float("inf")
        for _ in range(options.sweeps):
            start = time.perf_counter()
            brimlow.sweep(cases, jobs=jobs)
            best = min(best, time.perf_counter() - start)
        return best

    parallel, serial = sweep_seconds(options.jobs), sweep_seconds(1)
    print(f"brimlow.sweep of {options.cases} cases with release reports, {options.jobs} threads: {parallel:6.3f} s; "
          f"1 thread: {serial:6.3f} s; speed-up {serial / parallel:.2f} (shortest of {options.sweeps})")


if __name__ == "__main__":
    main()

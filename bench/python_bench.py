"""Speed of the Python package: one run with its tables, and a sweep on threads.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--cases 10000] [--jobs 2]

Figures for docs/performance.md: the median of many runs of the tool's
default case with both branch tables and the pipe at 200 times (and with every
table, and with the pipe's columns of rates and masses alone), wall time and
CPU time, each foreign call of it alone, and the wall time of a sweep of
default-like cases with their release reports (one call of the library's sweep
entry per chunk) on 1 and on --jobs threads: --sweeps of each, taken in turn so
that a shared machine's load falls on both alike, their medians and shortest.
"""
import argparse
import statistics
import time
import timeit

import numpy as np

import brimlow
from brimlow import _library
from brimlow._library import lib

# The pipe's columns without the post-flash state.
RATES_AND_MASSES = ["time_s", "exit_flux_kg_per_s", "mass_kg", "mass_in_pipe_kg", "mass_expelled_kg"]


def median_microseconds(statement, repeat, clock=time.perf_counter):
    timer = timeit.Timer(statement, timer=clock)
    return 1e6 * statistics.median(timer.repeat(repeat=repeat, number=1))


def wall_and_cpu(statement, repeat):
    """The median wall time and the median CPU time of the process (us): on a
    shared machine the CPU time says what the code costs, the wall time what
    the load let it have."""
    return median_microseconds(statement, repeat), median_microseconds(statement, repeat, time.process_time)


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
    figures = [(part, median_microseconds(call, repeat, time.process_time)) for part, call in found]
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

    def run_and_read_rates():
        result = brimlow.run(case)
        result.pipe(times, columns=RATES_AND_MASSES)
        result.close()

    figures = [("brimlow.run + both branch tables + pipe at 200 times", run_and_read),
               ("  the same + summary, events and pipe() (every table)", run_and_read_all)]
    try:
        brimlow.run(case).pipe(times[:1], columns=RATES_AND_MASSES)
        figures.append(("  the same as the first, the pipe's rates and masses alone", run_and_read_rates))
    except TypeError:
        pass  # a package without column selection
    for what, statement in figures:
        wall, cpu = wall_and_cpu(statement, options.repeat)
        print(f"{what + ':':55s} {wall:8.1f} us median wall, {cpu:8.1f} us median CPU")
    for part, microseconds in parts(case, times, options.repeat):
        print(f"  {part:50s} {microseconds:8.1f} us median CPU")

    locations = np.linspace(1e3, 99e3, options.cases)
    cases = [case.replace(breach_location_m=float(x)) for x in locations]
    brimlow.sweep(cases[:100], jobs=options.jobs)  # warm

    def sweep_seconds(jobs):
        start = time.perf_counter()
        brimlow.sweep(cases, jobs=jobs)
        return time.perf_counter() - start

    # In turn, so that the load of a shared machine falls on both thread counts alike.
    parallel, serial = [], []
    for _ in range(options.sweeps):
        parallel.append(sweep_seconds(options.jobs))
        serial.append(sweep_seconds(1))
    p, s = statistics.median(parallel), statistics.median(serial)
    print(f"brimlow.sweep of {options.cases} cases with release reports, {options.sweeps} sweeps each: "
          f"{options.jobs} threads median {p:6.3f} s (shortest {min(parallel):6.3f} s); "
          f"1 thread median {s:6.3f} s (shortest {min(serial):6.3f} s); speed-up of the medians {s / p:.2f}, "
          f"of the shortest {min(serial) / min(parallel):.2f}")


if __name__ == "__main__":
    main()

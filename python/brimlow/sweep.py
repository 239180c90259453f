"""Many cases at once: on the threads of this machine, or on a Dask cluster.

Threads: the library's models are independent of each other, and ctypes
lets go of the interpreter lock for the length of every foreign call, so the
runs of different cases proceed side by side on all cores. Each case gives
the same result, bit for bit, whatever thread runs it.
"""
import os
from concurrent.futures import ThreadPoolExecutor

from ._progress import TextBar
from .case import Case
from .result import emit_warnings, run

# Cases per task sent to a Dask worker: enough to make the scheduler's cost
# per task small beside the runs, few enough to spread the cases evenly.
_DASK_CHUNK = 50


def _as_case(case):
    return case if isinstance(case, Case) else Case(**case)


def _run_released(case):
    # A sweep keeps no model per case: its memory is the tables alone.
    return run(case, keep_model=False, warn=False)


def _run_chunk(cases):
    return [_run_released(case) for case in cases]


def sweep(cases, jobs=None, progress=False, client=None):
    """Runs every case and returns their results in the order of the cases.

    jobs: threads (default: the cores of this machine). progress: a text bar
    on standard error. client: a dask.distributed Client; the cases then run
    on its workers in chunks. A case that fails raises its BrimlowError; the
    warnings of all cases are given as BrimlowWarning once the sweep is done.
    The results hold no model of the library: result.pipe(times) runs its case
    again (to the same records) when asked."""
    cases = [_as_case(case) for case in cases]
    bar = TextBar(len(cases), progress)
    if client is not None:
        results = _sweep_on_dask(cases, client, bar)
    else:
        results = _sweep_on_threads(cases, jobs or os.cpu_count() or 1, bar)
    for result in results:
        emit_warnings(result.warnings)
    return results


def _sweep_on_threads(cases, jobs, bar):
    if jobs <= 1:
        results = []
        for case in cases:
            results.append(_run_released(case))
            bar.advance()
        return results
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        futures = [pool.submit(_run_released, case) for case in cases]
        if bar.enabled:
            for future in futures:
                future.add_done_callback(lambda _future: bar.advance())
        return [future.result() for future in futures]


def _sweep_on_dask(cases, client, bar):
    from distributed import as_completed  # optional: Debian's python3-distributed
    chunks = [cases[i:i + _DASK_CHUNK] for i in range(0, len(cases), _DASK_CHUNK)]
    futures = client.map(_run_chunk, chunks, pure=False)
    if bar.enabled:
        sizes = {future.key: len(chunk) for future, chunk in zip(futures, chunks)}
        for future in as_completed(futures):
            bar.advance(sizes[future.key])
    results = []
    for chunk_results in client.gather(futures):
        results.extend(chunk_results)
    return results

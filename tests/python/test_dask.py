"""A sweep on a local Dask cluster of two worker processes gives the serial results."""
import pytest

import brimlow
from test_sweep import assert_same_results, sweep_cases

distributed = pytest.importorskip("distributed", reason="Dask's distributed (python3-distributed) is not installed")


def test_a_thousand_cases_on_two_workers_equal_the_serial_runs():
    cases = sweep_cases(1000)
    serial = brimlow.sweep(cases, jobs=1)
    with distributed.LocalCluster(n_workers=2, processes=True, threads_per_worker=1,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        results = brimlow.sweep(cases, client=client)
    assert_same_results(results, serial)

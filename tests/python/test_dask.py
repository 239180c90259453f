"""A sweep on a local Dask cluster of two worker processes gives the rows of the sweep here."""
import pytest

import brimlow
from conftest import same_bits
from test_sweep import report_values, sweep_cases

distributed = pytest.importorskip("distributed", reason="Dask's distributed (python3-distributed) is not installed")


def test_a_thousand_cases_on_two_workers_equal_the_sweep_here():
    cases = sweep_cases(1000)
    here = brimlow.sweep(cases, jobs=1)
    with distributed.LocalCluster(n_workers=2, processes=True, threads_per_worker=1,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        study = brimlow.sweep(cases, client=client, jobs=1)
    assert list(study.rows["breach_location_m"]) == list(here.rows["breach_location_m"])
    assert same_bits(report_values(study), report_values(here))

"""Sweeps on threads give the serial results, bit for bit, in input order."""
import numpy as np

import brimlow
from conftest import same_bits


def sweep_cases(count):
    base = brimlow.Case(pipe_length_m=20e3, inflow_kg_per_s=0.0, time_division=20, output_steps=20)
    breach = np.linspace(500.0, 19500.0, count)
    aperture = np.linspace(0.2, 1.0, 7)
    return [base.replace(breach_location_m=float(b), aperture=float(aperture[i % 7]))
            for i, b in enumerate(breach)]


def assert_same_results(results, expected):
    assert len(results) == len(expected)
    for got, want in zip(results, expected):
        assert got.case == want.case
        for table in ("branch_a", "branch_b"):
            assert same_bits(getattr(got, table).view(np.float64), getattr(want, table).view(np.float64))
        assert same_bits(list(got.summary.values()), list(want.summary.values()))


def test_a_thousand_cases_on_two_threads_equal_the_serial_runs():
    cases = sweep_cases(1000)
    serial = brimlow.sweep(cases, jobs=1)
    assert_same_results(brimlow.sweep(cases, jobs=2), serial)


def test_progress_is_plain_text_on_stderr(capsys):
    brimlow.sweep(sweep_cases(20), jobs=2, progress=True)
    captured = capsys.readouterr()
    assert captured.out == ""
    assert captured.err.rstrip().endswith("s") and "20/20 100%" in captured.err

"""The library's reports as Python exceptions and warnings."""
import re
import threading
import warnings

import pytest

import brimlow
from brimlow._library import CODES


def test_a_run_the_library_refuses_raises_its_code():
    # The check of the one-call ranges passes; the steady flow of a small
    # bore at low pressure with a large supply does not reach the far end.
    case = brimlow.Case(pipe_diameter_m=0.05, upstream_pressure_Pa=2e5, inflow_kg_per_s=50.0)
    with pytest.raises(brimlow.BrimlowError) as raised:
        brimlow.run(case)
    error = raised.value
    assert error.code in CODES.values() and error.code_name.startswith("VORL_E_")
    assert error.message and str(error.code) in str(error)


@pytest.mark.parametrize("inflow, code", [(5000.0, "VORL_E_INFLOW_CHOKED"), (1e-9, "VORL_E_INVALID_TOTAL_INFLOW")])
def test_an_input_the_run_refuses_is_named_by_its_case_key(inflow, code):
    # Past the one-call ranges' check: refused when the steady flow is set up
    # (an inflow the line cannot carry) or at the run (one too small to resolve).
    with pytest.raises(brimlow.BrimlowError) as raised:
        brimlow.run(brimlow.Case(inflow_kg_per_s=inflow))
    assert raised.value.code == CODES[code]
    assert raised.value.key == "inflow_kg_per_s" and str(raised.value).startswith("inflow_kg_per_s: ")


def test_a_warning_of_the_library_is_a_python_warning():
    # A breach beyond the pipe's end is clamped to the end, with warning 1001.
    case = brimlow.Case(pipe_length_m=20e3, breach_location_m=25e3)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = brimlow.run(case)
    found = [w for w in caught if issubclass(w.category, brimlow.BrimlowWarning)]
    assert len(found) == 1 and "VORL_W_BREACH_CLAMPED" in str(found[0].message)
    assert result.layout == "single branch A"

    # A warning for every state of the run is one Python warning with its
    # count and the range of its velocities: up to the choked outflow's, the
    # isothermal sound speed sqrt(R T / M) of methane at 288.15 K, 386.4 m/s.
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        brimlow.run(brimlow.Case(max_velocity_m_per_s=0.01))
    found = [str(w.message) for w in caught if "VORL_W_ABOVE_MAX_VELOCITY" in str(w.message)]
    assert len(found) == 1 and re.search(r" \(\d+ times; the value quoted ranged from [\d.]+ to 386\.4\)", found[0])


def test_reports_of_other_threads_are_not_this_threads():
    # A failing case on one thread while good cases run on another.
    failures = []

    def fail_many():
        for _ in range(50):
            try:
                brimlow.run(brimlow.Case(pipe_diameter_m=0.05, upstream_pressure_Pa=2e5, inflow_kg_per_s=50.0))
            except brimlow.BrimlowError:
                continue
            failures.append("no error")

    thread = threading.Thread(target=fail_many)
    thread.start()
    for _ in range(50):
        brimlow.run(brimlow.Case(), keep_model=False)
    thread.join()
    assert failures == []


def test_a_failure_is_told_by_the_last_code_even_without_the_packages_report_handler():
    # A host that takes the report handler for itself: the package still
    # raises the failure's code, by the library's per-thread last code.
    from brimlow import _library
    case = brimlow.Case(pipe_diameter_m=0.05, upstream_pressure_Pa=2e5, inflow_kg_per_s=50.0)
    _library.lib.VorlErrorHandlerSet(_library._interface.VorlErrorHandler(), None)
    try:
        with pytest.raises(brimlow.BrimlowError) as raised:
            brimlow.run(case)
    finally:
        _library.lib.VorlErrorHandlerSet(_library._handler, None)
    assert raised.value.code_name.startswith("VORL_E_")

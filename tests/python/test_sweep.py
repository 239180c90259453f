"""A study: every case run inside the library on its threads, each row bit
for bit what a single run of its case gives, in the order of the cases."""
import _thread
import importlib
import pickle
import signal
import threading

import numpy as np
import pytest

import brimlow
from conftest import same_bits

sweep_module = importlib.import_module("brimlow.sweep")
TIMES = [0.0, 10.0, 333.0, 5000.0]


def sweep_cases(count):
    base = brimlow.Case(pipe_length_m=20e3, inflow_kg_per_s=0.0, time_division=20, output_steps=20)
    breach = np.linspace(500.0, 19500.0, count)
    aperture = np.linspace(0.2, 1.0, 7)
    return [base.replace(breach_location_m=float(b), aperture=float(aperture[i % 7]))
            for i, b in enumerate(breach)]


def mixed_cases():
    """Two branches, one, fed, valves on both sides, an ideal gas."""
    line = brimlow.Case()
    return [line, line.replace(breach_location_m=100e3), line.replace(inflow_kg_per_s=50.0),
            line.replace(valves=[(10e3, 60.0), (80e3, 120.0)]),
            line.replace(molar_mass_kg_per_kmol=20.0, breach_location_m=55e3)]


def report_values(study):
    names = study.rows.dtype.names
    first = names.index("code") + 1
    return np.array(study.rows[list(names[first:])].tolist(), dtype=np.float64)


def assert_rows_are_single_runs(study, cases):
    values = report_values(study)
    for i, case in enumerate(cases):
        result = brimlow.run(case, warn=False)
        assert same_bits(values[i], list(result.summary.values())), i
        if study.pipe is not None:
            assert same_bits(study.pipe[i].tolist(), result.pipe(TIMES).tolist()), i


@pytest.mark.parametrize("jobs", [1, 2, 8])
def test_every_row_is_its_single_run_whatever_the_threads(jobs):
    cases = mixed_cases()
    study = brimlow.sweep(cases, jobs=jobs, times=TIMES)
    again = pickle.loads(pickle.dumps(study))
    # Each case read back from the columns the sweep filled, from its table, and from a copy sent away.
    assert [study.case(i) for i in range(len(cases))] == cases
    assert list(study.rows["status"]) == ["ok"] * len(cases)
    assert_rows_are_single_runs(study, cases)
    assert [again.case(i) for i in range(len(cases))] == cases
    assert same_bits(report_values(again), report_values(study))


def test_a_failed_case_keeps_its_code_and_the_others_run():
    # The one-call check passes an inflow the run cannot resolve; the run refuses it.
    cases = [brimlow.Case(), brimlow.Case(inflow_kg_per_s=1e-9), brimlow.Case(breach_location_m=5e4)]
    with pytest.warns(brimlow.BrimlowWarning, match="1 of 3 cases failed"):
        study = brimlow.sweep(cases, jobs=2)
    assert list(study.rows["status"]) == ["ok", "failed", "ok"]
    assert study.rows["code"][1] == brimlow._library.CODES["VORL_E_INVALID_TOTAL_INFLOW"]
    assert np.isnan(study.rows["initial_mass_kg"][1]) and list(study.failed) == [1]
    with pytest.raises(brimlow.BrimlowError) as failure:
        study[1]
    assert failure.value.code == study.rows["code"][1]


@pytest.mark.parametrize("jobs, error", [(-1, ValueError), (1.5, TypeError), ("2", TypeError), (True, TypeError),
                                         (2**31, ValueError), (2**32 + 1, ValueError)])  # beyond a C int
def test_jobs_none_zero_or_a_positive_count_only(jobs, error):
    with pytest.raises(error, match="jobs must be None or 0"):
        brimlow.sweep([brimlow.Case()], jobs=jobs)


@pytest.mark.parametrize("count, error", [("3", TypeError), (2.0, TypeError), (-1, ValueError)])
def test_count_none_or_a_whole_number_only(count, error):
    with pytest.raises(error, match="count must be None or a whole number"):
        brimlow.sweep((brimlow.Case() for _ in range(2)), count=count)


def test_a_study_takes_a_case_number_as_a_list_does():
    study = brimlow.sweep(mixed_cases()[:2])
    assert study.case(np.int64(-1)) == study.case(1) == mixed_cases()[1]
    for index, error in ((2, IndexError), (-3, IndexError), (True, TypeError), ([0, 1], TypeError),
                         (None, TypeError), (..., TypeError), (1.0, TypeError)):
        with pytest.raises(error):
            study[index]


def sweep_helpers():
    return [thread for thread in threading.enumerate() if thread.name.startswith("brimlow-sweep")]


@pytest.fixture
def small_chunks(monkeypatch):
    # Many chunks, so that packing and recording on the helper overlap many runs.
    monkeypatch.setattr(sweep_module, "_FIRST_CHUNK", 3)
    monkeypatch.setattr(sweep_module, "_CHUNK", 7)


def test_cases_read_from_a_generator_chunk_by_chunk_keep_their_order(small_chunks):
    cases = sweep_cases(30)
    study = brimlow.sweep(case for case in cases)
    assert len(study) == 30
    assert list(study.report["breach_location_m"]) == [case.breach_location_m for case in cases]
    assert list(study.report["aperture"]) == [case.aperture for case in cases]
    assert not sweep_helpers()


def test_the_cases_are_read_on_the_calling_thread(small_chunks):
    # A generator may be bound to its thread (a database connection's rows).
    readers = set()

    def cases():
        for case in sweep_cases(30):
            readers.add(threading.get_ident())
            yield case._values

    assert len(brimlow.sweep(cases())) == 30 and readers == {threading.get_ident()}


def test_a_bad_case_in_a_later_chunk_raises_and_leaves_no_helper(small_chunks):
    cases = [case._values for case in sweep_cases(20)] + [{"pipe_lenght_m": 1.0}]
    with pytest.raises(ValueError, match="pipe_lenght_m"):
        brimlow.sweep(iter(cases))
    assert not sweep_helpers()


def test_a_dict_the_library_refuses_is_a_failed_row_and_the_others_run(small_chunks):
    good = [case._values for case in sweep_cases(12)]
    refused = {"aperture": 0.1}  # below the fast model's smallest
    cases = good[:9] + [refused] + good[9:]
    with pytest.warns(brimlow.BrimlowWarning, match="1 of 13 cases failed"):
        study = brimlow.sweep(iter(cases), times=TIMES)
    alone = brimlow.sweep(good, times=TIMES)
    code = brimlow._library.CODES["VORL_E_RANGE_APERTURE_LOW"]
    assert list(study.rows["code"]) == [0] * 9 + [code] + [0] * 3 and list(study.failed) == [9]
    kept = np.arange(13) != 9
    assert same_bits(report_values(study)[kept], report_values(alone))
    assert same_bits(study.pipe[kept].tolist(), alone.pipe.tolist())
    assert np.isnan(report_values(study)[9]).all() and np.isnan(study.pipe[9].tolist()).all()
    with pytest.raises(brimlow.BrimlowError) as failure:
        study[9]
    assert failure.value.code == code and failure.value.key == "aperture"


def test_ctrl_c_stops_a_sweep_and_its_helper():
    endless = (brimlow.Case(breach_location_m=1e3 + i % 98e3) for i in range(10**7))
    threading.Timer(0.3, _thread.interrupt_main).start()
    with pytest.raises(KeyboardInterrupt):
        brimlow.sweep(endless, jobs=2)
    assert not sweep_helpers()
    assert signal.getsignal(signal.SIGINT) is signal.default_int_handler


def test_a_hosts_own_sigint_handler_stays_in_place():
    def own(_signal, _frame):
        pass

    seen = []

    def cases():
        for case in sweep_cases(3):
            seen.append(signal.getsignal(signal.SIGINT))
            yield case

    previous = signal.signal(signal.SIGINT, own)
    try:
        brimlow.sweep(cases())
        assert seen == [own] * 3 and signal.getsignal(signal.SIGINT) is own
    finally:
        signal.signal(signal.SIGINT, previous)


def test_the_picture_has_a_line_per_aperture(tmp_path):
    study = brimlow.sweep(sweep_cases(70), jobs=2)
    figure = study.plot(x="breach_location_m", y="release_rate_1min_kg_per_s", path=tmp_path / "study.png")
    lines = figure.axes[0].get_lines()
    assert len(lines) == 7 and sum(len(line.get_xdata()) for line in lines) == 70
    assert (tmp_path / "study.png").stat().st_size > 0


def test_progress_is_plain_text_on_stderr(capsys):
    brimlow.sweep(sweep_cases(20), jobs=2, progress=True)
    captured = capsys.readouterr()
    assert captured.out == ""
    assert captured.err.rstrip().endswith("s") and "100%" in captured.err


@pytest.mark.parametrize("values, words", [
    ({"composition": {"methane": 0.8, "ethane": 0.2}}, "a composition"),
    ({"pipe_length_m": 1.5e6, "breach_location_m": 1.2e6, "inflow_kg_per_s": 5.0}, "a farther breach"),
    ({"model": "reference", "hole_diameter_m": 0.025}, "a smaller hole"),
])
def test_a_case_the_sweep_entry_cannot_carry_is_refused_not_run_as_another(values, words):
    # The entry takes the one-call arrays: these would run as another case.
    with pytest.raises(ValueError, match=words):
        brimlow.sweep([brimlow.Case(), brimlow.Case(**values)])


def test_inputs_beyond_the_one_call_arrays_are_each_cases_own():
    # A line under the sea, the line as operated and a reference stopped at its own end, beside the default case.
    subsea = brimlow.Case(water_depth_m=75.0, breach_location_m=40e3)
    reference = brimlow.Case(pipe_length_m=5e3, breach_location_m=2e3, model="reference", reference_end=40.0,
                             real_gas=True)
    operated = reference.replace(supply="holding pressure", valves=[(1e3, 20.0)], valve_detection_delay_s=5.0,
                                 valve_closing_duration_s=10.0)
    cases = [brimlow.Case(), subsea, operated, reference, reference.replace(reference_end=None, real_gas=False)]
    study = brimlow.sweep(cases, jobs=2)
    assert list(study.rows["status"]) == ["ok"] * len(cases)
    assert_rows_are_single_runs(study, cases)
    assert not same_bits(report_values(study)[3], report_values(study)[4])

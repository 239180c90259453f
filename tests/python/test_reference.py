"""The reference solution from Python: the C interface's table bit for bit,
the real gas, progress to the end, and a run stopped by Ctrl-C."""
import ctypes
import os
import signal

import numpy as np
import pytest

import brimlow
from brimlow._interface import VorlProgress
from brimlow._library import lib
from conftest import same_bits

# A short methane line, a second of computing at most: 5 km of 0.3 m bore at
# 50 bar, breached through half its bore area at 2 km, 20 s of release.
SHORT_LINE = brimlow.Case(pipe_length_m=5000.0, pipe_diameter_m=0.3, upstream_pressure_Pa=50e5,
                          breach_location_m=2000.0, aperture=0.5, inflow_kg_per_s=5.0)
TIMES = [0.0, 1.0, 5.0, 10.0, 20.0]


def c_interface_table(case, times):
    """The table as a host of the C interface gets it: each input set by its
    own call, the reference run without progress, the table filled."""
    model = lib.VorlModelCreateZel(lib.VorlMaterialFind(case.material.encode()))
    try:
        for key in brimlow.keys():
            if key.input >= 0 and key.kind != "model":
                value = getattr(case, key.name)
                value = brimlow.case.SUPPLIES.index(value) if key.kind == "supply" else value
                lib.VorlInputSet(model, key.input, float(value))
        lib.VorlReferenceEndTimeSet(model, times[-1])
        lib.VorlReferenceReportTimesSet(model, (ctypes.c_double * len(times))(*times), len(times))
        rows = lib.VorlReferenceRun(model, VorlProgress(), None)  # a null callback: no progress
        columns = lib.VorlReferenceTableColumnCount()
        values = (ctypes.c_double * (rows * columns))()
        assert lib.VorlReferenceTableFill(model, values, rows) == rows == len(times)
        names = [brimlow._library.copied_text(lib.VorlReferenceTableColumnName, c) for c in range(columns)]
        return names, np.frombuffer(values, dtype=np.float64)
    finally:
        brimlow._library.delete_model(model)


class TestTable:
    def test_the_table_is_the_c_interfaces_bit_for_bit(self):
        names, values = c_interface_table(SHORT_LINE, TIMES)
        table = brimlow.reference(SHORT_LINE, times=TIMES)
        assert table.columns == names
        assert same_bits(table.view(np.float64).reshape(-1), values)
        assert list(table["time_s"]) == TIMES

    def test_the_real_gas_packs_more_gas_into_the_line(self):
        # Methane at 50 bar and 288 K has a compressibility below 1: the real
        # gas holds more mass in the same line and releases more at first.
        ideal = brimlow.reference(SHORT_LINE, times=TIMES)
        real = brimlow.reference(SHORT_LINE, real_gas=True, times=TIMES)
        assert real["line_mass_kg"][0] > ideal["line_mass_kg"][0]
        assert real["release_rate_kg_per_s"][0] > ideal["release_rate_kg_per_s"][0]
        # The case's key chooses the same gas as the argument.
        assert same_bits(brimlow.reference(SHORT_LINE.replace(real_gas=True), times=TIMES).view(np.float64),
                         real.view(np.float64))

    def test_report_times_out_of_order_raise_the_librarys_code(self):
        with pytest.raises(brimlow.BrimlowError) as raised:
            brimlow.reference(SHORT_LINE, times=[0.0, 10.0, 5.0])
        assert raised.value.code_name == "VORL_E_INVALID_REFERENCE_REPORT_TIME"


class TestProgress:
    def test_progress_rises_to_one(self, capsys):
        fractions = []
        brimlow.reference(SHORT_LINE, times=TIMES, progress=fractions.append)
        assert fractions[-1] == 1.0 and np.all(np.diff(fractions) >= 0.0)
        brimlow.reference(SHORT_LINE, times=TIMES, progress=True)
        assert capsys.readouterr().err.rstrip().split("\r")[-1].startswith("[" + "#" * 30 + "] 100%")

    def test_ctrl_c_stops_the_run_and_raises(self):
        calls = []

        def interrupt_once(fraction):
            if not calls:
                os.kill(os.getpid(), signal.SIGINT)
            calls.append(fraction)

        with pytest.raises(KeyboardInterrupt):
            brimlow.reference(SHORT_LINE, times=TIMES, progress=interrupt_once)
        assert calls[-1] < 1.0
        assert signal.getsignal(signal.SIGINT) is signal.default_int_handler

    def test_a_progress_function_that_raises_stops_the_run(self):
        def fail(fraction):
            raise ValueError("stop")

        with pytest.raises(ValueError, match="stop"):
            brimlow.reference(SHORT_LINE, times=TIMES, progress=fail)


class TestReferenceAsTheModel:
    def test_without_times_it_runs_to_the_librarys_end_of_the_release(self):
        # As brimlow.run of the reference ends, the fast model taking no part:
        # a hole only the reference takes runs too.
        for case in (SHORT_LINE.replace(model="reference"), SHORT_LINE.replace(hole_diameter_m=0.005, model="reference")):
            table = brimlow.reference(case)
            assert len(table) == 101
            assert table["time_s"][-1] == brimlow.run(case).summary["end_time_s"]


    def test_the_summary_and_pipe_are_the_references_to_its_end(self):
        case = SHORT_LINE.replace(model="reference", reference_end=60.0)
        result = brimlow.run(case)
        summary = result.summary
        assert summary["end_time_s"] == 60.0
        # The report reads the reference's series: at 10 s its pipe table and its report agree.
        assert result.pipe([10.0])["exit_flux_kg_per_s"][0] == summary["release_rate_10s_kg_per_s"]
        assert np.isnan(summary["mass_released_10min_kg"])  # past its end
        past_end = result.pipe([60.0, 61.0], columns=["exit_flux_kg_per_s", "mass_expelled_kg"]).tolist()
        assert np.isnan(past_end).tolist() == [[False, False], [True, True]]  # NaN, no error, as the library gives
        assert len(result.branch_a) == 0  # the fast model's records are no part of its answer
        # The fast model's answer of the same case is another.
        assert brimlow.run(SHORT_LINE).summary["release_rate_10s_kg_per_s"] != summary["release_rate_10s_kg_per_s"]

    @pytest.mark.parametrize("key, value", [("real_gas", True), ("reference_end", 60.0)])
    def test_a_key_of_the_reference_alone_is_said_to_mean_nothing_to_the_fast_model(self, key, value):
        with pytest.warns(brimlow.BrimlowWarning, match=f"{key} has no meaning for the fast model"):
            brimlow.run(SHORT_LINE.replace(**{key: value}))

    def test_holes_below_the_fast_models_smallest_are_the_references(self):
        with pytest.raises(brimlow.BrimlowError, match="takes smaller holes, down to 1 mm"):
            SHORT_LINE.replace(hole_diameter_m=0.01)
        case = SHORT_LINE.replace(hole_diameter_m=0.01, model="reference", reference_end=20.0)
        assert brimlow.run(case).summary["initial_release_rate_kg_per_s"] > 0.0
        with pytest.raises(brimlow.BrimlowError, match="smallest the reference solution takes"):
            SHORT_LINE.replace(hole_diameter_m=0.0005, model="reference")
        with pytest.raises(ValueError, match="'fast' or 'reference'"):
            SHORT_LINE.replace(model="slow")


class TestTheToolsReferenceAnswer:
    def test_the_tool_and_the_package_read_the_same_series(self, tool, tmp_path):
        # Both run the reference at the library's report times (VorlModelReportTimes).
        path = tmp_path / "short.json"
        path.write_text(SHORT_LINE.replace(model="reference", reference_end=60.0).to_json())
        document = tool.json("run", path, "--json")
        summary = brimlow.run(brimlow.Case.from_json(path)).summary
        for name, value in document["summary"].items():
            assert (value is None and not np.isfinite(summary[name])) or summary[name] == value, name

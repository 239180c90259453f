"""The package's results are the library's: its tables against the per-value
exports, its summary against the tool's, its events against the physics of
the release."""
import math

import numpy as np
import pytest

import brimlow
from brimlow._library import lib
from conftest import same_bits

def per_value(value):
    return math.inf if value >= 9e127 else value


class TestTablesEqualPerValueExports:
    # The branch table against the per-record exports is the library's own
    # (tests/interface/tables_test.cpp); the package's reading of it, the
    # tool's (TestSummaryIsTheTools.test_tables_are_the_tools).
    def test_pipe_at_times(self, case_file):
        case = brimlow.Case.from_json(case_file)
        if case.model == "reference":
            pytest.skip("the per-value pipe exports are the fast model's; this case's answer is the reference's")
        result = brimlow.run(case)
        model = result._model
        times = np.concatenate([[0.0, 0.5], np.geomspace(1.0, 2e4, 40)])
        table = result.pipe(times, tolerance=1e-3)
        assert len(table) == len(times)
        for row, t in zip(table, times):
            assert row["time_s"] == lib.VorlPipeTimeSet(model, t, 1e-3)
            assert row["exit_flux_kg_per_s"] == lib.VorlPipeExitFlux(model)
            assert row["mass_kg"] == lib.VorlPipeMass(model)
            assert row["mass_in_pipe_kg"] == lib.VorlPipeMassInPipe(model)
            assert row["mass_trapped_kg"] == lib.VorlPipeMassTrapped(model)
            assert row["mass_expelled_kg"] == per_value(lib.VorlPipeMassExpelled(model))

    def test_chosen_columns_are_the_full_tables_in_their_order(self):
        result = brimlow.run(brimlow.Case())
        times = np.geomspace(1.0, 3600.0, 30)
        full = result.pipe(times)
        for columns in (["postflash_temperature_K", "time_s", "mass_kg"], "exit_flux_kg_per_s"):
            names = [columns] if isinstance(columns, str) else columns
            for chosen in (result.pipe(times, columns=columns), result.pipe(columns=columns)):
                assert chosen.columns == names
            chosen = result.pipe(times, columns=columns)
            for name in names:
                assert same_bits(chosen[name], full[name])
        with pytest.raises(ValueError, match="postflash_temperature"):
            result.pipe(times, columns=["temperature_K"])
        for columns, words in (([], "no column"), (["time_s", "time_s"], "'time_s' is asked for twice")):
            for at in (times, None):
                with pytest.raises(ValueError, match=words):
                    result.pipe(at, columns=columns)

    def test_a_result_sent_away_runs_its_case_again_to_the_same_table(self):
        import pickle
        result = brimlow.run(brimlow.Case())
        times = np.linspace(0.0, 7200.0, 50)
        again = pickle.loads(pickle.dumps(result))
        assert again.case == result.case and again.branch_a.units == result.branch_a.units != {}
        assert same_bits(again.pipe(times).view(np.float64), result.pipe(times).view(np.float64))


class TestSummaryIsTheTools:
    def test_every_field_of_the_json_summary(self, case_file, tool):
        document = tool.json("run", case_file, "--json")
        summary = brimlow.run(brimlow.Case.from_json(case_file)).summary
        for name, value in document["summary"].items():
            # JSON has no infinity nor NaN: the tool writes null for both.
            expected = math.nan if value is None else value
            got = summary[name]
            assert (value is None and not math.isfinite(got)) or got == expected, name

    def test_tables_are_the_tools(self, case_file, tool):
        document = tool.json("run", case_file, "--json")
        result = brimlow.run(brimlow.Case.from_json(case_file))
        for name, table in (("branch_a", result.branch_a), ("branch_b", result.branch_b), ("pipe", result.pipe())):
            # The branch tables are the fast model's: absent when the reference is the model.
            for column, values in document.get(name, {}).items():
                expected = [math.inf if v is None else v for v in values]
                assert same_bits(np.where(np.isnan(table[column]), math.inf, table[column]), expected), \
                    f"{name}.{column}"


class TestEvents:
    def test_events_are_the_summarys_times_in_order(self, case_file):
        result = brimlow.run(brimlow.Case.from_json(case_file))
        times = result.events["time_s"]
        assert np.all(np.diff(times) >= 0)
        names = {"dechoke": "time_to_dechoke_s", "whole_branch_disturbed": "time_to_disturb_entire_branch_s",
                 "flow_reversal": "time_to_flow_reversal_s", "depressurised": "time_to_depressurise_s"}
        for event in result.events:
            if event["kind"] in names:
                field = f"{event['branch'].lower()}_{names[event['kind']]}"
                assert event["time_s"] == result.summary[field]

    def test_a_valve_shuts_at_its_closure_time_and_traps_gas_behind_it(self):
        case = brimlow.Case(valves=[{"position_m": 20000, "closure_time_s": 300}])
        result = brimlow.run(case)
        closures = result.events[result.events["kind"] == "valve_closure"]
        assert list(closures["branch"]) == ["A"] and list(closures["position_m"]) == [20000.0]
        # The branch is cut at the step that reaches the closure time.
        shut = closures["time_s"][0]
        assert shut == pytest.approx(300.0, rel=1e-3)
        # Upstream of a shut valve the gas stays in the pipe: trapped from then on.
        before, after = result.pipe([shut * 0.99, shut * 1.01])["mass_trapped_kg"]
        assert before == 0.0 and after > 0.0


class TestMassBalance:
    def test_an_unfed_line_releases_what_it_loses(self):
        # Without a supply, mass released + mass in the pipe is the initial mass.
        result = brimlow.run(brimlow.Case(inflow_kg_per_s=0.0))
        table = result.pipe(np.geomspace(1.0, 3600.0, 25))
        initial = result.summary["initial_mass_kg"]
        np.testing.assert_allclose(table["mass_expelled_kg"] + table["mass_in_pipe_kg"], initial, rtol=1e-6)


def test_a_result_read_from_four_threads_at_once_gives_the_serial_answer():
    from concurrent.futures import ThreadPoolExecutor
    result = brimlow.run(brimlow.Case())
    times = np.linspace(0.0, 14000.0, 20000)
    serial = result.pipe(times).tolist()
    with ThreadPoolExecutor(max_workers=4) as pool:
        tables = list(pool.map(lambda _: result.pipe(times), range(12)))
    assert all(table.tolist() == serial for table in tables)


class TestPotentialImpactRadius:
    # The library judges the gas; the tool's JSON and the package show its answer alike.
    @pytest.mark.parametrize("gas, natural", [
        ('"material": "methane"', True),
        ('"composition": {"methane": 0.9, "ethane": 0.07, "nitrogen": 0.03}', True),
        ('"material": "hydrogen blend 5"', False),
        ('"material": "nitrogen"', False),
    ])
    def test_shown_for_a_natural_gas_alone_as_the_tool_shows_it(self, tool, tmp_path, gas, natural):
        path = tmp_path / "gas.json"
        path.write_text('{"pipe_length_m": 20000, "breach_location_m": 10000, "inflow_kg_per_s": 0, ' + gas + '}')
        document = tool.json("run", path, "--json")
        radius = brimlow.run(brimlow.Case.from_json(path)).potential_impact_radius_m
        assert (radius is not None) == natural
        assert document.get("potential_impact_radius_m") == radius

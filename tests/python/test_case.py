"""Cases: the tool's keys and defaults, its case files, the library's check."""
import json
import re

import pytest

import brimlow


def tool_keys(tool):
    """Key, unit and default of each row of `brimlow keys --markdown`."""
    rows, header = {}, None
    for line in tool("keys", "--markdown").splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if cells and cells[0] == "Key":
            header = cells
            continue
        match = re.fullmatch(r"`([a-z_]+)`", cells[0]) if cells else None
        if match and header:
            row = dict(zip(header, cells))
            rows[match.group(1)] = (row["Unit"], row["Default"])
    return rows


class TestKeys:
    def test_keys_units_and_defaults_are_the_tools(self, tool):
        expected = tool_keys(tool)
        keys = {key.name: key for key in brimlow.keys()}
        assert list(keys) == list(expected)
        for name, (unit, default) in expected.items():
            assert keys[name].unit == unit, name
            value = keys[name].default
            if isinstance(value, bool):
                assert default == str(value).lower(), name
            elif isinstance(value, (int, float)):
                assert float(default) == value, name

    def test_the_default_case_runs_as_the_tools_default_case(self, tool):
        summary = tool.json("run", "--json")["summary"]
        assert brimlow.run(brimlow.Case()).summary["initial_release_rate_kg_per_s"] == \
            summary["initial_release_rate_kg_per_s"]


class TestCaseFiles:
    def test_a_case_file_with_comments_reads_as_the_tool_reads_it(self, case_file, tool):
        case = brimlow.Case.from_json(case_file)
        shown = tool.json("run", case_file, "--json")["case"]
        for name, value in shown.items():
            if name == "material":
                continue  # the tool shows the material it resolved
            assert getattr(case, name) == value, name

    def test_to_json_reads_back_to_the_same_case(self, tmp_path):
        case = brimlow.Case(name="a // b /* c */", valves=[{"position_m": 1e4, "closure_time_s": 60}])
        path = tmp_path / "case.json"
        case.to_json(path)
        assert brimlow.Case.from_json(path) == case
        assert json.loads(path.read_text())["valves"] == [{"position_m": 1e4, "closure_time_s": 60.0}]

    def test_replace_makes_a_new_case(self):
        case = brimlow.Case()
        other = case.replace(aperture=0.5)
        assert (case.aperture, other.aperture) == (1.0, 0.5)
        with pytest.raises(AttributeError):
            case.aperture = 0.5

    def test_unknown_key_is_named_with_the_nearest(self):
        with pytest.raises(ValueError, match="pipe_lenght_m.*did you mean 'pipe_length_m'"):
            brimlow.Case(pipe_lenght_m=1.0)


class TestTheLibrarysCheck:
    @pytest.mark.parametrize("key, value, code_name", [
        ("aperture", 1.5, "VORL_E_RANGE_APERTURE_HIGH"),
        ("pipe_length_m", 1.0, "VORL_E_RANGE_PIPE_LENGTH_LOW"),
        ("ambient_humidity", float("nan"), "VORL_E_RANGE_AMBIENT_HUMIDITY_LOW"),
        ("time_division", 1, "VORL_E_RANGE_TIME_DIVISION_LOW"),
    ])
    def test_a_value_out_of_range_names_its_key_and_the_librarys_code(self, key, value, code_name):
        with pytest.raises(brimlow.BrimlowError) as raised:
            brimlow.Case(**{key: value})
        error = raised.value
        assert (error.key, error.code_name) == (key, code_name) and error.tag
        assert brimlow._library.CODES[code_name] == error.code

    def test_the_bad_valve_among_many_is_named(self):
        valves = [{"position_m": 1000.0 * i, "closure_time_s": 60.0} for i in range(1, 40)]
        valves[23]["closure_time_s"] = 0.0
        with pytest.raises(brimlow.BrimlowError) as raised:
            brimlow.Case(valves=valves)
        assert raised.value.key == "valves[23].closure_time_s"
        assert raised.value.code_name == "VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW"

    def test_a_valve_beyond_the_pipe_end_is_refused(self):
        with pytest.raises(ValueError, match=r"valves\[0\].position_m.*beyond the pipe end"):
            brimlow.Case(pipe_length_m=50e3, breach_location_m=10e3,
                         valves=[{"position_m": 60e3, "closure_time_s": 60}])

"""Cases: the tool's keys and defaults, its case files, the library's check."""
import json
import re

import pytest

import brimlow
from brimlow._library import lib


def tool_keys(tool):
    """Key, unit and default of each row of `brimlow keys --markdown`."""
    rows, header = {}, None
    for line in tool("keys", "--markdown").splitlines():
        cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
        if cells and cells[0] == "Key":
            header = cells
            continue
        match = re.fullmatch(r"`(\w+)`", cells[0]) if cells else None
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
            elif isinstance(value, str):
                assert default.strip('"') == value, name


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

    @pytest.mark.parametrize("entry", [brimlow.run, brimlow.reference, lambda case: brimlow.sweep([case])])
    def test_a_case_is_a_case_or_a_dict_of_its_keys(self, entry):
        with pytest.raises(TypeError, match="a case is a brimlow.Case or a dict of its keys, not int"):
            entry(3)

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

    @pytest.mark.parametrize("values, key", [
        ({"molar_mass_kg_per_kmol": 0.0}, "molar_mass_kg_per_kmol"),
        ({"molar_mass_kg_per_kmol": float("nan")}, "molar_mass_kg_per_kmol"),
        ({"material": 12345}, "material"),
    ])
    def test_a_gas_the_library_cannot_make_is_refused_when_the_case_is_made(self, values, key):
        with pytest.raises((brimlow.BrimlowError, ValueError)) as raised:
            brimlow.Case(**values)
        assert getattr(raised.value, "key", key) == key and key in str(raised.value)

    def test_cases_with_valves_are_hashable_and_equal_cases_hash_alike(self):
        one, two = brimlow.Case(valves=[(1000, 10)]), brimlow.Case(valves=[{"position_m": 1000, "closure_time_s": 10}])
        assert one == two and hash(one) == hash(two) and len({one, two, brimlow.Case()}) == 2

    def test_a_breach_anywhere_on_the_longest_line_and_a_valve_anywhere_on_its_line_run_where_they_are(self):
        case = brimlow.Case(pipe_length_m=1.5e6, breach_location_m=1.2e6, inflow_kg_per_s=0.0,
                            valves=[(1.4e6, 60.0)])
        result = brimlow.run(case)
        assert result.summary["breach_location_m"] == 1.2e6
        assert 1.4e6 in result.events["position_m"][result.events["kind"] == "valve_closure"]
        with pytest.raises(brimlow.BrimlowError):
            brimlow.Case(pipe_length_m=1.5e6, breach_location_m=2.5e6)

    def test_a_valve_beyond_the_pipe_end_is_refused(self):
        with pytest.raises(brimlow.BrimlowError, match=r"valves\[1\].position_m.*beyond the pipe end") as raised:
            brimlow.Case(pipe_length_m=50e3, breach_location_m=10e3,
                         valves=[{"position_m": 5e3, "closure_time_s": 60}, {"position_m": 60e3, "closure_time_s": 60}])
        assert raised.value.code_name == "VORL_E_VALVE_BEYOND_PIPE"


class TestHoleDiameter:
    def test_the_hole_gives_the_aperture_the_tool_gives_it(self, tool, tmp_path):
        path = tmp_path / "hole.json"
        path.write_text('{"pipe_diameter_m": 0.6, "hole_diameter_m": 0.3}')
        document = tool.json("run", path, "--json")
        case = brimlow.Case.from_json(path)
        assert case.aperture == 0.25
        # The tool shows the case as given (no aperture) and runs it with the same aperture.
        assert {name: case.to_dict()[name] for name in ("aperture", "hole_diameter_m")} == \
            {name: document["case"][name] for name in ("aperture", "hole_diameter_m")}
        assert brimlow.run(case).summary["initial_release_rate_kg_per_s"] == \
            document["summary"]["initial_release_rate_kg_per_s"]

    def test_one_of_aperture_and_hole_and_replace_takes_the_place_of_the_other(self):
        with pytest.raises(ValueError, match="aperture and hole_diameter_m: give one of them"):
            brimlow.Case(aperture=0.5, hole_diameter_m=0.2)
        hole = brimlow.Case(hole_diameter_m=0.25)
        assert hole.replace(aperture=0.5).hole_diameter_m is None
        assert hole.replace(pipe_diameter_m=0.4).aperture == 0.390625  # the hole stays in a new bore
        assert brimlow.Case.from_json(hole.to_json()) == hole

    def test_a_hole_out_of_the_bore_or_too_small_is_named(self):
        with pytest.raises(brimlow.BrimlowError, match="hole_diameter_m: .*not within the bore") as raised:
            brimlow.Case(hole_diameter_m=0.6)
        assert raised.value.code_name == "VORL_E_HOLE_OUTSIDE_BORE"
        # 0.1 m in a 0.5 m bore is an aperture of 0.04, below the library's 0.2:
        # the smallest hole is sqrt(0.2) 0.5 m = 0.2236 m.
        with pytest.raises(brimlow.BrimlowError, match="smallest hole .* 0.2236 m") as raised:
            brimlow.Case(hole_diameter_m=0.1)
        assert raised.value.key == "hole_diameter_m" and raised.value.code_name == "VORL_E_RANGE_APERTURE_LOW"


class TestCaseFileValues:
    def test_a_case_takes_si_numbers_and_a_case_file_text_with_units_as_the_tool_reads_it(self):
        with pytest.raises(ValueError, match=r"valves\[0\].closure_time_s: .*'5 min'"):
            brimlow.Case(valves=[{"position_m": 1e3, "closure_time_s": "5 min"}])
        # 69 barg above 1 bar is 70 bar; 72 t/h is 20 kg/s.
        read = brimlow.Case.from_json('{"upstream_pressure_Pa": "69 barg", "ambient_pressure_Pa": "1 bar", '
                                      '"pipe_length_m": "100 km", "inflow_kg_per_s": "72 t/h", '
                                      '"valves": [{"position_m": "20 km", "closure_time_s": "5 min"}]}')
        assert read == brimlow.Case(upstream_pressure_Pa=7e6, ambient_pressure_Pa=1e5, pipe_length_m=1e5,
                                    inflow_kg_per_s=20.0, valves=[(2e4, 300.0)])
        with pytest.raises(ValueError, match="upstream_pressure_Pa: unknown unit .*accepted: Pa, kPa, MPa, bar"):
            brimlow.Case.from_json('{"upstream_pressure_Pa": "70 furlongs"}')

    @pytest.mark.parametrize("text, error, words", [
        ('{"ambient_pressure_Pa": "0.6 barg"}', ValueError, "ambient_pressure_Pa: .*give it absolute"),
        ('{"pipe_length_m": 1000, "pipe_length_m": 50000}', ValueError, "pipe_length_m: the key is given twice"),
        ('{"valves": [{}, {"position_m": 1, "position_m": 2}]}', ValueError, r"valves\[1\].position_m: .* twice"),
        ('{"reference": 2}', ValueError, "reference: must be true or false"),
        ('{"valves_active": 2}', brimlow.BrimlowError, "valves_active: .*above 1"),
    ])
    def test_a_case_file_is_refused_where_the_tool_refuses_it(self, text, error, words):
        with pytest.raises(error, match=words):
            brimlow.Case.from_json(text)

    def test_a_case_files_flag_takes_0_and_1_as_the_tool_does(self):
        read = brimlow.Case.from_json('{"valves_active": 0, "real_gas": 1, "reference": 1.0}')
        assert (read.valves_active, read.real_gas, read.reference) == (False, True, True)

    def test_the_table_step_is_taken_and_checked(self):
        assert brimlow.Case(table_step_s=60).table_step_s == 60.0
        with pytest.raises(ValueError, match="table_step_s"):
            brimlow.Case(table_step_s=0)


class TestMaterials:
    def test_every_material_by_name_alias_cas_and_number_is_the_same_gas(self):
        materials = brimlow.materials()
        assert len(materials) == lib.VorlMaterialCount() > 10
        for material in materials:
            # The CAS number without its hyphens is the material's number.
            assert int(material["cas"].replace("-", "")) == material["number"]
            for given in (material["name"], material["cas"], material["number"], *material["aliases"]):
                assert brimlow.Case(material=given).material == material["name"], given

    def test_an_unknown_material_is_refused_with_the_nearest(self):
        with pytest.raises(ValueError, match="material: unknown material 'methan'.*did you mean 'methane'"):
            brimlow.Case(material="methan")

    def test_a_molar_mass_takes_the_place_of_the_material(self):
        with pytest.raises(ValueError, match="material and molar_mass_kg_per_kmol"):
            brimlow.Case(material="ethane", molar_mass_kg_per_kmol=20.0)
        ideal = brimlow.Case(molar_mass_kg_per_kmol=16.0428)
        assert ideal.material is None and ideal.replace(material="ethane").molar_mass_kg_per_kmol is None


class TestTheLineAsOperated:
    def test_the_reference_takes_it_and_the_fast_model_refuses_it_naming_the_reference(self):
        case = brimlow.Case(pipe_length_m=2000, pipe_diameter_m=0.2, breach_location_m=500, inflow_kg_per_s=5,
                            supply="holding pressure", supply_trip_time_s=3)
        assert brimlow.Case.from_json(case.to_json()) == case
        with pytest.raises(brimlow.BrimlowError) as raised:
            brimlow.run(case)
        assert raised.value.code_name == "VORL_E_FAST_MODEL_SUPPLY" and raised.value.key == "supply"
        assert "model='reference'" in str(raised.value)
        with pytest.raises(brimlow.BrimlowError) as raised:
            brimlow.run(brimlow.Case(pipe_length_m=2000, pipe_diameter_m=0.2, breach_location_m=500,
                                     valves=[(1500, 1.0)], valve_closing_duration_s=20))
        assert raised.value.key == "valve_closing_duration_s" and "model='reference'" in str(raised.value)
        table = brimlow.reference(case, times=[0.0, 2.0, 4.0])
        assert table["inflow_rate_kg_per_s"][-1] == 0.0  # tripped at 3 s
        with pytest.raises(ValueError, match="'constant inflow' or 'holding pressure'"):
            brimlow.Case(supply="compressor")

"""A release case: the case-file keys of the command-line tool, as an immutable object.

The keys, their units, defaults and allowed ranges are the library's input
table's (the same table the tool reads); the few keys that are not one model
input are the package's own: name, material, molar_mass_kg_per_kmol, valves.
Every case is checked by the library's own check when it is made, so a case
that exists can be run; a value out of range raises BrimlowError naming the
key, as the tool names it.
"""
import ctypes
import json
import math
import numbers
from collections.abc import Mapping
from pathlib import Path

import numpy as np

from . import _library, materials
from ._library import lib
from .errors import BrimlowError

_VALVE_POSITION = "position_m"
_VALVE_CLOSURE = "closure_time_s"
_VALVE_POSITION_INPUT = "valve position"
_VALVE_CLOSURE_INPUT = "valve closure time"


class Key:
    """A case key: name, unit, default, allowed range and meaning."""

    __slots__ = ("name", "unit", "default", "range", "meaning", "kind", "input")

    def __init__(self, name, unit, default, range_text, meaning, kind, input_index=-1):
        self.name = name
        self.unit = unit
        self.default = default
        self.range = range_text
        self.meaning = meaning
        self.kind = kind  # "text", "material", "optional", "number", "integer", "flag", "valves", "model"
        self.input = input_index  # the library input it sets; -1 for none

    def __repr__(self):
        return f"Key({self.name!r}, unit={self.unit!r}, default={self.default!r})"


def _input_text(copy, index):
    return _library.copied_text(copy, index)


def _slot(name):
    return _library.CONSTANTS["VORL_SLOT_" + name]


def _scalar_kind(index):
    """A whole-number input is one the one-call entry reads as an int."""
    slot = lib.VorlInputSlot(index)
    if slot in (_slot("FLAGS"), _slot("TIME_DIVISION"), _slot("MAX_STEPS")):
        return "integer"
    return "number"


# The keys in the order of the tool's documentation (`brimlow keys`): a
# library input by its name in the input table, or a key of the package's own.
# Names, units, defaults and ranges of the library's inputs are the library's.
_OWN = "own"
_DOCUMENT_ORDER = (
    (_OWN, "name"), (_OWN, "material"), (_OWN, "molar_mass_kg_per_kmol"), (_OWN, "composition"),
    "ambient temperature", "ambient pressure", "ambient relative humidity", "molecular weight of the air",
    "gas temperature", "pipe length", "pipe diameter", "pipe roughness", "upstream pressure", "total inflow",
    "supply mode", "supply trip time",
    "breach location", "orifice aperture", (_OWN, "hole_diameter_m"), (_OWN, "valves"), "valves active flag",
    "valve detection delay", "valve closing duration", "expansion method", "Weber number", "maximum velocity", "minimum drop size", "maximum drop size",
    "time division", "back pressure", "water depth", "seawater density", "output maximum steps",
    (_OWN, "table_step_s"),
    (_OWN, "reference"), (_OWN, "real_gas"), (_OWN, "reference_end"), "model",
)

# The model choice's words, by the library's numbers.
MODELS = ("fast", "reference")
_MODEL_KINDS = {"fast": _library.CONSTANTS["VORL_MODEL_FAST"], "reference": _library.CONSTANTS["VORL_MODEL_REFERENCE"]}
# The supply's words, by the library's supply modes.
SUPPLIES = ("constant inflow", "holding pressure")

# name: (kind, unit, default, meaning) of the keys that are not one library input.
_OWN_KEYS = {
    "name": ("text", "", "", "label of the case, copied to the outputs"),
    "material": ("material", "", materials.material_name(lib.VorlCaseDefaultMaterial()),
                 "gas: a material name, its CAS number (\"74-82-8\") or its material number (74828); "
                 "see brimlow.materials()"),
    "molar_mass_kg_per_kmol": ("optional", "kg/kmol", None, "instead of a material: an ideal gas of this molar mass (2 to 1000 kg/kmol)"),
    "composition": ("composition", "", None,
                    "instead of a material: mole fractions of materials, {\"methane\": 0.93, \"ethane\": 0.07}, "
                    "summing to 1 within 1e-6"),
    "hole_diameter_m": ("optional", "m", None,
                        "instead of the aperture: diameter of the hole, above 0 up to the bore; "
                        "aperture = (d / bore)^2"),
    "valves": ("valves", "", (), "isolation valves: a list of {\"position_m\": m from the upstream end, "
                                 "\"closure_time_s\": s after the breach}"),
    "table_step_s": ("optional", "s", None,
                     "the tool's pipe table at a fixed step; brimlow.run ignores it (result.pipe(times) "
                     "gives the pipe at any times)"),
    "reference": ("flag", "", False,
                  "the tool runs the reference solution beside the fast model; brimlow.run ignores it "
                  "(brimlow.reference(case) runs it; model=\"reference\" makes it the answer)"),
    "real_gas": ("flag", "", bool(lib.VorlInputCaseDefault(lib.VorlInputFind(b"reference real gas flag"))),
                 "brimlow.reference: the Peng-Robinson gas in place of the ideal gas"),
    "reference_end": ("optional", "s", None,
                      "when the reference solution stops, s after the breach (brimlow.run with model reference, "
                      "brimlow.reference without times=); None: the end of the release"),
}


def _input_kind(index):
    """A whole-number input is one the one-call entry reads as an int; of
    these, one that takes only 0 and 1 is a flag."""
    if _scalar_kind(index) != "integer":
        return "number"
    return "flag" if (lib.VorlInputMin(index), lib.VorlInputMax(index)) == (0.0, 1.0) else "integer"


def _input_key(index):
    if _input_text(lib.VorlInputCaseKey, index) == "model":
        return Key("model", "", MODELS[int(lib.VorlInputCaseDefault(index))], "fast or reference",
                   _input_text(lib.VorlInputMeaning, index), "model", index)
    if _input_text(lib.VorlInputCaseKey, index) == "supply":
        return Key("supply", "", SUPPLIES[int(lib.VorlInputCaseDefault(index))],
                   "constant inflow or holding pressure", _input_text(lib.VorlInputMeaning, index), "supply", index)
    kind = _input_kind(index)
    default = lib.VorlInputCaseDefault(index)
    default = bool(default) if kind == "flag" else int(default) if kind == "integer" else default
    return Key(_input_text(lib.VorlInputCaseKey, index), _input_text(lib.VorlInputUnit, index), default,
               _input_text(lib.VorlInputCaseRangeText, index), _input_text(lib.VorlInputMeaning, index), kind, index)


def _library_keys():
    """The case keys: the library's inputs that have a case-file key (a valve's
    two are the keys of each entry of valves) and the package's own keys."""
    keys, placed = [], set()
    for entry in _DOCUMENT_ORDER:
        if isinstance(entry, tuple):
            name = entry[1]
            kind, unit, default, meaning = _OWN_KEYS[name]
            keys.append(Key(name, unit, default, "", meaning, kind))
            continue
        index = lib.VorlInputFind(entry.encode())
        if index < 0 or not _input_text(lib.VorlInputCaseKey, index):
            raise ImportError(f"brimlow: the library's input {entry!r} has no case key; the package and the "
                              f"library do not match")
        keys.append(_input_key(index))
        placed.add(index)
    valve_inputs = {lib.VorlInputFind(name.encode()) for name in (_VALVE_POSITION_INPUT, _VALVE_CLOSURE_INPUT)}
    # An input the library gained after this package was written is still a key.
    for index in range(lib.VorlInputCount()):
        if index not in placed | valve_inputs and _input_text(lib.VorlInputCaseKey, index):
            keys.append(_input_key(index))
    return keys


KEYS = _library_keys()
_KEY_BY_NAME = {key.name: key for key in KEYS}


def keys():
    """The case keys in the order of the documentation."""
    return list(KEYS)


# ---- the one-call arrays of a case ----

class _Arrays:
    """The arrays of the library's one-call entry for a case: each key's value
    where the input table places its input. The check and the set-up read
    these, as they do for the tool."""

    __slots__ = ("flags", "inputs", "positions", "closures", "time_division", "max_steps", "valve_count", "fits_one_call")

    def __init__(self, values):
        inputs = [0.0] * _SLOT_SIZES[_slot("INPUTS")]
        for name, element in _SLOT_KEYS[_slot("INPUTS")]:
            inputs[element] = values[name]
        flags = [0] * _SLOT_SIZES[_slot("FLAGS")]
        for name, element in _SLOT_KEYS[_slot("FLAGS")]:
            flags[element] = _as_int(values[name])
        self.inputs = np.array(inputs, dtype=np.float64)
        self.flags = np.array(flags, dtype=np.intc)
        self.time_division = np.array([_as_int(values[name]) for name, _ in _SLOT_KEYS[_slot("TIME_DIVISION")]],
                                      dtype=np.intc)
        self.max_steps = np.array([_as_int(values[name]) for name, _ in _SLOT_KEYS[_slot("MAX_STEPS")]],
                                  dtype=np.intc)
        valves = values["valves"]
        self.positions = np.array([v[_VALVE_POSITION] for v in valves], dtype=np.float64)
        self.closures = np.array([v[_VALVE_CLOSURE] for v in valves], dtype=np.float64)
        self.valve_count = np.array([len(valves)], dtype=np.intc)
        # Whether the one-call entry (and so a sweep) takes the case as it is:
        # the library says no for a breach or a valve beyond its ranges. Asked
        # once with the case, so that a sweep packs its cases without a call each.
        self.fits_one_call = bool(lib.VorlCaseFitsOneCall(self.flags, self.inputs, self.positions, self.closures,
                                                          self.time_division, self.max_steps, self.valve_count))

    def check(self, hole_diameter, model):
        """The library's check of the case for its model: its code and the index of the valve at fault (-1: none)."""
        valve = ctypes.c_int(-1)
        code = lib.VorlCheckCaseOfModel(_MODEL_KINDS[model], self.flags, self.inputs, self.positions, self.closures,
                                        self.time_division, self.max_steps, self.valve_count, hole_diameter,
                                        ctypes.byref(valve))
        return code, valve.value

    def set_on(self, model, values):
        _library.call(lib.VorlGenericInputsSet, model, self.flags, self.inputs, self.positions, self.closures,
                      self.time_division, self.max_steps, self.valve_count)
        # The inputs the one-call entry does not take (a back pressure), through the
        # input table, where they differ from what a new model holds; the model
        # choice is the run's (brimlow.run), not the model's.
        for name, index, default in OUTSIDE_ONE_CALL:
            value = library_value(name, values[name])
            if value != default:
                _library.call(lib.VorlInputSet, model, index, value, key=name)


def library_value(name, value):
    """A key's value as the library's input takes it: the supply by its mode."""
    return float(SUPPLIES.index(value)) if name == "supply" else float(value)


def _aperture_input():
    return lib.VorlInputFind(b"orifice aperture")


def _fast_smallest_aperture():
    return lib.VorlInputMin(_aperture_input())


def _hole_for_the_reference(values):
    """A hole below the fast model's smallest, which the reference takes."""
    return values["model"] == "reference" and values["aperture"] < _fast_smallest_aperture()


def _as_int(value):
    # Out-of-range counts reach the library's check as the nearest int it can hold.
    return int(max(-2e9, min(2e9, value)))


_SLOT_KEYS = {}  # slot: (key name, element) of each key whose input the slot holds
_SLOT_SIZES = {}


def _read_slots():
    for name in ("NONE", "FLAGS", "INPUTS", "TIME_DIVISION", "MAX_STEPS"):
        _SLOT_KEYS[_slot(name)] = []
    for key in KEYS:
        if key.input >= 0 and lib.VorlInputSlot(key.input) in _SLOT_KEYS:
            _SLOT_KEYS[lib.VorlInputSlot(key.input)].append((key.name, lib.VorlInputSlotIndex(key.input)))
    for slot in (_slot("FLAGS"), _slot("INPUTS")):
        elements = [element for _name, element in _SLOT_KEYS[slot]]
        _SLOT_SIZES[slot] = max(elements) + 1 if elements else 0


_read_slots()

# The keys of inputs the one-call arrays do not hold (a back pressure, a water
# depth, ...): name, input and the value a new model has.
OUTSIDE_ONE_CALL = [(key.name, key.input, lib.VorlInputDefault(key.input)) for key in KEYS
                    if key.kind != "model" and key.input >= 0 and lib.VorlInputSlot(key.input) == _slot("NONE")]

# A valve's keys are those of each entry of the list: their ranges are the valve inputs' own.
_KEY_BY_NAME["valves"].range = ", ".join(
    f"{key} {_input_text(lib.VorlInputCaseRangeText, lib.VorlInputFind(name.encode()))}"
    for key, name in ((_VALVE_POSITION, _VALVE_POSITION_INPUT), (_VALVE_CLOSURE, _VALVE_CLOSURE_INPUT)))


# ---- values ----

def _refuse(key, message):
    """A problem of form (an unknown key, a value of the wrong type): not the library's."""
    raise ValueError(f"{key}: {message}" if key else message)


def _number(name, value, unit=""):
    if isinstance(value, str) and unit:
        # The tool reads "70 bar"; a case here takes the number in its SI unit.
        _refuse(name, f"must be a number in {unit}, not the text {value!r} (brimlow.Case takes SI numbers; "
                      f"Case.from_json reads text with a unit, as the command-line tool does)")
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        _refuse(name, f"must be a number, not {value!r}")
    return float(value)


def _normalised(key, value, from_file=False):
    """A key's value in its one form: float, int, bool, str, list of valve dicts.
    A case file's flag takes a number too, as the tool reads one (from_file)."""
    if key.kind == "text":
        if not isinstance(value, str):
            _refuse(key.name, f"must be a string, not {value!r}")
        return value
    if key.kind == "material":
        return _material(value)
    if key.kind == "composition":
        return _composition(value)
    if key.kind == "optional":
        return _number(key.name, value, key.unit)
    if key.kind == "flag":
        if isinstance(value, (bool, np.bool_)):
            return bool(value)
        if from_file and _flag_number(key, value):
            # 2 for a library flag is kept for the library's check to refuse, as the tool leaves it.
            return bool(value) if value in (0, 1) else int(value)
        _refuse(key.name, f"must be true or false, not {value!r}")
    if key.kind == "integer":
        number = _number(key.name, value, key.unit)
        if not (math.isfinite(number) and number == math.floor(number)):
            _refuse(key.name, f"must be a whole number, not {value!r}")
        return int(number)
    if key.kind == "valves":
        return tuple(_valve(index, valve) for index, valve in enumerate(value))
    if key.kind == "model":
        if value not in MODELS:
            _refuse(key.name, f"must be 'fast' or 'reference', not {value!r}")
        return value
    if key.kind == "supply":
        if value not in SUPPLIES:
            _refuse(key.name, f"must be 'constant inflow' or 'holding pressure', not {value!r}")
        return value
    return _number(key.name, value, key.unit)


def _flag_number(key, value):
    """The tool's numbers for a flag: 0 or 1 for a flag of its own, which no
    check of the library sees; any whole number for a library input, which
    the library's check bounds."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        return False
    if key.input < 0:
        return value in (0, 1)
    return math.isfinite(value) and value == math.floor(value) and abs(value) < 2e9


def _normalised_values(values, from_file=False):
    """Every key's value in its one form; a key not given takes its default."""
    _refuse_unknown(values)
    return {key.name: key.default if values.get(key.name) is None else _normalised(key, values[key.name], from_file)
            for key in KEYS}


def _valve(index, valve):
    where = f"valves[{index}]"
    if isinstance(valve, dict):
        unknown = set(valve) - {_VALVE_POSITION, _VALVE_CLOSURE}
        if unknown:
            _refuse(where, f"unknown keys {sorted(unknown)}")
        missing = [k for k in (_VALVE_POSITION, _VALVE_CLOSURE) if valve.get(k) is None]
        if missing:
            _refuse(f"{where}.{missing[0]}", "missing")
        position, closure = valve[_VALVE_POSITION], valve[_VALVE_CLOSURE]
    else:
        try:
            position, closure = valve
        except (TypeError, ValueError):
            _refuse(where, f"must be {{\"{_VALVE_POSITION}\": ..., \"{_VALVE_CLOSURE}\": ...}} or a pair")
    return {_VALVE_POSITION: _number(f"{where}.{_VALVE_POSITION}", position, "m"),
            _VALVE_CLOSURE: _number(f"{where}.{_VALVE_CLOSURE}", closure, "s")}


# ---- values with units, as case files write them ----

# What VorlQuantityRead answers.
_READ, _NOT_A_NUMBER, _UNKNOWN_UNIT = 0, 1, 2


def _quantity(name, text, unit):
    """A value of a case file given as text with a unit ("70 bar") in its SI
    unit, by the library's unit rules, the tool's own; and whether it is a
    gauge pressure."""
    value, gauge = ctypes.c_double(), ctypes.c_int()
    if "\0" in text:
        _refuse(name, f"{text!r} is not a number with a unit")
    reading = lib.VorlQuantityRead(text.encode("utf-8"), unit.encode("utf-8"), ctypes.byref(value),
                                   ctypes.byref(gauge))
    if reading == _READ:
        return value.value, bool(gauge.value)
    if reading == _NOT_A_NUMBER:
        _refuse(name, f"{text!r} is not a number with a unit")
    if reading == _UNKNOWN_UNIT:
        words = _library.copied_text(lib.VorlUnitWords, unit.encode("utf-8"))
        _refuse(name, f"unknown unit in {text!r} (accepted: {words})")
    _refuse(name, f"{text!r} is beyond the range of a double")


def _takes_units(key):
    return key.kind in ("number", "optional") and key.unit and key.name != "molar_mass_kg_per_kmol"


def _with_units(document):
    """The values of a case file with their text with units ("70 bar", "20 km",
    a valve's "10 min") read into SI numbers, as the tool reads them; a gauge
    pressure ("69 barg") is above the case's ambient pressure. Other values
    are left to the case's own checks."""
    values, gauges = dict(document), []
    for name, value in document.items():
        key = _KEY_BY_NAME.get(name)
        if key is not None and isinstance(value, str) and _takes_units(key):
            values[name], gauge = _quantity(name, value, key.unit)
            if gauge and name == "ambient_pressure_Pa":
                _refuse(name, "the ambient pressure is what a gauge pressure is measured from; give it absolute "
                              "(Pa, bar, psia, ...)")
            if gauge:
                gauges.append(name)
    valves = document.get("valves")
    if isinstance(valves, list):
        values["valves"] = [_valve_with_units(index, valve) for index, valve in enumerate(valves)]
    if gauges:
        ambient = values.get("ambient_pressure_Pa")
        ambient = _KEY_BY_NAME["ambient_pressure_Pa"].default if ambient is None else ambient
        for name in gauges:
            values[name] += _number("ambient_pressure_Pa", ambient)
    return values


def _valve_with_units(index, valve):
    if not isinstance(valve, dict):
        return valve
    read = dict(valve)
    for sub_key, unit in ((_VALVE_POSITION, "m"), (_VALVE_CLOSURE, "s")):
        if isinstance(valve.get(sub_key), str):
            read[sub_key], _gauge = _quantity(f"valves[{index}].{sub_key}", valve[sub_key], unit)
    return read


def _material(value):
    """A material as the library's name of it; one the library does not know
    is refused when the case is made."""
    if isinstance(value, bool) or not isinstance(value, (str, numbers.Integral)):
        _refuse("material", f"must be a material name, CAS number or material number, not {value!r}")
    number = materials.material_number(str(value))
    if number:
        return materials.material_name(number)
    named = materials.named_gas_index(str(value))
    if named >= 0:
        return materials.named_gases()[named]["name"]
    _refuse("material", f"unknown material {value!r} ({materials.suggestion(str(value))}brimlow.materials() "
                        f"lists them)")


def _composition(value):
    """A composition as pairs (the library's material name, mole fraction);
    the library checks the fractions when the model is made."""
    if not isinstance(value, dict) or not value:
        _refuse("composition", f"must be a non-empty dict of material names and mole fractions, not {value!r}")
    pairs = []
    for name, fraction in value.items():
        number = materials.material_number(str(name))
        if not number:
            _refuse("composition", f"unknown component {name!r} ({materials.suggestion(str(name))}"
                                   f"brimlow.materials() lists them)")
        pairs.append((materials.material_name(number), _number(f"composition.{name}", fraction)))
    return tuple(pairs)


# Keys of which a case gives one or the other: the second, when given, takes
# the place of the first.
_ALTERNATIVES = (("material", "molar_mass_kg_per_kmol"), ("material", "composition"),
                 ("molar_mass_kg_per_kmol", "composition"), ("aperture", "hole_diameter_m"))


def _settle_alternatives(given, values):
    for first, second in _ALTERNATIVES:
        if given.get(first) is not None and given.get(second) is not None:
            _refuse("", f"{first} and {second}: give one of them, not both")
    hole = values["hole_diameter_m"]
    if hole is not None:
        # The library's rule, as the tool asks it.
        with _library.Reports():
            values["aperture"] = _library.call(lib.VorlHoleAperture, hole, values["pipe_diameter_m"],
                                               key="hole_diameter_m")
    if values["molar_mass_kg_per_kmol"] is not None or values["composition"] is not None:
        values["material"] = None


class Case:
    """A release case: every key of a case file, immutable.

        case = brimlow.Case(pipe_length_m=50e3, breach_location_m=10e3)
        case.pipe_length_m                         # 50000.0
        longer = case.replace(pipe_length_m=80e3)  # a new case; case is unchanged

    Keys left out take their defaults; brimlow.keys() lists them all.
    """

    __slots__ = ("_values", "_arrays", "_material_number")

    def __init__(self, **values):
        self._set_up(values, _normalised_values(values))

    def _set_up(self, values, normalised):
        _settle_alternatives(values, normalised)
        _check_table_step(normalised["table_step_s"])
        object.__setattr__(self, "_values", normalised)
        object.__setattr__(self, "_material_number", _material_number(normalised["material"]))
        object.__setattr__(self, "_arrays", _Arrays(normalised))
        self._check()

    # ---- reading ----

    def __getattr__(self, name):
        try:
            return self._values[name] if name != "valves" else [dict(v) for v in self._values[name]]
        except KeyError:
            raise AttributeError(f"a case has no key {name!r}" + _suggestion(name)) from None

    def __setattr__(self, name, value):
        raise AttributeError("a case is immutable: use case.replace(" + name + "=...)")

    def __eq__(self, other):
        return isinstance(other, Case) and self._values == other._values

    def __hash__(self):
        # The valves are dicts: hashed as their (position, closure time) pairs.
        return hash(tuple((name, tuple((v[_VALVE_POSITION], v[_VALVE_CLOSURE]) for v in value)
                           if name == "valves" else value) for name, value in self._values.items()))

    def __repr__(self):
        changed = [f"{key.name}={self._values[key.name]!r}" for key in KEYS
                   if self._values[key.name] != key.default]
        return "Case(" + ", ".join(changed) + ")"

    def __reduce__(self):
        # The values of a case that exists were checked when it was made: sent
        # to another process (a sweep's worker) they are taken as they are.
        return (_checked_case, (self._values,))

    def __dir__(self):
        return sorted(set(super().__dir__()) | set(_KEY_BY_NAME))

    def to_dict(self):
        """Every key and its value, as a case file gives them (None: not given;
        the aperture of a case given by its hole diameter is not given)."""
        values = dict(self._values)
        values["valves"] = [dict(v) for v in values["valves"]]
        if values["composition"] is not None:
            values["composition"] = dict(values["composition"])
        if values["hole_diameter_m"] is not None:
            values["aperture"] = None
        return values

    def replace(self, **changes):
        """A new case with some keys changed (checked as any new case); a key
        given takes the place of its alternative (aperture of hole_diameter_m,
        material of molar_mass_kg_per_kmol, and the other way round)."""
        values = self.to_dict()
        for first, second in _ALTERNATIVES:
            if changes.get(first) is not None:
                values[second] = None
            if changes.get(second) is not None:
                values[first] = None
        _refuse_unknown(changes)
        values.update(changes)
        # The values kept were made whole when this case was made.
        normalised = {key.name: key.default if values[key.name] is None else
                      _normalised(key, values[key.name]) if key.name in changes else self._values[key.name]
                      for key in KEYS}
        case = object.__new__(Case)
        case._set_up(values, normalised)
        return case

    # ---- case files ----

    def to_json(self, path=None, indent=2):
        """The case as a case file of the tool (every key); written to path when given."""
        # A key not given is left out, and the reference's flags when off, as
        # the tool's own echo of a case leaves them out.
        values = {name: value for name, value in self.to_dict().items()
                  if value is not None and not (name in ("reference", "real_gas") and value is False)
                  and not (name == "model" and value == "fast")}
        text = json.dumps(values, indent=indent) + "\n"
        if path is not None:
            Path(path).write_text(text, encoding="utf-8")
        return text

    @classmethod
    def from_json(cls, source):
        """A case from a case file of the tool (a path, or the JSON text itself when it
        starts with '{'); comments (// and /* */) are allowed as the tool allows them.
        It reads as the tool reads: a flag true, false, 0 or 1; a key given
        twice or a gauge ambient pressure ("0.6 barg") raises ValueError."""
        text = source if isinstance(source, str) and source.lstrip().startswith("{") else \
            Path(source).read_text(encoding="utf-8")
        document = json.loads(_without_comments(text), object_pairs_hook=_object_of)
        _refuse_repeated(document)
        if not isinstance(document, dict):
            _refuse("", "a case file holds one JSON object")
        values = _with_units(document)
        case = object.__new__(cls)
        case._set_up(values, _normalised_values(values, from_file=True))
        return case

    # ---- the library's check ----

    def _check(self):
        self._check_molar_mass()
        # The library's check with the case's own rules (the hole, valves
        # within the pipe): it names the valve at fault and speaks of the hole.
        hole = self._values["hole_diameter_m"]
        with _library.Reports() as reports:
            code, valve = self._arrays.check(math.nan if hole is None else hole, self._values["model"])
        if code != 0:
            _code, tag, message = reports.first_error() or (code, "VorlCheckCase", _library.CODE_TEXTS.get(code, ""))
            raise _library.error_of(code, tag, message, key=self._key_of_code(code, valve))

    def _check_molar_mass(self):
        # The library's rule for an ideal gas by its molar mass is the one its
        # model takes: a model is made, and deleted at once.
        molar_mass = self._values["molar_mass_kg_per_kmol"]
        if molar_mass is None:
            return
        with _library.Reports() as reports:
            model = lib.VorlModelCreateSimple(molar_mass)
            if not model:
                raise _library.error_of(*(reports.first_error() or (1, "", "the library made no model")),
                                        key="molar_mass_kg_per_kmol")
            _library.delete_model(model)

    def _key_of_code(self, code, valve):
        if code == _library.CODES["VORL_E_HOLE_OUTSIDE_BORE"]:
            return "hole_diameter_m"
        if code == _library.CODES["VORL_E_HOLE_TOO_SMALL"]:
            return "hole_diameter_m" if self._values["hole_diameter_m"] is not None else "aperture"
        if valve >= 0:
            closure = lib.VorlInputFind(_VALVE_CLOSURE_INPUT.encode())
            sub_key = _VALVE_CLOSURE if lib.VorlInputOfCode(code) == closure else _VALVE_POSITION
            return f"valves[{valve}].{sub_key}"
        blamed = lib.VorlInputOfCode(code)  # the input the library's code blames
        for key in KEYS:
            if key.input >= 0 and key.input == blamed:
                return "hole_diameter_m" if key.name == "aperture" and self._values["hole_diameter_m"] is not None \
                    else key.name
        return None

    # ---- the model ----

    def _new_model(self):
        """A model of the library for this case, every input set; the caller deletes it."""
        molar_mass = self._values["molar_mass_kg_per_kmol"]
        composition = self._values["composition"]
        material = self._values["material"]
        with _library.Reports():
            if molar_mass is not None:
                model = _library.call(lib.VorlModelCreateSimple, molar_mass, key="molar_mass_kg_per_kmol")
            elif composition is not None:
                numbers = (ctypes.c_int * len(composition))(*(materials.material_number(n) for n, _ in composition))
                fractions = (ctypes.c_double * len(composition))(*(x for _, x in composition))
                model = _library.call(lib.VorlModelCreateComposition, len(composition), numbers, fractions,
                                      key="composition")
            elif not self._material_number and isinstance(material, str):
                model = _library.call(lib.VorlModelCreateNamedGas, materials.named_gas_index(material), key="material")
            else:
                model = _library.call(lib.VorlModelCreateZel, self._material_number, key="material")
            try:
                self._arrays.set_on(model, self._values)
                self._set_model_choice(model)
            except BrimlowError as error:
                _library.delete_model(model)
                raise self._keyed(error) from None
            except BaseException:
                _library.delete_model(model)
                raise
        return model

    def _keyed(self, error):
        """The library's refusal, naming the case key its code blames when it names none
        (an inflow the line cannot carry: inflow_kg_per_s), as the tool names it."""
        key = error.key or self._key_of_code(error.code, -1)
        if key == error.key:
            return error
        return BrimlowError(error.code, error.code_name, error.tag, error.message, key=key)


    def _set_model_choice(self, model):
        """The model chosen, the reference's end and gas, and a hole only the reference takes."""
        values = self._values
        if _hole_for_the_reference(values):
            _library.call(lib.VorlOrificeApertureSet, model, values["aperture"])
            _library.call(lib.VorlAtmosExpanHoleSizeSet, model, values["pipe_diameter_m"], values["aperture"])
        # A new model is the fast model's, of the ideal gas.
        if values["model"] != MODELS[0]:
            _library.call(lib.VorlModelChoiceSet, model, MODELS.index(values["model"]), key="model")
        if values["real_gas"]:
            _library.call(lib.VorlReferenceRealGasSet, model, True)
        if values["reference_end"] is not None:
            _library.call(lib.VorlReferenceEndTimeSet, model, values["reference_end"], key="reference_end")


def as_case(case):
    """case itself, or the Case of a dict of its keys; anything else raises TypeError."""
    if isinstance(case, Case):
        return case
    if isinstance(case, Mapping):
        return Case(**case)
    raise TypeError(f"a case is a brimlow.Case or a dict of its keys, not {type(case).__name__}")


class Refusal:
    """A dict of a case's keys that the library refused when its case was
    made: the values in their one form (as a study's row holds them) and the
    library's error."""

    __slots__ = ("_values", "error")

    def __init__(self, values, error):
        # A refused count may be beyond what a row's integer holds: kept as the check saw it.
        self._values = {key.name: _as_int(values[key.name]) if key.kind == "integer" else values[key.name]
                        for key in KEYS}
        self.error = error


def case_or_refusal(case):
    """as_case(case), or the Refusal of a dict whose values the library
    refuses; a dict that is no case (an unknown key, a value of the wrong
    type) raises, as as_case does."""
    if not isinstance(case, Mapping):
        return as_case(case)
    normalised = _normalised_values(case)
    made = object.__new__(Case)
    try:
        made._set_up(case, normalised)
    except BrimlowError as error:
        return Refusal(normalised, error)
    return made


def _refuse_unknown(values):
    unknown = [name for name in values if name not in _KEY_BY_NAME]
    if unknown:
        _refuse(unknown[0], "unknown key" + _suggestion(unknown[0]))


def _checked_case(values):
    case = object.__new__(Case)
    object.__setattr__(case, "_values", values)
    object.__setattr__(case, "_material_number", _material_number(values["material"]))
    object.__setattr__(case, "_arrays", _Arrays(values))
    return case


def _material_number(value):
    """The number the library makes a model of the material by (0: no material)."""
    if value is None:
        return 0
    return value if isinstance(value, int) else materials.material_number(value)


def _check_table_step(step):
    if step is not None and not (math.isfinite(step) and step > 0.0):
        _refuse("table_step_s", f"must be above 0 s, not {step!r}")


def _suggestion(name):
    import difflib
    near = difflib.get_close_matches(name, list(_KEY_BY_NAME), n=1)
    return f" (did you mean {near[0]!r}?)" if near else ""


class _Object(dict):
    """A JSON object of a case file, with the first of its keys given twice."""

    repeated = None


def _object_of(pairs):
    read = _Object()
    for name, value in pairs:
        if name in read and read.repeated is None:
            read.repeated = name
        read[name] = value
    return read


def _refuse_repeated(value, path=""):
    """A key given twice, named by its path as the tool names it ("valves[1].position_m")."""
    if isinstance(value, list):
        for index, item in enumerate(value):
            _refuse_repeated(item, f"{path}[{index}]")
    elif isinstance(value, _Object):
        if value.repeated is not None:
            _refuse(f"{path}.{value.repeated}" if path else value.repeated, "the key is given twice")
        for name, item in value.items():
            _refuse_repeated(item, f"{path}.{name}" if path else name)


def _without_comments(text):
    """JSON text with its // and /* */ comments blanked out (not inside strings)."""
    out = []
    i, n = 0, len(text)
    in_string = False
    while i < n:
        c = text[i]
        if in_string:
            out.append(c)
            if c == "\\" and i + 1 < n:
                out.append(text[i + 1])
                i += 1
            elif c == '"':
                in_string = False
        elif c == '"':
            in_string = True
            out.append(c)
        elif text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
            continue
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            if end < 0:
                raise ValueError("a /* comment is not closed")
            out.append(" ")
            i = end + 2
            continue
        else:
            out.append(c)
        i += 1
    return "".join(out)

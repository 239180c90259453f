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
from pathlib import Path

import numpy as np

from . import _library
from ._library import lib

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
        self.kind = kind  # "text", "material", "molar_mass", "number", "integer", "flag", "valves"
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


def _library_keys():
    """The keys of the library's input table that a case sets."""
    raise NotImplementedError  # filled in from the library's case-key exports


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

    __slots__ = ("flags", "inputs", "positions", "closures", "time_division", "max_steps", "valve_count")

    def __init__(self, values):
        self.flags = np.zeros(_SLOT_SIZES[_slot("FLAGS")], dtype=np.intc)
        self.inputs = np.zeros(_SLOT_SIZES[_slot("INPUTS")], dtype=np.float64)
        self.time_division = np.zeros(1, dtype=np.intc)
        self.max_steps = np.zeros(1, dtype=np.intc)
        for key in KEYS:
            if key.input < 0:
                continue
            value = values[key.name]
            slot, element = _SLOTS[key.input]
            if slot == _slot("INPUTS"):
                self.inputs[element] = value
            elif slot == _slot("FLAGS"):
                self.flags[element] = _as_int(value)
            elif slot == _slot("TIME_DIVISION"):
                self.time_division[0] = _as_int(value)
            elif slot == _slot("MAX_STEPS"):
                self.max_steps[0] = _as_int(value)
        valves = values["valves"]
        self.positions = np.array([v[_VALVE_POSITION] for v in valves], dtype=np.float64)
        self.closures = np.array([v[_VALVE_CLOSURE] for v in valves], dtype=np.float64)
        self.valve_count = np.array([len(valves)], dtype=np.intc)

    def check(self, count=None):
        valve_count = self.valve_count if count is None else np.array([count], dtype=np.intc)
        return lib.VorlCheckInputs(self.flags, self.inputs, self.positions, self.closures,
                                   self.time_division, self.max_steps, valve_count)

    def set_on(self, model):
        lib.VorlGenericInputsSet(model, self.flags, self.inputs, self.positions, self.closures,
                                 self.time_division, self.max_steps, self.valve_count)


def _as_int(value):
    # Out-of-range counts reach the library's check as the nearest int it can hold.
    return int(max(-2e9, min(2e9, value)))


_SLOTS = {}
_SLOT_SIZES = {}


def _read_slots():
    for key in KEYS:
        if key.input >= 0:
            _SLOTS[key.input] = (lib.VorlInputSlot(key.input), lib.VorlInputSlotIndex(key.input))
    for slot in (_slot("FLAGS"), _slot("INPUTS")):
        elements = [element for s, element in _SLOTS.values() if s == slot]
        _SLOT_SIZES[slot] = max(elements) + 1 if elements else 0


_read_slots()


# ---- values ----

def _refuse(key, message):
    """A problem of form (an unknown key, a value of the wrong type): not the library's."""
    raise ValueError(f"{key}: {message}" if key else message)


def _number(name, value):
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        _refuse(name, f"must be a number, not {value!r}")
    return float(value)


def _normalised(key, value):
    """A key's value in its one form: float, int, bool, str, list of valve dicts."""
    if key.kind == "text":
        if not isinstance(value, str):
            _refuse(key.name, f"must be a string, not {value!r}")
        return value
    if key.kind == "material":
        return _material(value)
    if key.kind == "molar_mass":
        return None if value is None else _number(key.name, value)
    if key.kind == "flag":
        if not isinstance(value, (bool, np.bool_)):
            _refuse(key.name, f"must be true or false, not {value!r}")
        return bool(value)
    if key.kind == "integer":
        number = _number(key.name, value)
        if not (math.isfinite(number) and number == math.floor(number)):
            _refuse(key.name, f"must be a whole number, not {value!r}")
        return int(number)
    if key.kind == "valves":
        return tuple(_valve(index, valve) for index, valve in enumerate(value))
    return _number(key.name, value)


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
    return {_VALVE_POSITION: _number(f"{where}.{_VALVE_POSITION}", position),
            _VALVE_CLOSURE: _number(f"{where}.{_VALVE_CLOSURE}", closure)}


def _material(value):
    raise NotImplementedError  # the library's material lookup


class Case:
    """A release case: every key of a case file, immutable.

        case = brimlow.Case(pipe_length_m=50e3, breach_location_m=10e3)
        case.pipe_length_m                         # 50000.0
        longer = case.replace(pipe_length_m=80e3)  # a new case; case is unchanged

    Keys left out take their defaults; brimlow.keys() lists them all.
    """

    __slots__ = ("_values", "_arrays", "_material_number")

    def __init__(self, **values):
        unknown = [name for name in values if name not in _KEY_BY_NAME]
        if unknown:
            _refuse(unknown[0], "unknown key" + _suggestion(unknown[0]))
        normalised = {}
        for key in KEYS:
            value = values.get(key.name)
            normalised[key.name] = key.default if value is None and key.kind != "molar_mass" else (
                _normalised(key, value) if value is not None else None)
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
        return hash(tuple((name, value) for name, value in self._values.items()))

    def __repr__(self):
        changed = [f"{key.name}={self._values[key.name]!r}" for key in KEYS
                   if self._values[key.name] != key.default]
        return "Case(" + ", ".join(changed) + ")"

    def __reduce__(self):
        return (_case_from_dict, (self.to_dict(),))

    def __dir__(self):
        return sorted(set(super().__dir__()) | set(_KEY_BY_NAME))

    def to_dict(self):
        """Every key and its value, as a case file gives them."""
        values = dict(self._values)
        values["valves"] = [dict(v) for v in values["valves"]]
        return values

    def replace(self, **changes):
        """A new case with some keys changed (checked as any new case)."""
        values = self.to_dict()
        values.update(changes)
        return Case(**values)

    # ---- case files ----

    def to_json(self, path=None, indent=2):
        """The case as a case file of the tool (every key); written to path when given."""
        text = json.dumps(self.to_dict(), indent=indent) + "\n"
        if path is not None:
            Path(path).write_text(text, encoding="utf-8")
        return text

    @classmethod
    def from_json(cls, source):
        """A case from a case file of the tool (a path, or the JSON text itself when it
        starts with '{'); comments (// and /* */) are allowed as the tool allows them."""
        text = source if isinstance(source, str) and source.lstrip().startswith("{") else \
            Path(source).read_text(encoding="utf-8")
        document = json.loads(_without_comments(text))
        if not isinstance(document, dict):
            _refuse("", "a case file holds one JSON object")
        return cls(**document)

    # ---- the library's check ----

    def _check(self):
        with _library.Reports() as reports:
            code = self._arrays.check()
        if code != 0:
            error = reports.first_error() or (code, "VorlCheckInputs", _library.CODE_TEXTS.get(code, ""))
            raise _library.error_of(*error, key=self._key_of_code(code))
        self._check_valves_within_pipe()

    def _key_of_code(self, code):
        for key in KEYS:
            if key.input >= 0 and code in (lib.VorlInputCodeBelow(key.input), lib.VorlInputCodeAbove(key.input)):
                return key.name
        for input_name, sub_key in ((_VALVE_POSITION_INPUT, _VALVE_POSITION), (_VALVE_CLOSURE_INPUT, _VALVE_CLOSURE)):
            index = lib.VorlInputFind(input_name.encode())
            if code in (lib.VorlInputCodeBelow(index), lib.VorlInputCodeAbove(index)):
                return f"valves[{self._failing_valve(code)}].{sub_key}"
        return None

    def _failing_valve(self, code):
        # The check stops at the first valve out of range, all before it having
        # passed: checking the first n valves gives the code exactly when n
        # reaches past it, so the valve is found by bisection.
        passing, failing = 0, len(self._values["valves"])
        with _library.Reports():
            while failing - passing > 1:
                middle = (passing + failing) // 2
                if self._arrays.check(middle) == code:
                    failing = middle
                else:
                    passing = middle
        return failing - 1

    def _check_valves_within_pipe(self):
        # The library's check bounds a valve's position without knowing the
        # pipe: a valve beyond the pipe's end is refused here, in the same terms.
        length = self._values["pipe_length_m"]
        for index, valve in enumerate(self._values["valves"]):
            if valve[_VALVE_POSITION] > length:
                _refuse(f"valves[{index}].{_VALVE_POSITION}",
                        f"valve {index + 1} position {valve[_VALVE_POSITION]:g} m is beyond the pipe end at "
                        f"{length:g} m (allowed 0 to {length:g} m)")

    # ---- the model ----

    def _new_model(self):
        """A model of the library for this case, every input set; the caller deletes it."""
        molar_mass = self._values["molar_mass_kg_per_kmol"]
        with _library.Reports() as reports:
            model = lib.VorlModelCreateSimple(molar_mass) if molar_mass is not None else \
                lib.VorlModelCreateZel(self._material_number)
            if not model:
                raise _library.error_of(*(reports.first_error() or (1, "", "the library made no model")),
                                        key="molar_mass_kg_per_kmol" if molar_mass is not None else "material")
            self._arrays.set_on(model)
            error = reports.first_error()
            if error is not None:
                _delete(model)
                raise _library.error_of(*error)
        return model


def _delete(model):
    handle = ctypes.c_void_p(model)
    lib.VorlModelDelete(ctypes.byref(handle))


def _case_from_dict(values):
    return Case(**values)


def _material_number(value):
    raise NotImplementedError  # the library's material lookup


def _suggestion(name):
    import difflib
    near = difflib.get_close_matches(name, list(_KEY_BY_NAME), n=1)
    return f" (did you mean {near[0]!r}?)" if near else ""


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

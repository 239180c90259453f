"""Many cases at once: a study, run inside the library on its threads, or on a Dask cluster.

    study = brimlow.sweep(cases)         # one foreign call per chunk of cases
    study.report                         # one row per case: its inputs beside its key figures
    study[7]                             # the full result of case 7, run again when asked for
    study.plot(x="breach_location_m", y="release_rate_1min_kg_per_s")

The library runs every case of a chunk on a model of its own, on its own
threads, and writes one row of the release report per case straight into
the study's table; each row is bit for bit what a single run of its case
gives, whatever the threads. A study keeps its report rows and nothing of the
runs, so a sweep of a million cases holds only its table in memory.
"""
import numbers
import warnings
from concurrent.futures import ThreadPoolExecutor
from functools import partial
from operator import attrgetter, itemgetter

import numpy as np

from . import _library
from ._interface import VorlProgress
from ._library import lib
from ._progress import CtrlC, TextBar
from .case import (_SLOT_KEYS, KEYS, OUTSIDE_ONE_CALL, Case, Refusal, _hole_for_the_reference, _slot, case_or_refusal,
                   library_value)
from .errors import BrimlowWarning
from .result import _PIPE, _REPORT, run

_STATUS_OK = _library.CONSTANTS["VORL_SWEEP_OK"]
_STATUS_FAILED = _library.CONSTANTS["VORL_SWEEP_FAILED"]
_STATUS_NOT_RUN = _library.CONSTANTS["VORL_SWEEP_NOT_RUN"]
# A status's word in a study's table, by the library's number of it.
_STATUS_WORDS = np.array(["ok", "failed", "not run"])[np.argsort([_STATUS_OK, _STATUS_FAILED, _STATUS_NOT_RUN])]
_MODELS = {"fast": _library.CONSTANTS["VORL_MODEL_FAST"], "reference": _library.CONSTANTS["VORL_MODEL_REFERENCE"]}
_FLAGS_WIDTH = lib.VorlOneCallSlotSize(_library.CONSTANTS["VORL_SLOT_FLAGS"])
_INPUTS_WIDTH = lib.VorlOneCallSlotSize(_library.CONSTANTS["VORL_SLOT_INPUTS"])

# Cases per foreign call: enough that starting the library's threads costs
# nothing beside the runs (about 1 ms a chunk against 100 us a case), few
# enough that a chunk's arrays stay small.
_CHUNK = 4096
# The first chunk is packed while nothing runs yet: a small one starts the
# library's threads sooner, and the rest is packed while they run.
_FIRST_CHUNK = 256
# Cases per task sent to a Dask worker: many runs per task, so that the
# scheduler's cost per task stays small, and tasks enough to spread them.
_DASK_CHUNK = 2000

# The report's fields named as a case key is (the breach location and hole
# diameter the run used) are renamed in a study's table, beside the keys.
_USED = {"breach_location_m": "breach_location_used_m", "hole_diameter_m": "hole_diameter_used_m"}


# The library takes its thread count as a C int.
_MOST_JOBS = 2**31 - 1


def threads_of(jobs):
    """The library's thread count for jobs: None or 0 every core, n > 0 n threads."""
    if jobs is None:
        return 0
    if isinstance(jobs, (bool, np.bool_)) or not isinstance(jobs, numbers.Integral):
        raise TypeError(f"jobs must be None or 0 (every core) or a whole number of threads above 0, not {jobs!r}")
    if not 0 <= jobs <= _MOST_JOBS:
        raise ValueError(f"jobs must be None or 0 (every core) or a whole number of threads from 1 to "
                         f"{_MOST_JOBS}, not {jobs}")
    return int(jobs)


def _count_of(count):
    """The number of cases a generator gives, when told: None or a whole number from 0."""
    if count is None:
        return None
    if isinstance(count, (bool, np.bool_)) or not isinstance(count, numbers.Integral):
        raise TypeError(f"count must be None or a whole number of cases, not {count!r}")
    if count < 0:
        raise ValueError(f"count must be None or a whole number of cases from 0, not {count}")
    return int(count)


# ---- the arrays of a chunk ----

def _require_sweepable(cases):
    """The sweep entry takes the one-call arrays, a material or an ideal gas,
    the valves and the inputs beyond the arrays: a composition, a named gas,
    a breach beyond the one-call range or a hole only the reference takes run
    case by case with brimlow.run."""
    values = [case._values for case in cases]
    # A named gas has a material name but no material number.
    if any(v["composition"] is not None or (v["material"] is not None and not case._material_number)
           for case, v in zip(cases, values)):
        raise ValueError("brimlow.sweep runs materials and ideal gases; a composition or a named gas runs with "
                         "brimlow.run, case by case")
    if not all(case._arrays.fits_one_call for case in cases) or \
            any(v["model"] == "reference" and _hole_for_the_reference(v) for v in values):
        raise ValueError("brimlow.sweep runs a breach and valves within the one-call ranges and holes the fast model "
                         "takes; a farther breach or valve or a smaller hole runs with brimlow.run, case by case")


def _end_or_zero(value):
    # The library's 0: the reference runs to the release's own end.
    return 0.0 if value is None else float(value)


# The keys of inputs the one-call arrays do not hold, set on each case's model
# after its arrays as brimlow.run sets them (VorlSweepRunWithInputs): key,
# input number, what a new model holds, the library's value of the key's.
_EXTRA_KEYS = [(name, index, default, partial(library_value, name)) for name, index, default in OUTSIDE_ONE_CALL] + [
    ("reference_end", lib.VorlInputFind(b"reference end time"), _end_or_zero(None), _end_or_zero),
    ("real_gas", lib.VorlInputFind(b"reference real gas flag"), 0.0, float),
]


def _extra_columns(values):
    """The extra inputs of a chunk: those in which some case differs from a new
    model (each distinct value converted once)."""
    numbers, columns = [], []
    for name, index, default, convert in _EXTRA_KEYS:
        column = list(map(itemgetter(name), values))
        if any(convert(value) != default for value in set(column)):
            numbers.append(index)
            columns.append(list(map(convert, column)))
    inputs = np.array(numbers, dtype=np.intc)
    values = np.ascontiguousarray(np.array(columns, dtype=np.float64).T) if columns else np.zeros(0)
    return inputs, values


class _Packed:
    """A chunk of cases as VorlSweepRun reads them: one row per case of the
    one-call arrays, each gas, model choice and the valves. Plain numpy
    arrays: what a Dask worker is sent."""

    def __init__(self, cases):
        # Column by column over the chunk: each array in one numpy call, the
        # values read through C-level maps rather than a Python loop a case.
        n = len(cases)
        _require_sweepable(cases)
        values = [case._values for case in cases]
        arrays = [case._arrays for case in cases]
        self.count = n
        self.materials = np.fromiter(map(attrgetter("_material_number"), cases), np.intc, n)
        # A material's case has no molar mass: 0 tells the library to take the material.
        self.weights = np.fromiter((w or 0.0 for w in map(itemgetter("molar_mass_kg_per_kmol"), values)),
                                   np.float64, n)
        self.models = np.fromiter(map(_MODELS.__getitem__, map(itemgetter("model"), values)), np.intc, n)
        if n:
            self.flags = np.concatenate(list(map(attrgetter("flags"), arrays)))
            self.inputs = np.concatenate(list(map(attrgetter("inputs"), arrays)))
            self.divisions = np.concatenate(list(map(attrgetter("time_division"), arrays)))
            self.steps = np.concatenate(list(map(attrgetter("max_steps"), arrays)))
        else:
            self.flags, self.inputs = np.zeros(0, np.intc), np.zeros(0)
            self.divisions, self.steps = np.zeros(0, np.intc), np.zeros(0, np.intc)
        self.extra_inputs, self.extra_values = _extra_columns(values)
        counts = np.fromiter(map(len, map(itemgetter("valves"), values)), np.intc, n)
        self.starts = np.zeros(n + 1, np.intc)
        np.cumsum(counts, out=self.starts[1:])
        with_valves = [case._arrays for case, count in zip(cases, counts) if count]
        self.positions = np.concatenate([a.positions for a in with_valves]) if with_valves else np.zeros(0)
        self.closures = np.concatenate([a.closures for a in with_valves]) if with_valves else np.zeros(0)


class _Outcome:
    """What the library wrote for a chunk."""

    def __init__(self, count, times):
        self.report = np.empty((count, len(_REPORT.names)))
        self.pipe = np.empty((count, len(times), len(_PIPE.names))) if len(times) else None
        self.status = np.full(count, -1, np.intc)  # -1: not written (the sweep was refused)
        self.codes = np.empty(count, np.intc)


class _Stop:
    """The library's progress callback: moves the bar, and stops the sweep on Ctrl-C."""

    def __init__(self, bar, done, count, ctrl_c):
        self.bar, self.done, self.count, self.ctrl_c = bar, done, count, ctrl_c
        self.callback = VorlProgress(self._on_progress)  # kept referenced for the length of the call

    def _on_progress(self, fraction, _user):
        if self.ctrl_c.pressed:
            return 0
        try:
            if self.bar.total:
                self.bar.show((self.done + fraction * self.count) / self.bar.total)
            return 1
        except KeyboardInterrupt:
            self.ctrl_c.pressed = True
            return 0


def _run_packed(packed, threads, times, tolerance, bar=None, done=0, ctrl_c=None):
    """One foreign call: every case of the chunk, on the library's threads."""
    out = _Outcome(packed.count, times)
    if not packed.count:  # every case of the chunk refused when it was made
        return out
    stop = _Stop(bar or TextBar(packed.count, False), done, packed.count, ctrl_c or CtrlC())
    with _library.Reports() as reports:
        lib.VorlSweepRunWithInputs(packed.count, packed.materials, packed.weights, packed.models, packed.flags,
                                   packed.inputs, packed.divisions, packed.steps, packed.starts, packed.positions,
                                   packed.closures, len(packed.extra_inputs), packed.extra_inputs,
                                   packed.extra_values, threads, times, len(times), tolerance, len(tolerance),
                                   out.report, out.pipe, out.status, out.codes, stop.callback, None)
    stop.ctrl_c.raise_if_pressed()
    if packed.count and not (out.status >= 0).all():
        reports.raise_first_error()
    return out


# ---- the study's table ----

def _key_dtype(key):
    if key.kind in ("text", "material", "valves", "model", "supply", "composition"):
        return object
    if key.kind == "flag":
        return np.bool_
    if key.kind == "integer":
        return np.int64
    return np.float64


_INPUT_KEYS = [key for key in KEYS]
_REPORT_NAMES = [_USED.get(name, name) for name in _REPORT.names]
_DTYPE = np.dtype([(key.name, _key_dtype(key)) for key in _INPUT_KEYS] + [("status", "U7"), ("code", np.int32)] +
                  [(name, np.float64) for name in _REPORT_NAMES])


def _slot_columns(packed):
    """The columns of the keys the one-call arrays hold, straight from a chunk's arrays."""
    n = packed.count
    flags, inputs = packed.flags.reshape(n, _FLAGS_WIDTH), packed.inputs.reshape(n, _INPUTS_WIDTH)
    columns = {}
    for slot, source in ((_slot("FLAGS"), flags), (_slot("INPUTS"), inputs)):
        for name, element in _SLOT_KEYS[slot]:
            columns[name] = source[:, element]
    for slot, source in ((_slot("TIME_DIVISION"), packed.divisions), (_slot("MAX_STEPS"), packed.steps)):
        for name, _element in _SLOT_KEYS[slot]:
            columns[name] = source
    return columns


def _input_column(key, values):
    column = map(itemgetter(key.name), values)
    if key.kind == "optional":
        return np.array(list(column), np.float64)  # None, the key left out, becomes NaN
    if _key_dtype(key) is object:
        objects = np.empty(len(values), object)
        objects[:] = list(column)
        return objects
    return np.fromiter(column, _key_dtype(key), len(values))


def _fill_rows(rows, cases, packed, out):
    # A chunk with refused cases takes every column from the cases' values.
    from_arrays = _slot_columns(packed) if packed.count == len(cases) else {}
    values = [case._values for case in cases]
    for key in _INPUT_KEYS:
        column = from_arrays.get(key.name)
        rows[key.name] = column if column is not None else _input_column(key, values)
    rows["status"] = _STATUS_WORDS[np.clip(out.status, 0, len(_STATUS_WORDS) - 1)]
    rows["code"] = out.codes
    for i, name in enumerate(_REPORT_NAMES):
        rows[name] = out.report[:, i]


def _case_of_row(table, index):
    """The case of row index of a study's table: the keys as it holds them."""
    values = {}
    for key in _INPUT_KEYS:
        value = table[key.name][index]
        if key.kind == "optional":
            value = None if np.isnan(value) else float(value)
        elif key.kind == "flag":
            value = bool(value)
        elif key.kind == "integer":
            value = int(value)
        elif key.kind == "number":
            value = float(value)
        elif key.kind == "valves":
            value = [dict(v) for v in value]
        values[key.name] = value
    if values.get("hole_diameter_m") is not None:
        values["aperture"] = None
    if values.get("molar_mass_kg_per_kmol") is not None:
        values["material"] = None
    return Case(**values)


# numpy fills every field of every row of a new structured array that holds
# objects (82 fields: about 2 to 3 us a row here), and a column written into a
# field of it touches a cache line a row: work that a sweep's helper would do
# beside the library's threads. So a sweep fills its table as columns, an
# array for each field, and the structured table is made once, when first
# asked for.
class _Columns:
    """A study's table as columns, read and written by field name as the
    structured array is."""

    def __init__(self, size):
        self.columns = {name: np.empty(size, _DTYPE[name]) for name in _DTYPE.names}

    def __len__(self):
        return len(self.columns["code"])

    def __getitem__(self, name):
        return self.columns[name]

    def __setitem__(self, name, column):
        self.columns[name][...] = column

    def part(self, start, end):
        """Rows start to end, a view."""
        view = _Columns(0)
        view.columns = {name: column[start:end] for name, column in self.columns.items()}
        return view

    def structured(self):
        table = np.empty(len(self), _DTYPE)
        for name, column in self.columns.items():
            table[name] = column
        return table


class Study:
    """The results of a sweep.

    report: one row per case in the order of the cases: every case key, the
        case's status ("ok", "failed", "not run") and code (0, the library's
        code of its first warning, or of its failure), then the fields of the
        release report (the breach location and hole diameter the run used as
        breach_location_used_m and hole_diameter_used_m). A pandas DataFrame
        when pandas is installed, else a numpy structured array (rows: the
        structured array is study.rows either way).
    study[i]: the full result of case i (brimlow.Result), run again when asked for;
        i an integer, negative from the end (IndexError beyond the cases,
        TypeError for anything else); a slice gives a list.
    pipe: with times= given to the sweep, the pipe table at those times,
        an array of shape (cases, times) with the pipe table's fields.
    units, meanings: of the report's columns.
    """

    def __init__(self, rows, pipe=None, times=None):
        self._table = rows  # the structured array, or the columns a sweep filled
        self.pipe = pipe
        self.times = times

    @property
    def rows(self):
        """The report as a numpy structured array (made at the first call)."""
        if isinstance(self._table, _Columns):
            self._table = self._table.structured()
        return self._table

    def __len__(self):
        return len(self._table)

    def __getitem__(self, index):
        if isinstance(index, slice):
            return [self[i] for i in range(*index.indices(len(self)))]
        return run(self.case(index), warn=False)

    def _row_number(self, index):
        """A row by its number, from the end when negative, as a list takes it."""
        if isinstance(index, (bool, np.bool_)) or not isinstance(index, numbers.Integral):
            raise TypeError(f"a study's case is found by its number (an integer), not {type(index).__name__}")
        if not -len(self) <= index < len(self):
            raise IndexError(f"case {index} is beyond the study's {len(self)} cases")
        return int(index)

    def __iter__(self):
        return (self[i] for i in range(len(self)))

    def __repr__(self):
        return f"<brimlow.Study of {len(self)} cases, {int(self.failed.size)} failed>"

    def case(self, index):
        """The case of row index."""
        return _case_of_row(self._table, self._row_number(index))

    @property
    def report(self):
        try:
            import pandas
        except ImportError:
            return self.rows
        return pandas.DataFrame({name: self._table[name] for name in _DTYPE.names})

    @property
    def failed(self):
        """The indices of the cases that did not finish (refused, failed or not run)."""
        return np.flatnonzero(self._table["status"] != "ok")

    @property
    def units(self):
        units = {key.name: key.unit for key in _INPUT_KEYS}
        units.update(zip(_REPORT_NAMES, (_REPORT.units[n] for n in _REPORT.names)))
        return units

    @property
    def meanings(self):
        meanings = {key.name: key.meaning for key in _INPUT_KEYS}
        meanings.update(zip(_REPORT_NAMES, (_REPORT.meanings[n] for n in _REPORT.names)))
        return meanings

    def plot(self, x, y, by=None, path=None, ax=None):
        """A key figure y against a swept input x, one line per value of the
        input by (default: the one other input that varies, if any). Saved to
        path when given; returns the matplotlib figure."""
        from .plot import study_figure
        return study_figure(self, x, y, by, path, ax)

    def __reduce__(self):
        return (Study, (self._table, self.pipe, self.times))


def _warn_of(rows):
    """One warning per code of the cases that warned or failed, with how many."""
    codes = rows["code"]
    for status, verb in (("ok", "warned"), ("failed", "failed"), ("not run", "were not run")):
        chosen = rows["status"] == status
        for code in np.unique(codes[chosen & (codes != 0)]):
            which = np.flatnonzero(chosen & (codes == code))
            text = _library.CODE_TEXTS.get(int(code), "")
            warnings.warn(f"{which.size} of {len(rows)} cases {verb}: {text} (VORL {int(code)} "
                          f"{_library.CODE_NAMES.get(int(code), '')}; first: case {which[0]}; "
                          f"study[{which[0]}] runs it alone)", BrimlowWarning, stacklevel=3)


def _chunks(cases, size, first=None):
    """The cases as given, in lists of size (the first of first when given)."""
    chunk, wanted = [], first or size
    for case in cases:
        chunk.append(case)
        if len(chunk) == wanted:
            yield chunk
            chunk, wanted = [], size
    if chunk:
        yield chunk


def _accepted(chunk):
    return [case for case in chunk if not isinstance(case, Refusal)]


def _packed(given):
    """A chunk's cases (Case objects made of dicts, or the Refusals of dicts
    the library refused) and the arrays of those it runs."""
    chunk = list(map(case_or_refusal, given))
    return chunk, _Packed(_accepted(chunk))


def _with_refusals(chunk, packed, out):
    """The outcome of the chunk's cases that ran, with a row for each refused
    when it was made: failed, the code of its refusal and NaN, as the library
    writes a case it refuses."""
    if packed.count == len(chunk):
        return out
    ran = np.array([not isinstance(case, Refusal) for case in chunk])
    whole = _Outcome(len(chunk), ())
    whole.report = np.full((len(chunk),) + out.report.shape[1:], np.nan)
    whole.report[ran] = out.report
    if out.pipe is not None:
        whole.pipe = np.full((len(chunk),) + out.pipe.shape[1:], np.nan)
        whole.pipe[ran] = out.pipe
    whole.status[:] = _STATUS_FAILED
    whole.status[ran] = out.status
    whole.codes[:] = [0 if ok else case.error.code for case, ok in zip(chunk, ran)]
    whole.codes[ran] = out.codes
    return whole


class _Rows:
    """The study's table, grown chunk by chunk (to the number of cases when known)."""

    def __init__(self, expected):
        self.expected = expected
        self.rows = None
        self.count = 0

    def add(self, cases, packed, out):
        end = self.count + len(cases)
        if self.rows is None:
            self.rows = _Columns(max(self.expected or _CHUNK, end))
        if end > len(self.rows):
            # Half as much again: the old and the new table are held together for a moment.
            grown = _Columns(max(end, len(self.rows) + len(self.rows) // 2))
            old = self.rows.part(0, self.count)
            for name in _DTYPE.names:
                grown[name][:self.count] = old[name]
            self.rows = grown
        _fill_rows(self.rows.part(self.count, end), cases, packed, out)
        self.count = end

    def table(self):
        # A view: a copy of a million rows would double the memory at the end.
        return self.rows.part(0, self.count) if self.rows is not None else np.empty(0, _DTYPE)


def sweep(cases, jobs=None, progress=False, client=None, times=None, tolerance=0.0, count=None):
    """Runs every case and returns a Study: the release report of each case,
    one row per case in their order.

    cases: brimlow.Case objects (or dicts of their keys), any iterable; a
        generator is read chunk by chunk, so that a million cases never stand
        in memory at once.
    jobs: the library's threads: None or 0 every core, n > 0 n threads (up
        to the library's C int); anything else is refused (TypeError, ValueError).
    progress: a text bar on standard error (for cases given as a sized
        collection, of which the bar knows the number).
    client: a dask.distributed Client: chunks of cases run on its workers
        (each on jobs threads of its own machine).
    times, tolerance: the pipe table at these times (s) for every case, in
        study.pipe; each time looked up within tolerance (s).
    count: the number of cases when they come from a generator (None or a
        whole number from 0; else TypeError, ValueError): the table
        is then made once at its size (without it, it grows by half as
        much again when full, and holds up to twice the rows' memory at
        its last growth).
    A case that is refused or fails does not stop the others: its row has
    status "failed" and its code (the library's refusal of a dict's values
    when its case is made too; study[i] raises it), and a BrimlowWarning
    says how many. A dict that is no case (an unknown key, a value of the
    wrong type) raises ValueError or TypeError, and so does a case the sweep
    entry cannot carry (a composition, ...): the sweep stops there.
    Ctrl-C stops the sweep within a fraction of a second."""
    threads = threads_of(jobs)
    count = _count_of(count)
    times = np.ascontiguousarray([] if times is None else times, dtype=np.float64).reshape(-1)
    tolerance = np.ascontiguousarray(tolerance, dtype=np.float64).reshape(-1)
    expected = len(cases) if hasattr(cases, "__len__") else count
    bar = TextBar(expected, progress and bool(expected))
    rows = _Rows(expected)
    pipes = []

    def record(chunk, packed, out):
        out = _with_refusals(chunk, packed, out)
        rows.add(chunk, packed, out)
        if out.pipe is not None:
            pipes.append(_PIPE.table(out.pipe.reshape(-1, len(_PIPE.names))).reshape(out.pipe.shape[:2]))

    if client is not None:
        for outcome in _sweep_on_dask(cases, client, threads, times, tolerance, bar):
            record(*outcome)
    else:
        _sweep_here(cases, threads, times, tolerance, bar, record)
    bar.show(1.0)
    table = rows.table()
    _warn_of(table)
    pipe = np.concatenate(pipes) if pipes else None
    return Study(table, pipe, times if len(times) else None)


def _sweep_here(cases, threads, times, tolerance, bar, record):
    """The chunks run in turn on the calling thread, so that Ctrl-C reaches the
    progress callback. A foreign call lets go of the interpreter, so a helper
    thread packs the next chunk and records the one before while the library
    runs: the sweep's serial Python overlaps the runs instead of adding to them.
    The cases are read on the calling thread alone (a generator over a
    database connection may be bound to it)."""
    chunks = _chunks(cases, _CHUNK, _FIRST_CHUNK)
    with CtrlC() as ctrl_c, ThreadPoolExecutor(1, thread_name_prefix="brimlow-sweep") as helper:
        recorded = []
        given = next(chunks, None)
        following = _packed(given) if given is not None else None
        done = 0
        while following is not None:
            ctrl_c.raise_if_pressed()
            chunk, packed = following
            given = next(chunks, None)
            coming = helper.submit(_packed, given) if given is not None else None  # run in the order given
            out = _run_packed(packed, threads, times, tolerance, bar, done, ctrl_c)
            recorded.append(helper.submit(record, chunk, packed, out))
            done += len(chunk)
            following = coming.result() if coming is not None else None
        for future in recorded:
            future.result()
        ctrl_c.raise_if_pressed()


def _run_on_worker(packed, threads, times, tolerance):
    # On a Dask worker: the same foreign call, its outcome sent back.
    return _run_packed(packed, threads, times, tolerance)


def _sweep_on_dask(cases, client, threads, times, tolerance, bar):
    from distributed import as_completed  # optional: Debian's python3-distributed
    chunks = [list(map(case_or_refusal, given)) for given in _chunks(cases, _DASK_CHUNK)]
    packs = [_Packed(_accepted(chunk)) for chunk in chunks]
    futures = client.map(_run_on_worker, packs, threads=threads, times=times, tolerance=tolerance, pure=False)
    if bar.enabled:
        sizes = {future.key: len(chunk) for future, chunk in zip(futures, chunks)}
        for future in as_completed(futures):
            bar.advance(sizes[future.key])
    for chunk, packed, out in zip(chunks, packs, client.gather(futures)):
        yield chunk, packed, out


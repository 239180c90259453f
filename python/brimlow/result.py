"""Running a case and its results as numpy arrays: the library's own tables.

Every table comes from the library in one call (a branch's records, the pipe
at many times, the release report, the events), its columns named by the
library. The library's 1e128 for an infinite time or mass is +inf here.
"""
import threading
import warnings

import numpy as np

from . import _library
from ._interface import VorlProgress
from ._library import lib
from .errors import BrimlowError, BrimlowWarning

# The library writes 1e128 for an infinite time; values from 9e127 up stand for it.
_LIBRARY_INFINITY = 9e127
_INFINITE_SUFFIX = "_is_infinite"
_BRANCH_A = _library.CONSTANTS["VORL_BRANCH_A"]
_BRANCH_B = _library.CONSTANTS["VORL_BRANCH_B"]


class Table(np.ndarray):
    """A table of the library as a numpy structured array, one field per column
    (table["exit_flux_kg_per_s"]); .units and .meanings name each column's."""

    def __array_finalize__(self, source):
        self._columns = getattr(source, "_columns", None)

    def __reduce__(self):
        # A numpy array pickles its values alone: its columns go with them, by
        # the name of the library's table (the units and meanings stay here).
        rebuild, arguments, state = super().__reduce__()
        return rebuild, arguments, (state, self._columns)

    def __setstate__(self, state):
        array_state, self._columns = state
        super().__setstate__(array_state)

    @property
    def units(self):
        return self._columns.units if self._columns else {}

    @property
    def meanings(self):
        return self._columns.meanings if self._columns else {}

    @property
    def columns(self):
        return list(self.dtype.names or ())

    def to_pandas(self):
        """The table as a pandas DataFrame (pandas is optional)."""
        import pandas
        return pandas.DataFrame({name: np.asarray(self[name]) for name in self.columns})


_COLUMNS = {}  # the columns of each of the library's tables, by the name of the table


def _columns_of(family):
    return _COLUMNS[family]


class _Columns:
    """The columns of one of the library's tables: names, units, meanings."""

    def __init__(self, family, library_infinity=True):
        self.family = family
        _COLUMNS[family] = self
        count = getattr(lib, f"Vorl{family}ColumnCount")()

        def texts(what):
            copy = getattr(lib, f"Vorl{family}Column{what}", None)  # not every table has meanings
            return {name: _library.copied_text(copy, i) if copy else "" for i, name in enumerate(self.names)}

        self.names = [_library.copied_text(getattr(lib, f"Vorl{family}ColumnName"), i) for i in range(count)]
        self.units = texts("Unit")
        self.meanings = texts("Meaning")
        # The fast model's tables write 1e128 for an infinite time or mass.
        self.library_infinity = library_infinity
        self.dtype = np.dtype([(name, np.float64) for name in self.names])
        self._dtypes = {}  # the dtypes of column selections, by their names
        # A column "<quantity>_is_infinite" flags the rows whose quantity grows
        # without end (the fed branch at its infinite time): that quantity is inf.
        self.infinite_flags = []
        for flag, name in enumerate(self.names):
            if name.endswith(_INFINITE_SUFFIX):
                stem = name[:-len(_INFINITE_SUFFIX)] + "_"
                quantity = next(i for i, n in enumerate(self.names) if n.startswith(stem) and i != flag)
                self.infinite_flags.append((flag, quantity))

    def table(self, values, names=None):
        """A Table over row-major values (rows x columns doubles), without a
        copy; names: the columns the values hold, when not every column."""
        if self.library_infinity:
            values[values >= _LIBRARY_INFINITY] = np.inf
        if names is None:
            for flag, quantity in self.infinite_flags:
                column = values[:, quantity]  # a view: a 1-D mask on it is cheaper than one on the table
                column[values[:, flag] != 0.0] = np.inf
        table = values.view(self.dtype if names is None else self._dtype_of(names)).reshape(-1).view(Table)
        table._columns = self
        return table

    def numbers(self, names):
        """The library's numbers of the named columns (ValueError for a name
        that is not one of them)."""
        if isinstance(names, str):
            names = [names]
        names = list(names)
        if not names:
            raise ValueError("columns: no column asked for (give at least one)")
        unknown = [name for name in names if name not in self.names]
        if unknown:
            raise ValueError(f"{unknown[0]!r} is not a column of the {self.family}; its columns: "
                             f"{', '.join(self.names)}")
        repeated = [name for i, name in enumerate(names) if name in names[:i]]
        if repeated:
            # A structured table has each field once.
            raise ValueError(f"columns: {repeated[0]!r} is asked for twice; a table holds a column once")
        return np.array([self.names.index(name) for name in names], dtype=np.intc)

    def _dtype_of(self, names):
        names = tuple(names)
        if names not in self._dtypes:
            self._dtypes[names] = np.dtype([(name, np.float64) for name in names])
        return self._dtypes[names]

    def __reduce__(self):
        return (_columns_of, (self.family,))

    def empty(self):
        return self.table(np.zeros((0, len(self.names))))


_BRANCH = _Columns("BranchTable")
_PIPE = _Columns("PipeTable")
_REPORT = _Columns("ReleaseReport")
_REFERENCE = _Columns("ReferenceTable", library_infinity=False)

_EVENT_PREFIX = "VORL_EVENT_"
EVENT_KINDS = {value: name[len(_EVENT_PREFIX):].lower()
               for name, value in _library.CONSTANTS.items() if name.startswith(_EVENT_PREFIX)}
_EVENTS_DTYPE = np.dtype([("kind", "U32"), ("branch", "U1"), ("time_s", np.float64), ("position_m", np.float64)])


def _branch_table(model, branch):
    rows = lib.VorlBranchTableFill(model, branch, None, 0)
    values = np.empty((rows, len(_BRANCH.names)))
    written = lib.VorlBranchTableFill(model, branch, values, rows)
    return _BRANCH.table(values[:written])


def _pipe_grid_table(model, count):
    rows = lib.VorlPipeGridTableFill(model, count, None, 0)
    values = np.empty((rows, len(_PIPE.names)))
    written = lib.VorlPipeGridTableFill(model, count, values, rows)
    return _PIPE.table(values[:written])


# VorlReleaseCurveRange writes the start and end of the plot and each
# branch's carried-from time.
_CURVE_RANGE = ("start_s", "end_s", "a_carried_from_s", "b_carried_from_s")


def _release_curve(model, count):
    rows = _library.call(lib.VorlReleaseCurveFill, model, count, None, 0)
    values = np.empty((rows, lib.VorlReleaseCurveColumnCount()))
    written = _library.call(lib.VorlReleaseCurveFill, model, count, values, rows)
    span = np.empty(len(_CURVE_RANGE))
    _library.call(lib.VorlReleaseCurveRange, model, count, span)
    return dict(zip(_CURVE_RANGE, span.tolist()), points=values[:written])


def _reference_curve(model):
    """With the reference chosen, its own series at its report times laid out
    as the library's release curve: series 0 total, 1 branch A, 2 branch B."""
    names = _REFERENCE.names
    rows = _library.call(lib.VorlReferenceTableFill, model, None, 0)
    values = np.empty((rows, len(names)))
    rows = _library.call(lib.VorlReferenceTableFill, model, values, rows)
    column = {name: values[:rows, j] for j, name in enumerate(names)}
    time = column["time_s"]
    points = []
    for series, prefix in ((0, ""), (1, "a_"), (2, "b_")):
        rate, mass = column[prefix + "release_rate_kg_per_s"], column[prefix + "mass_released_kg"]
        keep = np.isfinite(rate) & np.isfinite(mass)
        points.append(np.column_stack([np.full(keep.sum(), float(series)), time[keep], rate[keep], mass[keep]]))
    after = time[time > 0.0]
    return {"start_s": float(after[0]) if len(after) else 0.0, "end_s": float(time[-1]) if rows else 0.0,
            "a_carried_from_s": 1e128, "b_carried_from_s": 1e128, "points": np.vstack(points)}


def _summary(model):
    values = np.empty(len(_REPORT.names))
    lib.VorlReleaseReportFill(model, values, 1)
    return dict(zip(_REPORT.names, values.tolist()))


def _impact_radius(model):
    """The potential impact radius (m) of a natural-gas line, None when the
    library says the gas is no natural gas."""
    if not lib.VorlModelIsNaturalGas(model):
        return None
    return lib.VorlPotentialImpactRadius(model, None, None)


def _events(model):
    count = lib.VorlEventCount(model)
    kinds = np.empty(count, dtype=np.intc)
    branches = np.empty(count, dtype=np.intc)
    times = np.empty(count)
    positions = np.empty(count)
    count = lib.VorlEventsFill(model, kinds, branches, times, positions, count)
    events = np.empty(count, dtype=_EVENTS_DTYPE)
    events["kind"] = [EVENT_KINDS.get(int(kind), str(kind)) for kind in kinds[:count]]
    events["branch"] = ["A" if branch == _BRANCH_A else "B" for branch in branches[:count]]
    events["time_s"] = times[:count]
    events["position_m"] = positions[:count]
    return events


def _layout(model):
    if lib.VorlIsDoubleBranch(model):
        return "double branch"
    if lib.VorlIsSingleBranchA(model):
        return "single branch A"
    if lib.VorlIsSingleBranchB(model):
        return "single branch B"
    return "no branch"


class Result:
    """The results of one run of a case.

    branch_a, branch_b: the record tables of the branches (Table; no rows for a
        branch the breach does not make), one row per stored step, row 0 the
        steady flow before the breach.
    summary: the release report (dict of the library's fields: the tool's JSON summary).
    potential_impact_radius_m: the screening radius of a natural-gas line
        (the tool's JSON potential_impact_radius_m), None for another gas.
    events: dechoke, whole branch disturbed, flow reversal, depressurised and
        valve closures, in the order of time (a structured array).
    pipe(times): the pipe as a whole at any times; pipe() at the tool's output times.
    warnings: the library's warnings of the run, (code, tag, message) each.

    The summary, the events and pipe() are read from the library when first
    asked for (the release report alone costs several runs' time); a result
    that lets its model go (a sweep's) has read them all before.

    A result may be read from several threads at once: the library's model
    behind it keeps one time setting, so its calls take turns (a lock per
    result).
    """

    def __init__(self, case, model, layout, branch_a, branch_b, reports, read=None):
        self.case = case
        self.layout = layout
        self.branch_a = branch_a
        self.branch_b = branch_b
        self.warnings = reports
        self._read = dict(read or {})  # the tables read on demand, by name
        self._model = model
        self._lock = threading.RLock()  # one call at a time on the model

    @property
    def summary(self):
        return self._table("summary")

    @property
    def events(self):
        return self._table("events")

    @property
    def release_curve(self):
        """The release curve as the library lays it out for a plot: points
        (rows of series 0 total, 1 branch A, 2 branch B; time s, 0 the instant
        of the breach; release rate kg/s; mass released kg), the plot's
        start_s and end_s, and from when a fed branch holds its last rate
        (a_carried_from_s, b_carried_from_s; 1e128: never)."""
        return self._table("curve")

    @property
    def potential_impact_radius_m(self):
        """The potential impact radius (m) by which US operators screen
        natural-gas lines, 0.69 d sqrt(p) ft (49 CFR 192.903, d in inches, p in
        psig; the bore and the upstream pressure): for a natural gas as the
        library judges it (methane, a natural-gas composition), else None."""
        return self._table("impact radius")

    def _table(self, name, warn=True):
        with self._lock:
            if name not in self._read:
                with _library.Reports() as reports:
                    self._read[name] = _READERS[name](self._live_model(), self.case)
                    reports.raise_first_error()
                self._add_warnings(reports.warnings(), warn)
            return self._read[name]

    def _read_all(self, warn=True):
        for name in _READERS:
            self._table(name, warn)

    def _add_warnings(self, found, warn=True):
        new = [report for report in found if report not in self.warnings]
        self.warnings = self.warnings + new
        if warn:
            emit_warnings(new, stacklevel=4)

    def __del__(self):
        self.close()

    def close(self):
        """Deletes the library's model behind the result (pipe() runs the case again)."""
        lock = getattr(self, "_lock", None)
        if lock is None:
            return
        with lock:
            model, self._model = self._model, None
            if model:
                _library.delete_model(model)

    def __reduce__(self):
        # Sent between processes with every table and without its model.
        self._read_all()
        return (_restored, (self.case, self.layout, self.branch_a, self.branch_b, self.warnings, self._read))

    def __repr__(self):
        return (f"<brimlow.Result {self.layout}: {len(self.branch_a)} records A, {len(self.branch_b)} records B, "
                f"initial release rate {self.summary.get('initial_release_rate_kg_per_s', float('nan')):.6g} kg/s>")

    def pipe(self, times=None, tolerance=0.0, columns=None):
        """The pipe as a whole (release rate, masses, post-flash state) at each of
        times (s), in one call of the library; each time looked up within
        tolerance (s; one for all, or one per time). Without times: the tool's
        pipe table at the run's own output times (pipe.csv).
        columns: the names of the columns wanted (default: every column), in
        the order wanted; the library computes only those, and the post-flash
        expansion (the costliest part of a row) only for a postflash_ column;
        no column, or one named twice, raises ValueError.
        Every value is the one the full table holds. A reference result
        (model "reference") is read from the reference's report times, linear
        between them; past the end of its run (reference_end) the values read
        from the run are NaN, as the library gives them, with no error."""
        if times is None:
            table = self._table("pipe")
            if columns is None:
                return table
            names = [_PIPE.names[j] for j in _PIPE.numbers(columns)]
            return _PIPE.table(np.column_stack([table[name] for name in names]), names)
        times = np.ascontiguousarray(times, dtype=np.float64).reshape(-1)
        tolerances = np.ascontiguousarray(tolerance, dtype=np.float64).reshape(-1)
        if columns is None:
            values = np.empty((len(times), len(_PIPE.names)))
            with self._lock, _library.Reports():
                written = _library.call(lib.VorlPipeTableFill, self._live_model(), times, len(times), tolerances,
                                        len(tolerances), values, len(times))
            return _PIPE.table(values[:written])
        numbers = _PIPE.numbers(columns)
        values = np.empty((len(times), len(numbers)))
        with self._lock, _library.Reports():
            written = _library.call(lib.VorlPipeTableColumnsFill, self._live_model(), times, len(times), tolerances,
                                    len(tolerances), numbers, len(numbers), values, len(times))
        return _PIPE.table(values[:written], [_PIPE.names[j] for j in numbers])

    def _live_model(self):
        if not self._model:
            # Released (a sweep's result) or sent from another process: the
            # same case runs again to the same records, bit for bit.
            self._model = run(self.case, warn=False)._take_model()
        return self._model

    def _take_model(self):
        model, self._model = self._model, None
        return model

    def to_pandas(self, table):
        """One of "branch_a", "branch_b", "pipe", "events" as a pandas DataFrame."""
        import pandas
        if table == "pipe":
            return self.pipe().to_pandas()
        if table == "events":
            return pandas.DataFrame(self.events)
        return getattr(self, table).to_pandas()

    def plot(self, path=None, ax=None):
        """The figure of `brimlow run --plot` (matplotlib): release rate and mass
        released on a logarithmic time axis, branches and total, events marked.
        Saved to path when given; returns the matplotlib figure."""
        from .plot import release_figure
        return release_figure(self, path)


def _restored(case, layout, branch_a, branch_b, reports, read):
    return Result(case, None, layout, branch_a, branch_b, reports, read)


# The tables a result reads when first asked for: name -> reader(model, case).
_READERS = {
    "summary": lambda model, _case: _summary(model),
    "events": lambda model, _case: _events(model),
    "impact radius": lambda model, _case: _impact_radius(model),
    "pipe": lambda model, case: _pipe_grid_table(model, min(case.time_division, case.output_steps)),
    "curve": lambda model, case: _reference_curve(model) if case.model == "reference" else
    _release_curve(model, min(case.time_division, case.output_steps)),
}


def emit_warnings(reports, stacklevel=3):
    for code, tag, message in reports:
        warnings.warn(f"{message} (VORL {code} {_library.CODE_NAMES.get(code, '')}, {tag})", BrimlowWarning,
                      stacklevel=stacklevel)


# What only the reference takes, by the library's refusal of it in the fast
# model: the case key at fault. The library names its own reference entry;
# here the answer is the case's model.
_ONLY_THE_REFERENCE = {
    "VORL_E_FAST_MODEL_SUPPLY": ("supply", "supply_trip_time_s"),
    "VORL_E_FAST_MODEL_VALVE_CLOSING": ("valve_detection_delay_s", "valve_closing_duration_s"),
}


def _run_fast(model, case):
    from .case import _KEY_BY_NAME
    try:
        _library.call(lib.VorlRun, model)
    except BrimlowError as error:
        keys = _ONLY_THE_REFERENCE.get(error.code_name)
        if keys is None:
            raise case._keyed(error) from None
        key = next((k for k in keys if getattr(case, k) != _KEY_BY_NAME[k].default), keys[0])
        message = error.message.split(";")[0] + "; " + key + " needs model='reference' (or brimlow.reference(case))"
        raise BrimlowError(error.code, error.code_name, error.tag, message, key=key) from None


def run(case, keep_model=True, warn=True):
    """Runs a case (brimlow.Case, or a dict of its keys) and reads its branch tables
    (the other tables when first asked for). With model="reference" the summary,
    events, pipe(), release curve and plot are the reference solution's (to the
    case's reference_end, else the end of the release; the fast model's branch
    tables are empty then).

    Raises BrimlowError when the library refuses the case or the run fails;
    the library's warnings become Python warnings (BrimlowWarning).
    keep_model=False reads every table and deletes the library's model at once
    (result.pipe(times) then runs the case again when asked)."""
    from .case import as_case
    case = as_case(case)
    with _library.Reports() as reports:
        model = case._new_model()
        try:
            if case.model == "reference":
                # The reference's answer: the fast model runs first when it takes the hole.
                _library.call(lib.VorlModelRun, model, VorlProgress(), None, key="model")
            else:
                _run_fast(model, case)
            layout = _layout(model)
            fast = case.model == "fast"
            branch_a = _branch_table(model, _BRANCH_A) if fast and layout in ("double branch", "single branch A") \
                else _BRANCH.empty()
            branch_b = _branch_table(model, _BRANCH_B) if fast and layout in ("double branch", "single branch B") \
                else _BRANCH.empty()
            reports.raise_first_error()
        except BaseException:
            _library.delete_model(model)
            raise
    result = Result(case, model, layout, branch_a, branch_b, [])
    result._add_warnings(reports.warnings(), warn)
    if warn and case.model == "fast":
        # The real gas and the end time are the reference's alone.
        if case.real_gas:
            warnings.warn("real_gas has no meaning for the fast model, which takes the ideal gas: it applies to the "
                          "reference solution (model='reference', or brimlow.reference(case))", BrimlowWarning,
                          stacklevel=2)
        if case.reference_end is not None:
            warnings.warn("reference_end has no meaning for the fast model, whose history ends where it ends: it "
                          "applies to the reference solution (model='reference', or brimlow.reference(case))",
                          BrimlowWarning, stacklevel=2)
    if not keep_model:
        result._read_all(warn)
        result.close()
    return result

"""The reference solution: the full isothermal Euler equations with wall
friction, solved by finite volumes on a case beside the fast model.

A run takes seconds to minutes (about 0.4 s of CPU time per simulated hour
of the default case); the foreign call lets go of the interpreter lock, so
reference runs of different cases can share the cores on threads.
"""
import numpy as np

from . import _library
from ._interface import VorlProgress
from ._library import lib
from ._progress import CtrlC, TextBar
from .result import _Columns, emit_warnings

_TABLE = _Columns("ReferenceTable", library_infinity=False)
_GO_ON, _STOP = 1, 0  # what the progress callback returns to the library


class _Watch:
    """The progress callback of one run: shows the fraction done, and stops
    the run (by returning 0 to the library) when the user presses Ctrl-C or a
    progress function of the caller raises."""

    def __init__(self, progress, ctrl_c):
        self.show = progress if callable(progress) else TextBar(enabled=bool(progress)).show
        self.ctrl_c = ctrl_c
        self.failure = None
        self.callback = VorlProgress(self._on_progress)  # kept referenced for the length of the run

    def _on_progress(self, fraction, _user):
        if self.ctrl_c.pressed or self.failure is not None:
            return _STOP
        try:
            self.show(fraction)
        except BaseException as failure:  # KeyboardInterrupt as well: the run stops, the caller re-raises
            self.failure = failure
            return _STOP
        return _GO_ON

    def raise_if_stopped(self):
        if self.failure is not None:
            raise self.failure
        self.ctrl_c.raise_if_pressed()


def reference(case, real_gas=None, times=None, progress=False):
    """Runs the reference solution of a case (brimlow.Case or a dict of its keys)
    and returns its table: a Table (numpy structured array) with one row per
    report time and the library's columns (time_s, per branch a_... and b_...
    the release rate, mass released, pressures at the breach end and the far
    end and the gas in the branch, NaN for a branch the breach does not leave;
    the totals; the supply's inflow and the sink's delivery).

    real_gas: the Peng-Robinson gas in place of the ideal gas (None: the
        case's real_gas). times: the report times (s, increasing); the run ends
        at the last. Without them: the start and 100 equal intervals to the
        case's reference_end, else to the library's end of the release.
    progress: True for a text bar on standard error, or a function called with
        the fraction done (it ends with 1). Ctrl-C, or a progress function that
        raises, stops the run; the exception is raised here.
    Raises BrimlowError when the library refuses the case or the run fails."""
    from .case import as_case
    case = as_case(case)
    real_gas = case.real_gas if real_gas is None else bool(real_gas)
    ctrl_c = CtrlC()
    watch = _Watch(progress, ctrl_c)
    with _library.Reports() as reports:
        model = case._new_model()
        try:
            _settings(model, real_gas, times)
            reports.raise_first_error()
            with ctrl_c:
                try:
                    rows = _library.call(lib.VorlReferenceRun, model, watch.callback, None)
                finally:
                    watch.raise_if_stopped()
            values = np.empty((rows, len(_TABLE.names)))
            written = _library.call(lib.VorlReferenceTableFill, model, values, rows)
        finally:
            _library.delete_model(model)
    emit_warnings(reports.warnings())
    return _TABLE.table(values[:written])


def _settings(model, real_gas, times):
    lib.VorlReferenceRealGasSet(model, real_gas)
    if times is None:
        return  # the case's reference_end, else the library's own end of the release
    times = np.ascontiguousarray(times, dtype=np.float64).reshape(-1)
    if len(times):
        lib.VorlReferenceEndTimeSet(model, times[-1])
    lib.VorlReferenceReportTimesSet(model, times, len(times))


__all__ = ["reference"]

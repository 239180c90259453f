"""Finding and loading the vorl library, and the reports it makes.

The library is looked for, in this order: a copy inside the package (what
`cmake --build` and the installed package have), the path in the environment
variable BRIMLOW_LIBRARY, and the build tree the package was generated in.
Every export gets its argument and result types from the generated
_interface.py, which follows the export table.

Reports: the library logs every failure and warning with a code, a tag and a
message, and hands each to one process-wide handler on the thread that made
it. The package installs that handler once and keeps the reports of each
thread apart, so that runs on many threads each see only their own. Whether
a call failed is told by the library's per-thread last code (call()), the
report only gives it words.
"""
import ctypes
import math
import os
import sys
import threading
from pathlib import Path

from . import _interface
from .errors import BrimlowError

_PACKAGE_DIR = Path(__file__).resolve().parent


def _library_file_name():
    if sys.platform == "win32":
        return "vorl.dll"
    if sys.platform == "darwin":
        return "libvorl.dylib"
    return "libvorl.so"


def _build_tree_library():
    try:
        from ._build_tree import LIBRARY
    except ImportError:
        return None
    return Path(LIBRARY)


def library_candidates():
    """The paths tried for the library, in order."""
    candidates = [_PACKAGE_DIR / _library_file_name()]
    from_environment = os.environ.get("BRIMLOW_LIBRARY")
    if from_environment:
        candidates.append(Path(from_environment))
    build_tree = _build_tree_library()
    if build_tree is not None:
        candidates.append(build_tree)
    return candidates


def _load():
    if sys.platform == "win32" and ctypes.sizeof(ctypes.c_void_p) != 8:
        raise ImportError("brimlow needs a 64-bit Python on Windows (the package loads the 64-bit vorl.dll)")
    tried = []
    for path in library_candidates():
        if path.is_file():
            library = ctypes.CDLL(str(path))
            break
        tried.append(str(path))
    else:
        raise ImportError("brimlow: the vorl library was not found; tried " + ", ".join(tried) +
                          " (set BRIMLOW_LIBRARY to the path of the library)")
    for name, _ordinal, result, arguments in _interface.EXPORTS:
        function = getattr(library, name)
        function.restype = result
        function.argtypes = arguments
    return library, path


lib, library_path = _load()

CODE_NAMES = {value: name for name, value, _text in _interface.CODES}
CODE_TEXTS = {value: text for _name, value, text in _interface.CODES}
CODES = {name: value for name, value, _text in _interface.CODES}
CONSTANTS = dict(_interface.CONSTANTS)


def copied_text(copy, *arguments):
    """Text that an export copies into a buffer (returning its full length)."""
    length = copy(*arguments, None, 0)
    if length <= 0:
        return ""
    buffer = ctypes.create_string_buffer(length + 1)
    copy(*arguments, buffer, length + 1)
    return buffer.value.decode("utf-8", errors="replace")


def delete_model(model):
    """Deletes a model of the library (a handle from VorlModelCreate*)."""
    handle = ctypes.c_void_p(model)
    lib.VorlModelDelete(ctypes.byref(handle))


def is_warning(code):
    return CODE_NAMES.get(code, "").startswith("VORL_W_")


# ---- reports ----

_thread = threading.local()


class _Report(tuple):
    """A report as (code, tag, message), with the value it quotes (NaN: none)."""

    def __new__(cls, code, tag, message, value):
        report = super().__new__(cls, (code, tag, message))
        report.value = value
        return report


def _on_report(code, tag, _level, message, _user):
    reports = getattr(_thread, "reports", None)
    if reports is not None:
        reports.append(_Report(code, (tag or b"").decode("utf-8", "replace"),
                               (message or b"").decode("utf-8", "replace"), lib.VorlReportValue()))


def _repeated(found):
    """One warning's reports as one message: the first's, how often, and the
    range of the value they quote, as the command-line tool says it."""
    message = found[0][2]
    if len(found) == 1:
        return message
    values = [report.value for report in found if not math.isnan(report.value)]
    ranged = f"; the value quoted ranged from {min(values):.4g} to {max(values):.4g}" \
        if values and min(values) < max(values) else ""
    return f"{message} ({len(found)} times{ranged})"


# Kept referenced for as long as the library may call it: the whole process.
_handler = _interface.VorlErrorHandler(_on_report)
lib.VorlErrorHandlerSet(_handler, None)


class Reports:
    """Collects the reports the library makes on this thread while it is entered."""

    __slots__ = ("reports", "_outer")

    def __enter__(self):
        self._outer = getattr(_thread, "reports", None)
        self.reports = []
        _thread.reports = self.reports
        return self

    def __exit__(self, *_exception):
        _thread.reports = self._outer
        if self._outer is not None:
            self._outer.extend(self.reports)
        return False

    def first_error(self, start=0):
        for code, tag, message in self.reports[start:]:
            if not is_warning(code):
                return code, tag, message
        return None

    def warnings(self):
        """The warnings once per code and tag, with the message of the first; a
        repeated one with its count and the range of the value it quotes."""
        seen = {}
        for report in self.reports:
            if is_warning(report[0]):
                seen.setdefault(report[:2], []).append(report)
        return [(code, tag, _repeated(found)) for (code, tag), found in seen.items()]

    def raise_first_error(self, start=0, key=None):
        error = self.first_error(start)
        if error is not None:
            raise error_of(*error, key=key)


def call(function, *arguments, key=None):
    """Calls an export and returns its result; raises BrimlowError when the call
    failed. The library's per-thread last code (VorlLastCode) tells a failure
    from a null result that is a real 0, whoever holds the report handler; the
    report this thread collected gives the failure's tag and message."""
    result = function(*arguments)
    code = lib.VorlLastCode()
    if code != 0:
        reports = getattr(_thread, "reports", None) or []
        tag, message = next(((t, m) for c, t, m in reversed(reports) if c == code),
                            (function.__name__, CODE_TEXTS.get(code, "")))
        raise error_of(code, tag, message, key=key)
    return result


def error_of(code, tag, message, key=None):
    return BrimlowError(code, CODE_NAMES.get(code, ""), tag, message or CODE_TEXTS.get(code, ""), key=key)

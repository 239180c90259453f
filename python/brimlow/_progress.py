"""A plain text progress bar on standard error (no dependency), and Ctrl-C
while the library runs."""
import signal
import sys
import threading
import time

_WIDTH = 30
_SHOWN_EVERY_S = 0.1  # redrawn at most this often, and at the end


class TextBar:
    """[#####.....] 12/40  30% 1.2 s: counts when total is given, else a fraction."""

    def __init__(self, total=None, enabled=True):
        self.total, self.enabled = total, enabled
        self.done = 0
        self.start = time.monotonic()
        self.shown = -1.0
        self._lock = threading.Lock()  # advanced from worker threads

    def advance(self, count=1):
        """count more of total done."""
        if self.enabled:
            with self._lock:
                self.done += count
                self._show(self.done / max(self.total, 1), f"{self.done}/{self.total} ")

    def show(self, fraction):
        """The fraction (0 to 1) done."""
        if self.enabled:
            with self._lock:
                self._show(min(max(fraction, 0.0), 1.0), "")

    def _show(self, fraction, counts):
        now = time.monotonic()
        finished = fraction >= 1.0
        if not finished and now - self.shown < _SHOWN_EVERY_S:
            return
        self.shown = now
        filled = int(_WIDTH * fraction)
        sys.stderr.write(f"\r[{'#' * filled}{'.' * (_WIDTH - filled)}] {counts}{int(100 * fraction):3d}% "
                         f"{now - self.start:.1f} s")
        if finished:
            sys.stderr.write("\n")
        sys.stderr.flush()


class CtrlC:
    """Ctrl-C during a foreign call that reports progress. A KeyboardInterrupt
    that Python raises in a progress callback before its first line runs is
    lost (ctypes prints it and the call goes on), so while this is entered on
    the main thread, SIGINT only sets pressed: the next progress call answers
    it by stopping the library, and the caller raises KeyboardInterrupt when
    the call returns (raise_if_pressed). On other threads, or where the host
    set a SIGINT handler of its own (or ignores the signal), that stays."""

    def __init__(self):
        self.pressed = False
        self._installed = False
        self._previous = None  # Python's own handler, put back on leaving

    def __enter__(self):
        if threading.current_thread() is threading.main_thread() and \
                signal.getsignal(signal.SIGINT) is signal.default_int_handler:
            self._previous = signal.signal(signal.SIGINT, self._on_signal)
            self._installed = True
        return self

    def __exit__(self, *_exception):
        if self._installed:
            signal.signal(signal.SIGINT, self._previous)
        return False

    def _on_signal(self, _signal, _frame):
        self.pressed = True

    def raise_if_pressed(self):
        if self.pressed:
            raise KeyboardInterrupt

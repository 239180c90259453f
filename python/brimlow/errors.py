"""The failures and warnings of the library as Python exceptions and warnings."""


class BrimlowError(Exception):
    """A report of the library that stopped the work.

    code: the library's code (361); code_name: its name in vorl.h
    ("VORL_E_INVALID_APERTURE"); tag: the routine that reported it ("VorlRun");
    message: the report's text; key: the case key at fault, when known.
    """

    def __init__(self, code, code_name, tag, message, key=None):
        self.code = code
        self.code_name = code_name
        self.tag = tag
        self.message = message
        self.key = key
        super().__init__(self._text())

    def _text(self):
        prefix = f"{self.key}: " if self.key else ""
        return f"{prefix}{self.message} (VORL {self.code} {self.code_name}, {self.tag})"

    def __reduce__(self):
        # Picklable as it is, so that a failure on a Dask worker reaches the client whole.
        return (type(self), (self.code, self.code_name, self.tag, self.message, self.key))


class BrimlowWarning(UserWarning):
    """A warning of the library: the work went on (a breach clamped to the pipe, ...)."""

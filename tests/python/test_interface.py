"""The generated ctypes interface holds every export and code of the tables."""
import re
from pathlib import Path

from brimlow import _interface
from brimlow._library import lib

INCLUDE = Path(__file__).resolve().parents[2] / "include"


def test_every_export_of_the_table_with_its_ordinal():
    table = (INCLUDE / "vorl_exports.inc").read_text()
    expected = [(name, int(ordinal)) for ordinal, name in
                re.findall(r"^VORL_EXPORT\(\s*(\d+)\s*,[^,]+,\s*(\w+)\s*,", table, re.M)]
    assert [(name, ordinal) for name, ordinal, _, _ in _interface.EXPORTS] == expected
    for name, _, result, arguments in _interface.EXPORTS:
        function = getattr(lib, name)
        assert (function.restype, tuple(function.argtypes)) == (result, arguments)


def test_every_code_of_the_code_table():
    codes = (INCLUDE / "vorl_codes.inc").read_text()
    expected = [(name, int(value)) for name, value in re.findall(r"^VORL_CODE\((\w+), (\d+),", codes, re.M)]
    assert [(name, value) for name, value, _ in _interface.CODES] == expected

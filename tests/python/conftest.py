"""Shared pieces of the Python package's tests: the example cases, the built
tool (when this build has it) and the library through plain ctypes calls."""
import json
import os
import subprocess
from pathlib import Path

import pytest

EXAMPLES = Path(os.environ.get("BRIMLOW_EXAMPLES", Path(__file__).resolve().parents[2] / "examples"))
CASE_FILES = sorted((EXAMPLES / "cases").glob("*.json"))


@pytest.fixture(params=CASE_FILES, ids=[path.stem for path in CASE_FILES])
def case_file(request):
    return request.param


@pytest.fixture
def tool():
    path = os.environ.get("BRIMLOW_TOOL")
    if not path or not Path(path).is_file():
        pytest.skip("the command-line tool is not in this build")

    def call(*arguments):
        done = subprocess.run([path, *map(str, arguments)], capture_output=True, text=True, check=True)
        return done.stdout

    call.json = lambda *arguments: json.loads(call(*arguments))
    return call


def same_bits(a, b):
    """Equal bit for bit (NaN equal to NaN)."""
    import numpy as np
    a, b = np.asarray(a, dtype=np.float64), np.asarray(b, dtype=np.float64)
    return a.shape == b.shape and a.tobytes() == b.tobytes()

#!/usr/bin/env bash
# The README's virtual-environment route, offline: a virtual environment that
# sees Debian's numpy, the build tree's Python package installed into it with
# pip (no index, no build isolation), and a case run by the installed copy.
# Usage: venv_route.sh BUILD_DIR PYTHON
set -euo pipefail
build=$1 python=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/vorl-venv.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "venv test: $*" >&2; exit 1; }
hint="run tools/install-dependencies.sh, or: sudo apt-get install python3-venv python3-wheel"

"$python" -m venv --system-site-packages "$work/env" >"$work/venv.log" 2>&1 ||
  { cat "$work/venv.log" >&2; fail "python3 -m venv failed ($hint)"; }
# pip builds in the folder it is given: a copy keeps the build tree as it is.
cp -r "$build/python" "$work/python"
PIP_NO_INDEX=1 PIP_DISABLE_PIP_VERSION_CHECK=1 \
  "$work/env/bin/pip" install -q --no-build-isolation --no-deps "$work/python" >"$work/pip.log" 2>&1 ||
  { cat "$work/pip.log" >&2; fail "pip install of the package failed ($hint)"; }
rm -rf "$work/python"

cd "$work"
env -u LD_LIBRARY_PATH -u BRIMLOW_LIBRARY -u PYTHONPATH PYTHONDONTWRITEBYTECODE=1 "$work/env/bin/python" -c \
  "import brimlow, pathlib; assert pathlib.Path(brimlow.__file__).is_relative_to('$work/env'); \
   assert pathlib.Path(brimlow._library.library_path).is_relative_to('$work/env'); \
   assert brimlow.run(brimlow.Case()).summary['initial_release_rate_kg_per_s'] > 0" ||
  fail "the Python package installed in the virtual environment does not run"

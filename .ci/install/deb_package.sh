#!/usr/bin/env bash
# Makes the Debian package of the build tree with cpack and checks it: its
# name, its dependencies found by dpkg-shlibdeps, the files it holds (library
# with its links, header and tables, CMake package, vorl.pc, tool), and that
# the tool runs from the unpacked files; with the Python package, that it lies
# in Debian's /usr/lib/python3/dist-packages, the package depends on
# python3-numpy, and the unpacked package imports and runs a case.
# Usage: deb_package.sh BUILD_DIR CONFIG VERSION HAS_TOOL [PYTHON]
set -euo pipefail
build=$1 config=$2 version=$3 has_tool=$4 python=${5:-}
major=${version%%.*}

work=$(mktemp -d "${TMPDIR:-/tmp}/vorl-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "deb test: $*" >&2; exit 1; }

cpack -G DEB -C "$config" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
package=$(find "$work" -maxdepth 1 -name 'brimlow_*.deb')
[ -n "$package" ] || fail "no brimlow_*.deb in $work"

[ "$(dpkg-deb -f "$package" Package)" = brimlow ] || fail "the package is not named brimlow"
[ "$(dpkg-deb -f "$package" Version)" = "$version" ] || fail "the package has not version $version"
depends=$(dpkg-deb -f "$package" Depends)
for library in libc6 libstdc++6; do
  [[ $depends == *"$library "* || $depends == *"$library," || $depends == *"$library" ]] ||
    fail "Depends ($depends) lacks $library"
done

contents=$(dpkg-deb -c "$package" | awk '{print $6 ($7 == "->" ? " -> " $8 : "")}')
expect() {
  grep -Eq "$1" <<<"$contents" || { printf '%s\n' "$contents" >&2; fail "the package lacks $1"; }
}
expect "^\./usr/lib/(.*/)?libvorl\.so\.$version\$"
expect "^\./usr/lib/(.*/)?libvorl\.so\.$major -> libvorl\.so\.$version\$"
expect "^\./usr/lib/(.*/)?libvorl\.so -> libvorl\.so\.$major\$"
expect '^\./usr/include/vorl\.h$'
expect '^\./usr/include/vorl_exports\.inc$'
expect '^\./usr/lib/(.*/)?cmake/vorl/vorlConfig\.cmake$'
expect '^\./usr/lib/(.*/)?cmake/vorl/vorlConfigVersion\.cmake$'
expect '^\./usr/lib/(.*/)?cmake/vorl/vorlTargets\.cmake$'
expect '^\./usr/lib/(.*/)?pkgconfig/vorl\.pc$'
dpkg-deb -x "$package" "$work/root"
if [ "$has_tool" = 1 ]; then
  expect '^\./usr/bin/brimlow$'
  env -u LD_LIBRARY_PATH "$work/root/usr/bin/brimlow" materials | grep -q '^methane  *74828 ' ||
    fail "the packed brimlow does not run"
fi

if [ -n "$python" ]; then
  expect '^\./usr/lib/python3/dist-packages/brimlow/__init__\.py$'
  expect '^\./usr/lib/python3/dist-packages/brimlow/libvorl\.so$'
  [[ $depends == *python3-numpy* ]] || fail "Depends ($depends) lacks python3-numpy"
  if "$python" -c "import numpy" 2>/dev/null; then
    site=$work/root/usr/lib/python3/dist-packages
    env -u LD_LIBRARY_PATH -u BRIMLOW_LIBRARY PYTHONPATH="$site" PYTHONDONTWRITEBYTECODE=1 "$python" -c \
      "import brimlow, pathlib; assert pathlib.Path(brimlow._library.library_path).is_relative_to('$site'); \
       assert brimlow.run(brimlow.Case()).summary['initial_release_rate_kg_per_s'] > 0" ||
      fail "the packed Python package does not run"
  fi
fi

#!/usr/bin/env bash
# Installs the build tree, staged (DESTDIR) as packagers do, moves the installed
# tree elsewhere (everything in it is relative to the prefix), and checks it:
#   - libvorl.so with its SONAME links, vorl.h and every table it includes;
#   - the tool runs from the tree without help (its RPATH);
#   - a C project builds against it with find_package(vorl) and with
#     pkg-config, and runs;
#   - the Python package, when the build made one, imports from the tree with
#     the copy of the library inside it and runs a case.
# Usage: install_consumers.sh BUILD_DIR CONFIG C_COMPILER GENERATOR VERSION HAS_TOOL [PYTHON]
set -euo pipefail
build=$1 config=$2 cc=$3 generator=$4 version=$5 has_tool=$6 python=${7:-}
here=$(cd "$(dirname "$0")" && pwd)
major=${version%%.*}

work=$(mktemp -d "${TMPDIR:-/tmp}/vorl-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

# Every file lands under DESTDIR once: nothing outside the prefix.
DESTDIR=$work/stage cmake --install "$build" --config "$config" --prefix /opt/vorl >/dev/null
stray=$(cd "$work/stage" && find . -mindepth 1 -maxdepth 2 -not -path ./opt -not -path ./opt/vorl)
[ -z "$stray" ] || fail "the staged install wrote outside its prefix: $stray"
mv "$work/stage/opt/vorl" "$work/moved"
prefix=$work/moved

# The Python package holds a copy of its own.
library=$(find "$prefix" -name libvorl.so -not -path '*/brimlow/*')
[ -n "$library" ] || fail "no libvorl.so under $prefix"
libdir=$(dirname "$library")
[ "$(readlink "$libdir/libvorl.so")" = "libvorl.so.$major" ] || fail "libvorl.so does not link to libvorl.so.$major"
[ "$(readlink "$libdir/libvorl.so.$major")" = "libvorl.so.$version" ] ||
  fail "libvorl.so.$major does not link to libvorl.so.$version"
objdump -p "$libdir/libvorl.so.$version" | grep -q "SONAME  *libvorl.so.$major\$" ||
  fail "libvorl.so.$version has not the SONAME libvorl.so.$major"

[ -f "$prefix/include/vorl.h" ] || fail "no include/vorl.h"
included=$(sed -n 's/^#include "\(.*\)"/\1/p' "$prefix/include/vorl.h")
[ -n "$included" ] || fail "vorl.h includes no table"
for file in $included; do
  [ -f "$prefix/include/$file" ] || fail "vorl.h includes $file, which is not installed"
done

if [ "$has_tool" = 1 ]; then
  env -u LD_LIBRARY_PATH "$prefix/bin/brimlow" materials | grep -q '^methane  *74828 ' ||
    fail "the installed brimlow does not run"
fi

# find_package(vorl MAJOR.0): the version file is there, and the target builds and runs.
consumer=$here/consumer
cmake -S "$consumer" -B "$work/found" -G "$generator" -DCMAKE_C_COMPILER="$cc" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" -DVORL_WANTED_VERSION="$major.0" >/dev/null
cmake --build "$work/found" >/dev/null
"$work/found/consumer"

# pkg-config.
pkg_config=$(command -v pkgconf || command -v pkg-config) ||
  fail "no pkg-config: run tools/install-dependencies.sh, or install it with: sudo apt-get install pkgconf"
export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$("$pkg_config" --modversion vorl)" = "$version" ] || fail "vorl.pc has not version $version"
# shellcheck disable=SC2046  # the flags are separate words
"$cc" -o "$work/pc-consumer" "$consumer/consumer.c" $("$pkg_config" --cflags --libs vorl) -lm
LD_LIBRARY_PATH=$("$pkg_config" --variable=libdir vorl) "$work/pc-consumer"

# The Python package: found in the prefix's Python folder, it runs a case with
# the library inside it (not the one beside the tool).
if [ -n "$python" ] && "$python" -c "import numpy" 2>/dev/null; then
  package=$(find "$prefix" -path '*-packages/brimlow/__init__.py')
  [ -n "$package" ] || fail "no Python package brimlow under $prefix"
  [ -f "$(dirname "$package")/libvorl.so" ] || fail "the Python package has no copy of the library"
  site=$(dirname "$(dirname "$package")")
  env -u LD_LIBRARY_PATH -u BRIMLOW_LIBRARY PYTHONPATH="$site" "$python" -c \
    "import brimlow, pathlib; assert pathlib.Path(brimlow._library.library_path).is_relative_to('$site'); \
     assert brimlow.run(brimlow.Case()).summary['initial_release_rate_kg_per_s'] > 0" ||
    fail "the installed Python package does not run"
fi

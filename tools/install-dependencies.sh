#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests of this project
# need, and nothing else; does nothing when they are all there.
#
# Usage: tools/install-dependencies.sh [--list] [EXTRA_PACKAGE...]
#   --list          print the packages, one a line, and exit
#   EXTRA_PACKAGE   Debian packages to install along with them (CI adds its
#                   compilers for the sanitizers and the fuzzer this way)
#
# It runs apt-get as root, through sudo when started by another user.
# This list is the one place that names the project's packages.
set -euo pipefail

packages=(
  # The build: compilers, CMake, and the JSON reader of the command-line tool.
  cmake make gcc g++ nlohmann-json3-dev
  # The C++ tests.
  libgtest-dev
  # The installation tests: pkg-config for the consumer project; for the
  # Debian package made by cpack, dpkg-dev (dpkg-shlibdeps) and file.
  pkgconf dpkg-dev file
  # The tool's plots.
  gnuplot-nox
  # The Python tests: arrays, the test runner, a local Dask cluster, figures;
  # a virtual environment and pip's wheel builder for the package's install route.
  python3 python3-numpy python3-pytest python3-distributed python3-matplotlib python3-venv python3-wheel
)

if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

for extra in "$@"; do
  # Debian package names: lower-case letters, digits and + - . only.
  if [[ ! $extra =~ ^[a-z0-9][a-z0-9+.-]+$ ]]; then
    echo "install-dependencies: not a Debian package name: '$extra'" >&2
    exit 2
  fi
done
packages+=("$@")

installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = "installed" ]
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-dependencies: all ${#packages[@]} packages are installed"
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-dependencies: run this as root (sudo is not installed) to install: ${missing[*]}" >&2
    exit 1
  fi
  as_root=(sudo)
fi

echo "install-dependencies: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}"

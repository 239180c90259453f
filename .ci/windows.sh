#!/usr/bin/env bash
# Windows DLLs of the vorl library, built on this Debian machine:
#   1. installs what is missing: the mingw-w64 cross compilers (posix thread
#      variants), Wine (wine64) and the GoogleTest sources (Debian packages);
#   2. cross-builds vorl.dll for x86 (build-win32) and x64 (build-win64),
#      Release, with Ninja;
#   3. x86: runs the static checks (export table, stack bytes of every
#      __stdcall export, system DLLs only): this machine cannot run 32-bit
#      programs;
#   4. x64: runs the whole GoogleTest suite, the C host and the DLL host under
#      Wine; the DLL host compares the release case with the Linux build's.
#
# Usage: .ci/windows.sh [LINUX_BUILD_DIR]
#   LINUX_BUILD_DIR: a Linux build of this tree (configured with the tests on)
#   whose vorl_dll_host gives the reference results. Without it, only the
#   library and that host are built for Linux, in build-win64/linux-reference.
# Environment: VORL_JOBS (default 2) parallel jobs; WINEPREFIX (default: a
# prefix of its own under the temporary directory, see wine-run.sh).
set -euo pipefail

cd "$(dirname "$0")/.."
root=$PWD
jobs=${VORL_JOBS:-2}
started=$SECONDS

step() {
  printf '== %s (%ds)\n' "$*" $((SECONDS - started))
}

# ---- 1. Packages ----
needed=()
command -v i686-w64-mingw32-g++-posix >/dev/null || needed+=(g++-mingw-w64-i686-posix)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || needed+=(g++-mingw-w64-x86-64-posix)
command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ] || needed+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || needed+=(googletest)
command -v ninja >/dev/null || needed+=(ninja-build)
command -v cmake >/dev/null || needed+=(cmake)
command -v flock >/dev/null || needed+=(util-linux)
if ((${#needed[@]})); then
  step "installing ${needed[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${needed[@]}" >/dev/null
fi

# ---- 2. The Linux reference of the release case ----
linux_build=${1:-}
if [ -z "$linux_build" ]; then
  linux_build=$root/build-win64/linux-reference
  step "Linux reference build in $linux_build"
  cmake -S "$root" -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORL_BUILD_TESTS=ON >/dev/null
fi
linux_build=$(cd "$linux_build" && pwd)
cmake --build "$linux_build" -j"$jobs" --target vorl_dll_host

# ---- 3. x86 ----
step "x86: configure and build (build-win32)"
cmake -S "$root" -B "$root/build-win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  --toolchain "$root/cmake/toolchains/mingw-w64-i686.cmake" -DVORL_BUILD_TESTS=OFF -DVORL_WERROR=ON \
  -DVORL_BUILD_TOOLS=OFF -DVORL_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$root/build-win32" -j"$jobs"
step "x86: static checks of vorl.dll"
ctest --test-dir "$root/build-win32" --output-on-failure

# ---- 4. x64 ----
step "x64: configure and build (build-win64)"
cmake -S "$root" -B "$root/build-win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  --toolchain "$root/cmake/toolchains/mingw-w64-x86_64.cmake" -DVORL_BUILD_TESTS=ON -DVORL_WERROR=ON \
  -DVORL_LINUX_BUILD_DIR="$linux_build" >/dev/null
cmake --build "$root/build-win64" -j"$jobs"
step "x64: tests under Wine"
status=0
ctest --test-dir "$root/build-win64" --output-on-failure -j"$jobs" || status=$?

# The Wine server of the prefix would linger a few seconds: stop it now.
for server in wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
  if command -v "$server" >/dev/null 2>&1; then
    WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/vorl-wine-$(id -u)} "$server" -k 2>/dev/null || true
    break
  fi
done

for bits in 32 64; do
  dll=$root/build-win$bits/bin/vorl.dll
  [ -f "$dll" ] && step "vorl.dll x$( [ $bits = 32 ] && echo 86 || echo 64 ): $(stat -c %s "$dll") bytes"
done
step "done"
exit "$status"

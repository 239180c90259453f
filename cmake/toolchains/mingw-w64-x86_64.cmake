# Cross toolchain for 64-bit Windows (x64) with Debian's mingw-w64 packages
# (g++-mingw-w64-x86-64-posix). Use:
#   cmake -S . -B build-win64 -G Ninja --toolchain cmake/toolchains/mingw-w64-x86_64.cmake
# Test programs run under Wine (Debian's wine64) through wine-run.sh.
set(VORL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /bin/sh ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)

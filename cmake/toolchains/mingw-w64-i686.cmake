# Cross toolchain for 32-bit Windows (x86) with Debian's mingw-w64 packages
# (g++-mingw-w64-i686-posix). Use:
#   cmake -S . -B build-win32 -G Ninja --toolchain cmake/toolchains/mingw-w64-i686.cmake
# No emulator: the Linux build machines cannot execute 32-bit programs, so the
# x86 DLL is checked statically (its export table and the stack bytes of every
# export), not run.
set(VORL_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# The GoogleTest suite cannot run here (and its discovery runs it at build
# time): off unless asked for.
set(VORL_BUILD_TESTS OFF CACHE BOOL "Build the GoogleTest suite")

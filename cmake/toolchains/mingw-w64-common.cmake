# Shared part of the mingw-w64 cross toolchains. The including file sets
# VORL_MINGW_TRIPLET (i686-w64-mingw32 or x86_64-w64-mingw32) and
# CMAKE_SYSTEM_PROCESSOR before it includes this file.
#
# The posix thread variants of the compilers are used (std::thread and
# std::mutex need them). Every program and the DLL are linked with -static, so
# that libgcc, libstdc++ and winpthread are linked in and vorl.dll needs
# nothing beside the system DLLs of Windows.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VORL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VORL_MINGW_TRIPLET}-windres)
# CMake finds the binary tools of the target beside the compiler
# (CMAKE_NM, CMAKE_OBJDUMP, CMAKE_DLLTOOL: ${VORL_MINGW_TRIPLET}-nm and so on).

set(CMAKE_FIND_ROOT_PATH /usr/${VORL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# A Release DLL without symbol tables: about 0.45 MB instead of 1.1 MB.
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")

# The Debian package: `cpack -G DEB` in the build folder makes
# brimlow_<version>_<arch>.deb of everything `cmake --install` puts (the
# library with its links, vorl.h and its tables, the CMake package, vorl.pc,
# the tool, and the Python package in /usr/lib/python3/dist-packages), under
# /usr. One package: the library, the tool and the Python package are small
# and released together. Included after VorlPython, which tells whether the
# Python package is installed.
include_guard(GLOBAL)

set(CPACK_PACKAGE_NAME brimlow)
set(CPACK_PACKAGE_VENDOR "Brimlow developers")
set(CPACK_PACKAGE_CONTACT "Brimlow developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "gas release from a breached high-pressure pipeline: library and tool")
# The long description, in lines short enough for dpkg and apt to show as written.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Predicts the outflow of gas from a long high-pressure pipeline after a breach"
  "in its wall: an ideal gas in isothermal, friction-dominated flow on both sides"
  "of the breach, with choking at the orifice, isolation valves and the expansion"
  "of the jet to the atmosphere. The package holds the shared library libvorl"
  "with its C header vorl.h, a CMake package (find_package(vorl)), a pkg-config"
  "file (vorl), and the command-line tool brimlow, which runs release cases from"
  "JSON files and sweeps of many cases from CSV files.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries the binaries link (libc6, libstdc++6, libgcc-s1), with the
# versions they need, as dpkg-shlibdeps finds them (Debian package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The Python package imports numpy; Debian's python3 and python3-numpy give it.
if(VORL_BUILD_PYTHON AND Python3_Interpreter_FOUND)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "python3, python3-numpy")
endif()
# libvorl's own shlibs entry and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS gnuplot-nox)
include(CPack)

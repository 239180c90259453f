# Packages that the build finds on the system: when one is missing, configure
# names the Debian package and the command that installs it.
# tools/install-dependencies.sh installs all of them at once.
include_guard(GLOBAL)

set(VORL_INSTALL_HINT "run tools/install-dependencies.sh, or install it with: sudo apt-get install")

# GoogleTest for the test suite (a cross build brings its own: VorlWindows.cmake).
# Found here, at the top, its targets are seen by every test folder.
if(VORL_BUILD_TESTS AND NOT TARGET GTest::gtest_main)
  find_package(GTest QUIET)
  if(NOT GTest_FOUND)
    message(FATAL_ERROR "The tests need GoogleTest: ${VORL_INSTALL_HINT} libgtest-dev\n"
                        "or configure with -DVORL_BUILD_TESTS=OFF to build without the tests.")
  endif()
endif()

# gnuplot draws the tool's plots (brimlow run --plot) at run time.
if(VORL_BUILD_TOOLS AND NOT CMAKE_CROSSCOMPILING AND NOT WIN32)
  find_program(VORL_GNUPLOT gnuplot)
  if(NOT VORL_GNUPLOT)
    message(WARNING "gnuplot not found: brimlow --plot cannot draw, and its tests are skipped; "
                    "${VORL_INSTALL_HINT} gnuplot-nox")
  endif()
endif()

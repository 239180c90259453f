# The Python package brimlow (python/brimlow), made ready in the build tree:
#   <build>/python/pyproject.toml
#   <build>/python/brimlow/           the package's sources
#   <build>/python/brimlow/_interface.py  generated from the export table
#   <build>/python/brimlow/libvorl.so     a copy of the library (vorl.dll on Windows)
# so that `pip install --no-build-isolation --no-deps <build>/python` or
# `cmake --install` installs it with the library inside it.
#
# The interpreter: Debian's /usr/bin/python3 when it exists (it has numpy),
# before any other python3 on PATH; -DPython3_EXECUTABLE=... chooses another.
# Sets VORL_PYTHON_TESTABLE when it has numpy and pytest (tests/python).
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/VorlPythonInterface.cmake)

option(VORL_BUILD_PYTHON "Make the Python package brimlow in the build tree" ON)
if(NOT VORL_BUILD_PYTHON)
  return()
endif()

if(NOT DEFINED Python3_EXECUTABLE AND EXISTS /usr/bin/python3 AND NOT WIN32)
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Python interpreter of the package's tests")
endif()
find_package(Python3 3.8 COMPONENTS Interpreter QUIET)

set(VORL_PYTHON_DIR ${PROJECT_BINARY_DIR}/python)
set(VORL_PYTHON_PACKAGE_DIR ${VORL_PYTHON_DIR}/brimlow)
if(WIN32)
  set(VORL_PYTHON_LIBRARY_NAME vorl.dll)
elseif(APPLE)
  set(VORL_PYTHON_LIBRARY_NAME libvorl.dylib)
else()
  set(VORL_PYTHON_LIBRARY_NAME libvorl.so)
endif()

file(GLOB _vorl_python_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/brimlow/*.py)
set(_vorl_python_outputs "")
foreach(source IN LISTS _vorl_python_sources)
  get_filename_component(name ${source} NAME)
  list(APPEND _vorl_python_outputs ${VORL_PYTHON_PACKAGE_DIR}/${name})
endforeach()
add_custom_command(
  OUTPUT ${_vorl_python_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VORL_PYTHON_PACKAGE_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_vorl_python_sources} ${VORL_PYTHON_PACKAGE_DIR}
  DEPENDS ${_vorl_python_sources}
  COMMENT "Copying the Python package brimlow into the build tree"
  VERBATIM)

set(_vorl_include_dir ${PROJECT_SOURCE_DIR}/include)
add_custom_command(
  OUTPUT ${VORL_PYTHON_PACKAGE_DIR}/_interface.py
  COMMAND ${CMAKE_COMMAND} -DVORL_INCLUDE_DIR=${_vorl_include_dir}
          -DVORL_OUTPUT=${VORL_PYTHON_PACKAGE_DIR}/_interface.py -P ${VORL_PYTHON_INTERFACE_SCRIPT}
  DEPENDS ${_vorl_include_dir}/vorl_exports.inc ${_vorl_include_dir}/vorl_codes.inc ${_vorl_include_dir}/vorl.h
          ${VORL_PYTHON_INTERFACE_SCRIPT} ${CMAKE_CURRENT_LIST_DIR}/VorlWindowsSignatures.cmake
  COMMENT "Generating the Python package's ctypes interface from the export table"
  VERBATIM)

add_custom_command(
  OUTPUT ${VORL_PYTHON_PACKAGE_DIR}/${VORL_PYTHON_LIBRARY_NAME}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:vorl>
          ${VORL_PYTHON_PACKAGE_DIR}/${VORL_PYTHON_LIBRARY_NAME}
  DEPENDS vorl
  COMMENT "Copying the library into the Python package"
  VERBATIM)

# The last place the package looks for the library: this build tree.
file(GENERATE OUTPUT ${VORL_PYTHON_PACKAGE_DIR}/_build_tree.py
  CONTENT "# Written by CMake: the library of the build tree the package was made in.\nLIBRARY = r\"$<TARGET_FILE:vorl>\"\n")
configure_file(${PROJECT_SOURCE_DIR}/python/pyproject.toml.in ${VORL_PYTHON_DIR}/pyproject.toml @ONLY)

add_custom_target(brimlow_python ALL
  DEPENDS ${_vorl_python_outputs} ${VORL_PYTHON_PACKAGE_DIR}/_interface.py
          ${VORL_PYTHON_PACKAGE_DIR}/${VORL_PYTHON_LIBRARY_NAME})

# cmake --install: the package, with its copy of the library, in the Python
# folder of the prefix given at install time: lib/python3/dist-packages for
# /usr (Debian's own), lib/python3.X/dist-packages for /usr/local under a
# Debian interpreter, lib/python3.X/site-packages for any other prefix
# ($HOME/.local: the user's site folder). -DVORL_PYTHON_INSTALL_DIR=<relative
# folder> chooses another.
set(VORL_PYTHON_INSTALL_DIR "" CACHE STRING "Folder of the installed Python package, relative to the prefix")
if(Python3_Interpreter_FOUND)
  set(_vorl_python_version ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR})
  execute_process(COMMAND ${Python3_EXECUTABLE} -c "import sys; print(int(any(p.endswith('dist-packages') for p in sys.path)))"
                  OUTPUT_VARIABLE _vorl_python_debian OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  install(CODE "
    set(_dir \"${VORL_PYTHON_INSTALL_DIR}\")
    if(_dir STREQUAL \"\")
      if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(_dir lib/python3/dist-packages)
      elseif(CMAKE_INSTALL_PREFIX STREQUAL \"/usr/local\" AND \"${_vorl_python_debian}\" STREQUAL \"1\")
        set(_dir lib/python${_vorl_python_version}/dist-packages)
      else()
        set(_dir lib/python${_vorl_python_version}/site-packages)
      endif()
    endif()
    # file(INSTALL) puts DESTDIR before the destination itself.
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/\${_dir}\" TYPE DIRECTORY
         FILES \"${VORL_PYTHON_PACKAGE_DIR}\"
         PATTERN __pycache__ EXCLUDE PATTERN _build_tree.py EXCLUDE)
  " COMPONENT python)
else()
  message(STATUS "Python 3 not found: the package brimlow is made in ${VORL_PYTHON_DIR} but not installed")
endif()

set(VORL_PYTHON_TESTABLE FALSE)
set(VORL_PYTHON_MISSING "")
if(NOT Python3_Interpreter_FOUND)
  set(VORL_PYTHON_MISSING "a Python 3 interpreter (python3)")
else()
  foreach(module numpy pytest)
    execute_process(COMMAND ${Python3_EXECUTABLE} -c "import ${module}" RESULT_VARIABLE missing
                    OUTPUT_QUIET ERROR_QUIET)
    if(missing)
      list(APPEND VORL_PYTHON_MISSING "python3-${module}")
    endif()
  endforeach()
  list(JOIN VORL_PYTHON_MISSING " " VORL_PYTHON_MISSING)
endif()
if(VORL_PYTHON_MISSING STREQUAL "")
  set(VORL_PYTHON_TESTABLE TRUE)
endif()

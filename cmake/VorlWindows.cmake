# The Windows DLL vorl.dll and the checks that keep the Windows side of the
# interface in step with the export table. Included by the top CMakeLists.txt
# after the target vorl exists.
#
# On every platform: the VBA module (examples/vba/Vorl.bas) is generated from
# the table, and tests/windows holds the host that loads the library at run
# time and the test that the committed VBA module is up to date.
#
# Windows (cross builds with cmake/toolchains/mingw-w64-*.cmake):
#   - the DLL is named vorl.dll and put with every program into <build>/bin,
#     so that the test programs find it;
#   - x86: the exports are __stdcall (_Name@N in the objects) and the .def
#     generated from the table exports them under plain names, at its ordinals;
#   - GoogleTest, of which Debian has no mingw build, is built from Debian's
#     source package (googletest, /usr/src/googletest).
include_guard(GLOBAL)
include(VorlVbaModule)

vorl_add_vba_module(${PROJECT_SOURCE_DIR}/include/vorl_exports.inc)

if(WIN32)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set_target_properties(vorl PROPERTIES
    PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The .def names VorlFanning where the object defines _VorlFanning@4: the
    # linker binds the two (stdcall fixup) and exports the plain name. The
    # import library it writes knows only the plain names, so it is written
    # again for callers that use the decorated ones.
    target_link_options(vorl PRIVATE "LINKER:--enable-stdcall-fixup")
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/vorl_objects.txt
         CONTENT "$<JOIN:$<TARGET_OBJECTS:vorl_objects>,\n>\n")
    add_custom_command(TARGET vorl POST_BUILD
      COMMAND ${CMAKE_COMMAND}
              -DVORL_TABLE=${PROJECT_SOURCE_DIR}/include/vorl_exports.inc
              -DVORL_OBJECTS_FILE=${CMAKE_BINARY_DIR}/vorl_objects.txt
              -DVORL_NM=${CMAKE_NM} -DVORL_DLLTOOL=${CMAKE_DLLTOOL}
              -DVORL_DLL_NAME=$<TARGET_FILE_NAME:vorl>
              -DVORL_IMPORT_LIBRARY=$<TARGET_LINKER_FILE:vorl>
              -P ${CMAKE_CURRENT_LIST_DIR}/VorlWindowsImportLibrary.cmake
      COMMENT "Writing the __stdcall import library of vorl.dll"
      VERBATIM)
  endif()

  if(CMAKE_CROSSCOMPILING AND VORL_BUILD_TESTS AND NOT TARGET GTest::gtest_main)
    set(VORL_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
        "GoogleTest sources built for the cross build (Debian package googletest)")
    if(NOT EXISTS ${VORL_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
      message(FATAL_ERROR "No GoogleTest sources in ${VORL_GOOGLETEST_SOURCE_DIR}: "
                          "apt-get install googletest, or set VORL_GOOGLETEST_SOURCE_DIR")
    endif()
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    # Windows threads of GoogleTest itself, not winpthreads.
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory(${VORL_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  endif()
endif()

# The static checks of the DLL run in every Windows build, the x86 one (which
# builds no GoogleTest suite) included.
if(WIN32 OR VORL_BUILD_TESTS)
  enable_testing()
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/windows ${CMAKE_BINARY_DIR}/tests/windows)
endif()

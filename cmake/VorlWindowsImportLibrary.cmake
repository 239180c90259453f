# x86: writes the import library of vorl.dll for __stdcall callers
# (cmake -P, run after the DLL is linked).
#
# The DLL exports plain names (VorlFanning), the .def generated from the table
# says so. A 32-bit C or C++ caller compiled with vorl.h refers to the
# decorated name (_VorlFanning@4, __imp__VorlFanning@4), which the import
# library that the linker writes from the plain .def does not define. This
# script writes the import library again with dlltool from the decorated names
# that the compiler gave the exports in the library's objects, with --kill-at,
# so that each decorated symbol imports the plain name from vorl.dll.
#
#   -DVORL_TABLE=<export table> -DVORL_OBJECTS_FILE=<file, one object a line>
#   -DVORL_NM=<nm> -DVORL_DLLTOOL=<dlltool> -DVORL_DLL_NAME=vorl.dll
#   -DVORL_IMPORT_LIBRARY=<output> -P VorlWindowsImportLibrary.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/VorlWindowsSignatures.cmake)

vorl_read_export_signatures("${VORL_TABLE}" T)
file(STRINGS "${VORL_OBJECTS_FILE}" objects)
execute_process(COMMAND ${VORL_NM} -g --defined-only ${objects}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${VORL_NM} failed on the library's objects")
endif()

set(def "LIBRARY \"${VORL_DLL_NAME}\"\nEXPORTS\n")
foreach(name ordinal IN ZIP_LISTS T_NAMES T_ORDINALS)
  if(symbols MATCHES "[\n ]_${name}@([0-9]+)\n")
    string(APPEND def "    ${name}@${CMAKE_MATCH_1} @${ordinal}\n")
  elseif(symbols MATCHES "[\n ]_${name}\n")
    # Not __stdcall: the static check of the DLL reports it.
    string(APPEND def "    ${name} @${ordinal}\n")
  else()
    message(FATAL_ERROR "${name} is in the export table but in none of the library's objects")
  endif()
endforeach()

get_filename_component(directory "${VORL_IMPORT_LIBRARY}" DIRECTORY)
set(def_file "${directory}/vorl-stdcall.def")
file(WRITE "${def_file}" "${def}")
execute_process(
  COMMAND ${VORL_DLLTOOL} --dllname ${VORL_DLL_NAME} --input-def ${def_file}
          --output-lib ${VORL_IMPORT_LIBRARY} --kill-at
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${VORL_DLLTOOL} could not write ${VORL_IMPORT_LIBRARY}")
endif()

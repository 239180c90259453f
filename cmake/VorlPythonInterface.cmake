# Generates the Python package's view of the C interface, brimlow/_interface.py,
# from the tables the header is built from, so that it follows them as they grow:
#   - EXPORTS: every export of include/vorl_exports.inc as (name, ordinal,
#     result type, argument types), in ctypes types;
#   - CALLBACKS: the function-pointer typedefs of include/vorl.h as ctypes
#     function types (the export table names them by typedef);
#   - CODES: every report code of include/vorl_codes.inc with its name and text;
#   - CONSTANTS: the enumerators of the other enums of vorl.h (VORL_SLOT_...).
# The package applies EXPORTS to the loaded library (brimlow/_library.py).
#
# Script use:
#   cmake -DVORL_INCLUDE_DIR=<include dir> -DVORL_OUTPUT=<file> -P VorlPythonInterface.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/VorlWindowsSignatures.cmake)

set(VORL_PYTHON_INTERFACE_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

# ctypes type of a C type of the interface ("const double *" -> DoubleArray);
# empty when there is none. The pointer classes live in brimlow/_ctypes_types.py.
function(_vorl_python_type type callbacks out)
  string(REGEX REPLACE "(^| )(const|volatile)( |$)" " " bare "${type}")
  string(REGEX REPLACE " +" " " bare "${bare}")
  string(STRIP "${bare}" bare)
  set(result "")
  if(bare STREQUAL "void")
    set(result None)
  elseif(bare STREQUAL "double")
    set(result c_double)
  elseif(bare STREQUAL "int")
    set(result c_int)
  elseif(bare MATCHES "^(VorlBool|unsigned char)$")
    set(result c_ubyte)
  elseif(bare STREQUAL "VorlHandle")
    set(result VorlHandle)
  elseif(bare STREQUAL "VorlString")
    # Owned text: a pointer that the caller frees with VorlStringFree.
    set(result c_void_p)
  elseif(bare STREQUAL "void *")
    set(result c_void_p)
  elseif(bare STREQUAL "char *" AND type MATCHES "const")
    set(result c_char_p)
  elseif(bare STREQUAL "char *")
    set(result CharBuffer)
  elseif(bare STREQUAL "double *")
    set(result DoubleArray)
  elseif(bare STREQUAL "int *")
    set(result IntArray)
  elseif(bare STREQUAL "VorlHandle *")
    set(result HandleReference)
  elseif(bare IN_LIST callbacks)
    set(result ${bare})
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# The callback typedefs of vorl.h: sets <prefix>_NAMES and, per name,
# <prefix>_<name> = "CFUNCTYPE(...)" text.
function(_vorl_python_callbacks header prefix)
  file(READ "${header}" text)
  _vorl_strip_comments("${text}" text)
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  string(REPLACE ";" "@" text "${text}")
  string(REGEX MATCHALL "typedef [A-Za-z_ *]+\\( *VORL_CALL *\\* *[A-Za-z0-9_]+ *\\) *\\([^()]*\\) *@"
         typedefs "${text}")
  set(names "")
  foreach(typedef IN LISTS typedefs)
    string(REGEX MATCH "typedef ([A-Za-z_ *]+)\\( *VORL_CALL *\\* *([A-Za-z0-9_]+) *\\) *\\(([^()]*)\\)" _
           "${typedef}")
    set(name "${CMAKE_MATCH_2}")
    set(arguments "${CMAKE_MATCH_3}")
    _vorl_python_type("${CMAKE_MATCH_1}" "" result)
    set(types "${result}")
    string(STRIP "${arguments}" arguments)
    if(NOT arguments STREQUAL "" AND NOT arguments STREQUAL "void")
      string(REPLACE "," ";" pieces "${arguments}")
      foreach(piece IN LISTS pieces)
        vorl_split_parameter("${piece}" type parameter_name)
        # A callback only reads the text it is handed.
        string(REGEX REPLACE "^char \\*$" "const char *" type "${type}")
        _vorl_python_type("${type}" "" python)
        if(python STREQUAL "")
          message(FATAL_ERROR "Python interface: callback ${name} has an argument of type '${type}' "
                              "without a ctypes counterpart here")
        endif()
        string(APPEND types ", ${python}")
      endforeach()
    endif()
    list(APPEND names ${name})
    set(${prefix}_${name} "CFUNCTYPE(${types})" PARENT_SCOPE)
  endforeach()
  set(${prefix}_NAMES "${names}" PARENT_SCOPE)
endfunction()

# Text of _interface.py.
function(vorl_python_interface_text include_dir out)
  set(table "${include_dir}/vorl_exports.inc")
  vorl_read_export_signatures("${table}" T)
  _vorl_python_callbacks("${include_dir}/vorl.h" C)

  set(L
    "# The C interface of the vorl library for ctypes. Generated from include/vorl_exports.inc,"
    "# include/vorl_codes.inc and include/vorl.h by cmake/VorlPythonInterface.cmake: do not edit."
    "from ctypes import CFUNCTYPE, c_char_p, c_double, c_int, c_ubyte, c_void_p"
    ""
    "from ._ctypes_types import CharBuffer, DoubleArray, HandleReference, IntArray, VorlHandle"
    ""
    "# Function-pointer types of the interface.")
  foreach(name IN LISTS C_NAMES)
    list(APPEND L "${name} = ${C_${name}}")
  endforeach()
  list(APPEND L "CALLBACKS = {")
  foreach(name IN LISTS C_NAMES)
    list(APPEND L "    \"${name}\": ${name},")
  endforeach()
  list(APPEND L "}" "" "# (name, ordinal, result type, argument types) of every export." "EXPORTS = (")
  set(missing "")
  foreach(name ordinal IN ZIP_LISTS T_NAMES T_ORDINALS)
    _vorl_python_type("${T_RESULT_${name}}" "${C_NAMES}" result)
    set(arguments "")
    set(known TRUE)
    set(separator "")
    foreach(parameter IN LISTS T_PARAMETERS_${name})
      vorl_split_parameter("${parameter}" type parameter_name)
      _vorl_python_type("${type}" "${C_NAMES}" python)
      if(python STREQUAL "")
        set(known FALSE)
      endif()
      string(APPEND arguments "${separator}${python}")
      set(separator ", ")
    endforeach()
    list(LENGTH T_PARAMETERS_${name} count)
    if(count EQUAL 1)
      string(APPEND arguments ",")  # a tuple of one
    endif()
    if(result STREQUAL "" OR NOT known)
      list(APPEND missing "${name}")
      continue()
    endif()
    list(APPEND L "    (\"${name}\", ${ordinal}, ${result}, (${arguments})),")
  endforeach()
  list(APPEND L ")")
  if(missing)
    message(FATAL_ERROR "Python interface: a type of ${missing} has no ctypes counterpart in "
                        "cmake/VorlPythonInterface.cmake")
  endif()

  list(APPEND L "" "# (name, value, default text) of every report code." "CODES = (")
  file(STRINGS "${include_dir}/vorl_codes.inc" lines REGEX "^VORL_CODE\\(")
  foreach(line IN LISTS lines)
    if(line MATCHES "^VORL_CODE\\( *([A-Z0-9_]+) *, *([0-9]+) *, *(\"[^\"\\\\]*\") *\\)")
      list(APPEND L "    (\"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}),")
    else()
      message(FATAL_ERROR "Python interface: unreadable line of the code table: ${line}")
    endif()
  endforeach()
  list(APPEND L ")")

  list(APPEND L "" "# The enumerators of vorl.h's other enums." "CONSTANTS = {")
  file(STRINGS "${include_dir}/vorl.h" lines REGEX "^ *VORL_[A-Z0-9_]+ *= *-?[0-9]+ *,? *$")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "(VORL_[A-Z0-9_]+) *= *(-?[0-9]+)" _ "${line}")
    list(APPEND L "    \"${CMAKE_MATCH_1}\": ${CMAKE_MATCH_2},")
  endforeach()
  list(APPEND L "}")

  list(JOIN L "\n" text)
  string(APPEND text "\n")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT VORL_INCLUDE_DIR OR NOT VORL_OUTPUT)
    message(FATAL_ERROR "VorlPythonInterface.cmake: pass -DVORL_INCLUDE_DIR=<dir> -DVORL_OUTPUT=<file>")
  endif()
  vorl_python_interface_text("${VORL_INCLUDE_DIR}" text)
  get_filename_component(directory "${VORL_OUTPUT}" DIRECTORY)
  file(MAKE_DIRECTORY "${directory}")
  file(WRITE "${VORL_OUTPUT}.tmp" "${text}")
  file(COPY_FILE "${VORL_OUTPUT}.tmp" "${VORL_OUTPUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${VORL_OUTPUT}.tmp")
endif()

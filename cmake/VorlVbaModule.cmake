# Generates the VBA module examples/vba/Vorl.bas from the export table, so that
# its declarations follow the table as it grows:
#   - one Declare per export for VBA7 (32- and 64-bit Office: PtrSafe, LongPtr
#     handle) and one for older VBA (Long handle), under #If VBA7;
#   - ByVal Double / Long, VorlBool as Byte, strings as ByVal String, other
#     pointers ByRef (pass the first element of an array), callbacks and
#     void* as LongPtr (AddressOf);
#   - a constant for every report code of vorl_codes.inc;
#   - a short example macro, whose parts appear once the exports they call are
#     in the table.
# The module is written with CRLF line ends, as the VBA editor exports it.
#
# Project use (include, then vorl_add_vba_module(<table>)): the build writes
# <build>/vba/Vorl.bas; target vorl_vba_module_update copies it over the
# committed examples/vba/Vorl.bas, and a test fails while the two differ.
#
# Script use:
#   cmake -DVORL_TABLE=<table> -DVORL_OUTPUT=<file> -P VorlVbaModule.cmake
#   cmake -DVORL_TABLE=<table> -DVORL_CHECK=<committed file> -P VorlVbaModule.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/VorlWindowsSignatures.cmake)

set(VORL_VBA_MODULE_SCRIPT ${CMAKE_CURRENT_LIST_FILE})

# Names that VBA keeps for itself (keywords, statements, types): a C parameter
# of such a name gets "Value" appended in the module.
set(_VORL_VBA_RESERVED
  access alias and any append as base binary boolean byref byte byval call case cbool cbyte ccur
  cdate cdbl cdec cint circle clng clnglng clngptr close compare const csng cstr currency cvar
  cverr date debug decimal declare defbool defbyte defcur defdate defdbl defdec defint deflng
  deflnglng deflngptr defobj defsng defstr defvar dim do double each else elseif empty end enum
  eqv erase error event exit false fix for friend function get global gosub goto if imp implements
  in input int integer is len let lib like line load lock long longlong longptr loop lset me mid
  mod name new next not nothing null object on open option optional or output paramarray preserve
  print private property public put raiseevent random read redim rem reset resume return rset seek
  select set shared single spc static step stop string sub tab text then time to true type typeof
  unload unlock until variant wend while width with withevents write xor)

function(_vorl_vba_name name index out)
  if(name STREQUAL "")
    set(name "arg${index}")
  endif()
  string(TOLOWER "${name}" lower)
  if(lower IN_LIST _VORL_VBA_RESERVED)
    string(APPEND name "Value")
  endif()
  set(${out} "${name}" PARENT_SCOPE)
endfunction()

# VBA type of a C scalar type; empty when there is none. vba7: TRUE or FALSE.
function(_vorl_vba_scalar type vba7 out)
  if(vba7)
    set(pointer LongPtr)
  else()
    set(pointer Long)
  endif()
  set(vba "")
  if(type STREQUAL "double")
    set(vba Double)
  elseif(type STREQUAL "float")
    set(vba Single)
  elseif(type MATCHES "^(int|long|unsigned|unsigned int|unsigned long|int32_t|uint32_t)$")
    set(vba Long)
  elseif(type MATCHES "^(short|unsigned short)$")
    set(vba Integer)
  elseif(type MATCHES "^(VorlBool|unsigned char)$")
    set(vba Byte)
  elseif(type STREQUAL "VorlHandle")
    set(vba ${pointer})
  elseif(type MATCHES "^Vorl[A-Za-z0-9]*(Handler|Sink|Callback|Progress)$")
    set(vba ${pointer})
  elseif(type MATCHES "^(VorlString|BSTR)$")
    # A system string (BSTR) of wide characters: VBA would take a String result
    # for 8-bit text, so it is a pointer here; VorlAuthorText below copies it.
    set(vba ${pointer})
  endif()
  set(${out} "${vba}" PARENT_SCOPE)
endfunction()

# VBA parameter ("ByVal x As Double") of one C parameter declaration; empty
# when the type has no VBA counterpart here.
function(_vorl_vba_parameter declaration index vba7 out)
  vorl_split_parameter("${declaration}" type name)
  _vorl_vba_name("${name}" ${index} name)
  string(REGEX REPLACE "(^| )(const|volatile)( |$)" " " bare "${type}")
  string(REGEX REPLACE " +" " " bare "${bare}")
  string(STRIP "${bare}" bare)
  if(vba7)
    set(pointer LongPtr)
  else()
    set(pointer Long)
  endif()
  set(result "")
  if(bare MATCHES "^(char|signed char) \\*$")
    # VBA hands a String to a DLL as a NUL-terminated 8-bit copy and copies
    # what the DLL wrote back; a buffer is a String of the needed length.
    set(result "ByVal ${name} As String")
  elseif(bare STREQUAL "void *")
    set(result "ByVal ${name} As ${pointer}")
  elseif(bare MATCHES "^(.+) \\*$")
    _vorl_vba_scalar("${CMAKE_MATCH_1}" ${vba7} scalar)
    if(NOT scalar STREQUAL "")
      set(result "ByRef ${name} As ${scalar}")
    endif()
  else()
    _vorl_vba_scalar("${bare}" ${vba7} scalar)
    if(NOT scalar STREQUAL "")
      set(result "ByVal ${name} As ${scalar}")
    endif()
  endif()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Lines (a CMake list) of the Declare statement of one export; empty when a
# type has no VBA counterpart. Long argument lists are continued with " _".
function(_vorl_vba_declare name result_type parameters vba7 out)
  set(vba_parameters "")
  set(index 0)
  foreach(parameter IN LISTS parameters)
    math(EXPR index "${index} + 1")
    _vorl_vba_parameter("${parameter}" ${index} ${vba7} text)
    if(text STREQUAL "")
      set(${out} "" PARENT_SCOPE)
      return()
    endif()
    list(APPEND vba_parameters "${text}")
  endforeach()
  string(REGEX REPLACE "(^| )(const|volatile)( |$)" " " bare "${result_type}")
  string(STRIP "${bare}" bare)
  if(bare STREQUAL "void")
    set(kind Sub)
    set(returns "")
  else()
    _vorl_vba_scalar("${bare}" ${vba7} scalar)
    if(scalar STREQUAL "")
      set(${out} "" PARENT_SCOPE)
      return()
    endif()
    set(kind Function)
    set(returns " As ${scalar}")
  endif()
  if(vba7)
    set(head "Public Declare PtrSafe ${kind} ${name} Lib \"vorl.dll\" (")
  else()
    set(head "Public Declare ${kind} ${name} Lib \"vorl.dll\" (")
  endif()
  # One line when it reads well, else continued lines (" _") of about 100
  # characters: VBA allows 24 continuations and 1023 characters a line.
  list(JOIN vba_parameters ", " joined)
  set(single "${head}${joined})${returns}")
  string(LENGTH "${single}" single_width)
  if(single_width LESS_EQUAL 150)
    set(${out} "${single}" PARENT_SCOPE)
    return()
  endif()
  set(lines "")
  set(line "${head}")
  list(LENGTH vba_parameters count)
  set(position 0)
  foreach(text IN LISTS vba_parameters)
    math(EXPR position "${position} + 1")
    if(position LESS count)
      string(APPEND text ",")
    endif()
    string(LENGTH "${line} ${text}" width)
    if(width GREATER 100 AND NOT line STREQUAL head)
      list(APPEND lines "${line} _")
      set(line "        ${text}")
    elseif(line STREQUAL head)
      string(APPEND line "${text}")
    else()
      string(APPEND line " ${text}")
    endif()
  endforeach()
  string(APPEND line ")${returns}")
  list(APPEND lines "${line}")
  list(LENGTH lines physical)
  if(physical GREATER 25)
    message(FATAL_ERROR "VBA module: the declaration of ${name} needs more than 24 line continuations")
  endif()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# "Public Const NAME As Long = value" lines of the report codes, from
# vorl_codes.inc beside the export table.
function(_vorl_vba_code_constants table out)
  get_filename_component(directory "${table}" DIRECTORY)
  file(STRINGS "${directory}/vorl_codes.inc" lines REGEX "^VORL_CODE\\(")
  set(constants "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^VORL_CODE\\( *([A-Z0-9_]+) *, *([0-9]+) *,")
      list(APPEND constants "Public Const ${CMAKE_MATCH_1} As Long = ${CMAKE_MATCH_2}")
    else()
      message(FATAL_ERROR "Unreadable line of the code table: ${line}")
    endif()
  endforeach()
  set(${out} "${constants}" PARENT_SCOPE)
endfunction()

# Text of the module for the table.
function(vorl_vba_module_text table out)
  vorl_read_export_signatures("${table}" T)
  _vorl_vba_code_constants("${table}" code_constants)
  set(vba7_lines "")
  set(legacy_lines "")
  set(missing "")
  foreach(name IN LISTS T_NAMES)
    _vorl_vba_declare(${name} "${T_RESULT_${name}}" "${T_PARAMETERS_${name}}" TRUE vba7)
    _vorl_vba_declare(${name} "${T_RESULT_${name}}" "${T_PARAMETERS_${name}}" FALSE legacy)
    if(vba7 STREQUAL "" OR legacy STREQUAL "")
      list(APPEND missing "' ${name}: not declared, a type of its signature has no VBA counterpart here")
    else()
      list(APPEND vba7_lines ${vba7})
      list(APPEND legacy_lines ${legacy})
    endif()
  endforeach()

  set(L "")
  list(APPEND L
    "Attribute VB_Name = \"Vorl\""
    "' Declarations of the vorl library (vorl.dll) for VBA, 32-bit and 64-bit Office."
    "' Generated from include/vorl_exports.inc by cmake/VorlVbaModule.cmake. Do not edit:"
    "' change the export table, build, and build the target vorl_vba_module_update."
    "'"
    "' Import this file into a VBA project (File > Import File). vorl.dll must match the"
    "' bitness of Office (x86 for 32-bit, x64 for 64-bit) and be found by Windows: put it"
    "' in the folder of the document and make that folder current (ChDir), or in a folder"
    "' on PATH."
    "'"
    "' Conventions: a model handle is a LongPtr (a Long before VBA7), 0 means no model."
    "' VorlBool results and arguments are a Byte: 0 false, 1 true (any non-zero counts"
    "' as true when passed in). A text buffer is a String of the needed length"
    "' (String$(n, vbNullChar)) passed with its length. An array is passed as its first"
    "' element, ByRef. A callback is passed with AddressOf. Units are SI throughout."
    "' A failing call returns its null result (0, 0#, False or a 0 handle) and logs a"
    "' report: read it with VorlErrorLogCount, VorlErrorLogCode and VorlErrorLogMessage."
    ""
    "Option Explicit"
    ""
    "' The codes of the reports (VorlErrorLogCode, VorlCheckInputs, the error handler)."
    "' VorlCodeText gives the default text of each."
    ${code_constants}
    ""
    "#If VBA7 Then"
    ${vba7_lines}
    "#Else"
    ${legacy_lines}
    "#End If")
  if(missing)
    list(APPEND L "" ${missing})
  endif()

  # The example macro: each part only once its exports are in the table.
  set(have_message TRUE)
  foreach(needed VorlErrorLogCount VorlErrorLogMessage)
    if(NOT needed IN_LIST T_NAMES)
      set(have_message FALSE)
    endif()
  endforeach()
  set(have_example TRUE)
  foreach(needed VorlModelCreateZel VorlModelDelete VorlPipeLengthSet VorlPipeDiameterSet
                 VorlUpstreamPressureSet VorlTotalInflowSet VorlPipeBreachLocationSet VorlFanning
                 VorlIsDoubleBranch)
    if(NOT needed IN_LIST T_NAMES)
      set(have_example FALSE)
    endif()
  endforeach()
  set(have_run TRUE)
  foreach(needed VorlRun VorlBranchAFlowSequenceSize VorlBranchATime VorlBranchAExitFlux
                 VorlBranchBFlowSequenceSize VorlBranchBTime VorlBranchBExitFlux)
    if(NOT needed IN_LIST T_NAMES)
      set(have_run FALSE)
    endif()
  endforeach()

  set(have_author TRUE)
  foreach(needed Author VorlStringFree)
    if(NOT needed IN_LIST T_NAMES)
      set(have_author FALSE)
    endif()
  endforeach()

  if(have_author)
    list(APPEND L
      ""
      "' The author text as a VBA String. Author returns a system string (BSTR) of wide"
      "' characters, which a Declare cannot return As String: it is copied, then freed."
      "#If VBA7 Then"
      "Private Declare PtrSafe Function SysReAllocString Lib \"oleaut32.dll\" (ByVal target As LongPtr, _"
      "        ByVal source As LongPtr) As Long"
      "#Else"
      "Private Declare Function SysReAllocString Lib \"oleaut32.dll\" (ByVal target As Long, _"
      "        ByVal source As Long) As Long"
      "#End If"
      ""
      "Public Function VorlAuthorText() As String"
      "#If VBA7 Then"
      "    Dim bstr As LongPtr"
      "#Else"
      "    Dim bstr As Long"
      "#End If"
      "    Dim copy As String"
      "    bstr = Author()"
      "    If bstr = 0 Then Exit Function"
      "    SysReAllocString VarPtr(copy), bstr"
      "    VorlStringFree bstr"
      "    VorlAuthorText = copy"
      "End Function")
  endif()
  if(have_message)
    list(APPEND L
      ""
      "' Message of the newest report of the error log, \"\" when the log is empty."
      "Public Function VorlLastMessage() As String"
      "    Dim count As Long, length As Long, buffer As String"
      "    count = VorlErrorLogCount()"
      "    If count = 0 Then Exit Function"
      "    buffer = String$(512, vbNullChar)"
      "    length = VorlErrorLogMessage(count - 1, buffer, Len(buffer))"
      "    If length < 0 Then Exit Function"
      "    If length > Len(buffer) - 1 Then length = Len(buffer) - 1"
      "    VorlLastMessage = Left$(buffer, length)"
      "End Function")
  endif()
  if(have_example)
    list(APPEND L
      ""
      "' Example: a methane line of 100 km and 0.5 m bore at 100 bar, fed with 200 kg/s,"
      "' breached 30 km from its upstream end. Prints to the Immediate window (Ctrl+G)."
      "Public Sub VorlExample()"
      "#If VBA7 Then"
      "    Dim model As LongPtr"
      "#Else"
      "    Dim model As Long"
      "#End If"
      "    Dim i As Long"
      ""
      "    model = VorlModelCreateZel(74828)   ' methane, CAS 74-82-8")
    if(have_message)
      list(APPEND L
        "    If model = 0 Then"
        "        Debug.Print \"No model: \" & VorlLastMessage()"
        "        Exit Sub"
        "    End If")
    else()
      list(APPEND L "    If model = 0 Then Exit Sub")
    endif()
    list(APPEND L
      "    VorlPipeLengthSet model, 100000#         ' m"
      "    VorlPipeDiameterSet model, 0.5           ' m"
      "    VorlUpstreamPressureSet model, 10000000# ' Pa"
      "    VorlTotalInflowSet model, 200#           ' kg/s"
      "    VorlPipeBreachLocationSet model, 30000#  ' m from the upstream end"
      "    Debug.Print \"Fanning friction factor:\", VorlFanning(model)"
      "    Debug.Print \"Double branch:\", VorlIsDoubleBranch(model) <> 0")
    if(have_run)
      list(APPEND L
        ""
        "    If VorlRun(model) = 0 Then"
        "        Debug.Print \"Run failed\""
        "    Else"
        "        Debug.Print \"Branch A: time (s), outflow (kg/s)\""
        "        For i = 0 To VorlBranchAFlowSequenceSize(model) - 1"
        "            Debug.Print VorlBranchATime(model, i), VorlBranchAExitFlux(model, i)"
        "        Next i"
        "        Debug.Print \"Branch B: time (s), outflow (kg/s)\""
        "        For i = 0 To VorlBranchBFlowSequenceSize(model) - 1"
        "            Debug.Print VorlBranchBTime(model, i), VorlBranchBExitFlux(model, i)"
        "        Next i"
        "    End If")
    endif()
    list(APPEND L
      ""
      "    VorlModelDelete model   ' deletes the model and sets model to 0"
      "End Sub")
  endif()

  list(JOIN L "\r\n" text)
  string(APPEND text "\r\n")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Build step and update target of a project.
function(vorl_add_vba_module table)
  set(generated ${CMAKE_BINARY_DIR}/vba/Vorl.bas)
  set(committed ${PROJECT_SOURCE_DIR}/examples/vba/Vorl.bas)
  add_custom_command(
    OUTPUT ${generated}
    COMMAND ${CMAKE_COMMAND} -DVORL_TABLE=${table} -DVORL_OUTPUT=${generated} -P ${VORL_VBA_MODULE_SCRIPT}
    DEPENDS ${table} ${VORL_VBA_MODULE_SCRIPT} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VorlWindowsSignatures.cmake
            ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../include/vorl_codes.inc
    COMMENT "Generating the VBA module from the export table"
    VERBATIM)
  add_custom_target(vorl_vba_module ALL DEPENDS ${generated})
  add_custom_target(vorl_vba_module_update
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${generated} ${committed}
    DEPENDS ${generated}
    COMMENT "Updating examples/vba/Vorl.bas from the export table"
    VERBATIM)
  set_property(GLOBAL PROPERTY VORL_VBA_MODULE_COMMITTED ${committed})
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT VORL_TABLE)
    message(FATAL_ERROR "VorlVbaModule.cmake: pass -DVORL_TABLE=<export table>")
  endif()
  vorl_vba_module_text("${VORL_TABLE}" text)
  if(VORL_OUTPUT)
    get_filename_component(directory "${VORL_OUTPUT}" DIRECTORY)
    file(MAKE_DIRECTORY "${directory}")
    file(WRITE "${VORL_OUTPUT}.tmp" "${text}")
    file(COPY_FILE "${VORL_OUTPUT}.tmp" "${VORL_OUTPUT}" ONLY_IF_DIFFERENT)
    file(REMOVE "${VORL_OUTPUT}.tmp")
  endif()
  if(VORL_CHECK)
    if(NOT EXISTS "${VORL_CHECK}")
      message(FATAL_ERROR "${VORL_CHECK} is missing: build the target vorl_vba_module_update")
    endif()
    # Line ends aside (a checkout may convert them), the files must be equal.
    string(RANDOM LENGTH 8 suffix)
    set(fresh "${CMAKE_CURRENT_BINARY_DIR}/Vorl.bas.${suffix}.generated")
    file(WRITE "${fresh}" "${text}")
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files --ignore-eol "${fresh}" "${VORL_CHECK}"
                    RESULT_VARIABLE different)
    file(REMOVE "${fresh}")
    if(different)
      message(FATAL_ERROR "${VORL_CHECK} does not follow the export table: "
                          "build the target vorl_vba_module_update and commit the file")
    endif()
    message(STATUS "${VORL_CHECK} follows the export table")
  endif()
endif()

# Reads the full signatures of the export table include/vorl_exports.inc:
# ordinal, result type, name and every parameter, also when an entry's
# argument list runs over several lines. The Windows checks and the VBA module
# are driven by it, so that they follow the table as it grows.
#
# Usable from a project (include) and from a script (cmake -P).
include_guard(GLOBAL)

# Removes /* */ and // comments from text.
function(_vorl_strip_comments text out)
  set(result "")
  while(TRUE)
    string(FIND "${text}" "/*" start)
    if(start EQUAL -1)
      break()
    endif()
    string(SUBSTRING "${text}" 0 ${start} before)
    string(APPEND result "${before} ")
    math(EXPR after "${start} + 2")
    string(SUBSTRING "${text}" ${after} -1 text)
    string(FIND "${text}" "*/" stop)
    if(stop EQUAL -1)
      message(FATAL_ERROR "Export table: unterminated comment")
    endif()
    math(EXPR after "${stop} + 2")
    string(SUBSTRING "${text}" ${after} -1 text)
  endwhile()
  string(APPEND result "${text}")
  string(REGEX REPLACE "//[^\n]*" "" result "${result}")
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Splits one parameter declaration ("const double* inputs", "double x[16]",
# "VorlHandle model", "int") into its type and its name. The type is written
# with single spaces and '*' as separate words ("const char *"); an array
# parameter is a pointer. The name is empty when the declaration has none.
function(vorl_split_parameter declaration out_type out_name)
  string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*) *\\[[^]]*\\]" "* \\1" declaration "${declaration}")
  string(REPLACE "*" " * " declaration "${declaration}")
  string(REGEX REPLACE "[ \t\r\n]+" ";" words "${declaration}")
  list(REMOVE_ITEM words "")
  set(name "")
  list(LENGTH words count)
  if(count GREATER 1)
    list(GET words -1 last)
    set(type_words const volatile unsigned signed char short int long float double void)
    if(NOT last STREQUAL "*" AND NOT last IN_LIST type_words)
      set(name "${last}")
      list(REMOVE_AT words -1)
    endif()
  endif()
  list(JOIN words " " type)
  set(${out_type} "${type}" PARENT_SCOPE)
  set(${out_name} "${name}" PARENT_SCOPE)
endfunction()

# Stack words of one parameter under the 32-bit Windows convention of the
# interface: a double takes two words; a handle, an int, a bool, a pointer
# (arrays and callbacks included) one word. Gives -1 for a type whose size
# is not known here.
function(vorl_parameter_words type out)
  string(REGEX REPLACE "(^| )(const|volatile)( |$)" " " bare "${type}")
  string(STRIP "${bare}" bare)
  string(REGEX REPLACE " +" " " bare "${bare}")
  if(bare MATCHES "\\*")
    set(words 1)
  elseif(bare MATCHES "^(double|long long|unsigned long long|int64_t|uint64_t)$")
    set(words 2)
  elseif(bare MATCHES "^(int|unsigned|unsigned int|long|unsigned long|short|unsigned short|char|unsigned char|signed char|float|int32_t|uint32_t|VorlBool|VorlHandle|BSTR)$")
    set(words 1)
  elseif(bare MATCHES "^Vorl[A-Za-z0-9]*(Handler|Sink|Callback|Progress)$|^VorlString$")
    # Callback typedefs of the interface are function pointers, VorlString a
    # pointer to characters.
    set(words 1)
  else()
    set(words -1)
  endif()
  set(${out} ${words} PARENT_SCOPE)
endfunction()

# Reads the table. Sets in the caller's scope:
#   <prefix>_NAMES      the export names in table order
#   <prefix>_ORDINALS   their ordinals, in the same order
#   <prefix>_RESULT_<name>      result type
#   <prefix>_PARAMETERS_<name>  list of parameter declarations (empty for none)
function(vorl_read_export_signatures table prefix)
  file(READ "${table}" text)
  _vorl_strip_comments("${text}" text)
  string(REGEX REPLACE "[ \t\r\n]+" " " text "${text}")
  # No CMake list separators or brackets may reach the list commands below.
  string(REPLACE ";" " " text "${text}")
  string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*) *\\[[^]]*\\]" "* \\1" text "${text}")
  string(REGEX MATCHALL "VORL_EXPORT *\\(" openings "${text}")
  string(REGEX MATCHALL
    "VORL_EXPORT *\\( *[0-9]+ *,[^,()]+,[ A-Za-z0-9_]+, *\\([^()]*\\) *\\)" entries "${text}")
  list(LENGTH openings opening_count)
  list(LENGTH entries entry_count)
  if(NOT opening_count EQUAL entry_count)
    message(FATAL_ERROR "Export table ${table}: ${opening_count} entries, of which only ${entry_count} "
                        "have the form VORL_EXPORT(ordinal, result, name, (type name, ...)); "
                        "declare function-pointer arguments through a typedef")
  endif()
  set(names "")
  set(ordinals "")
  foreach(entry IN LISTS entries)
    string(REGEX MATCH "VORL_EXPORT *\\( *([0-9]+) *,([^,()]+),([ A-Za-z0-9_]+), *\\(([^()]*)\\)" _ "${entry}")
    set(ordinal "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" result)
    string(STRIP "${CMAKE_MATCH_3}" name)
    string(STRIP "${CMAKE_MATCH_4}" arguments)
    string(REPLACE "*" " * " result "${result}")
    string(REGEX REPLACE " +" " " result "${result}")
    string(STRIP "${result}" result)
    set(parameters "")
    if(NOT arguments STREQUAL "" AND NOT arguments STREQUAL "void")
      string(REPLACE "," ";" pieces "${arguments}")
      foreach(piece IN LISTS pieces)
        string(STRIP "${piece}" piece)
        list(APPEND parameters "${piece}")
      endforeach()
    endif()
    list(APPEND names ${name})
    list(APPEND ordinals ${ordinal})
    set(${prefix}_RESULT_${name} "${result}" PARENT_SCOPE)
    set(${prefix}_PARAMETERS_${name} "${parameters}" PARENT_SCOPE)
  endforeach()
  set(${prefix}_NAMES "${names}" PARENT_SCOPE)
  set(${prefix}_ORDINALS "${ordinals}" PARENT_SCOPE)
endfunction()

# Stack words of all parameters of one export, or -1 when one of its types is
# not known; the unknown type is named in <out>_UNKNOWN.
function(vorl_export_words parameters out)
  set(total 0)
  set(unknown "")
  foreach(parameter IN LISTS parameters)
    vorl_split_parameter("${parameter}" type name)
    vorl_parameter_words("${type}" words)
    if(words LESS 0)
      set(unknown "${type}")
      set(total -1)
      break()
    endif()
    math(EXPR total "${total} + ${words}")
  endforeach()
  set(${out} ${total} PARENT_SCOPE)
  set(${out}_UNKNOWN "${unknown}" PARENT_SCOPE)
endfunction()

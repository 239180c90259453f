# The export table include/vorl_exports.inc is the single source of truth for the
# C interface: the header declares every export from it, and the Windows module
# definition (.def, NAME @ordinal) is generated from it here.

# Reads the table into two parallel lists: ordinals and names.
function(vorl_read_export_table table out_ordinals out_names)
  file(STRINGS ${table} lines REGEX "^VORL_EXPORT\\(")
  set(ordinals "")
  set(names "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^VORL_EXPORT\\( *([0-9]+) *, *[^,]+, *([A-Za-z0-9_]+) *,")
      list(APPEND ordinals ${CMAKE_MATCH_1})
      list(APPEND names ${CMAKE_MATCH_2})
    else()
      message(FATAL_ERROR "Unreadable export table line: ${line}")
    endif()
  endforeach()
  set(${out_ordinals} ${ordinals} PARENT_SCOPE)
  set(${out_names} ${names} PARENT_SCOPE)
endfunction()

# Writes <binary dir>/vorl.def (Windows: plain names at fixed ordinals) and
# <binary dir>/vorl.map (ELF: a version script that exports the table's names
# and hides every other symbol, the inline ones of the C++ runtime included),
# and links the one that fits the platform into the target.
function(vorl_generate_def_file target table)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
  vorl_read_export_table(${table} ordinals names)
  set(text "LIBRARY vorl\nEXPORTS\n")
  foreach(ordinal name IN ZIP_LISTS ordinals names)
    string(APPEND text "    ${name} @${ordinal}\n")
  endforeach()
  set(def_file ${CMAKE_CURRENT_BINARY_DIR}/vorl.def)
  file(WRITE ${def_file}.tmp "${text}")
  file(COPY_FILE ${def_file}.tmp ${def_file} ONLY_IF_DIFFERENT)
  set_property(GLOBAL PROPERTY VORL_DEF_FILE ${def_file})

  set(map "{\n  global:\n")
  foreach(name IN LISTS names)
    string(APPEND map "    ${name};\n")
  endforeach()
  string(APPEND map "  local:\n    *;\n};\n")
  set(map_file ${CMAKE_CURRENT_BINARY_DIR}/vorl.map)
  file(WRITE ${map_file}.tmp "${map}")
  file(COPY_FILE ${map_file}.tmp ${map_file} ONLY_IF_DIFFERENT)

  if(WIN32)
    target_sources(${target} PRIVATE ${def_file})
  elseif(NOT APPLE)
    target_link_options(${target} PRIVATE "LINKER:--version-script=${map_file}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map_file})
  endif()
endfunction()

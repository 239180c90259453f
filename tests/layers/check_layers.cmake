# The layers of src/: a folder includes only from itself and from the folders
# below it, and only interface/ defines functions with C linkage (the
# exports). Every folder of src/ must be in the table; each may include the
# folders listed for it, all of which stand before it in the order, so the
# includes can form no cycle.
#
#   cmake -DVORL_SOURCE_DIR=<src> -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

set(order core reference companion model branch run results interface)
set(allowed_core "")
set(allowed_reference core)  # the reference solver: the standard library, and core at most
set(allowed_companion core)
set(allowed_model core reference companion)  # a model holds its reference settings and last result
set(allowed_branch core reference companion model)
set(allowed_run core reference companion model branch)
set(allowed_results core reference companion model branch run)
set(allowed_interface core reference companion model branch run results)

if(NOT VORL_SOURCE_DIR)
  message(FATAL_ERROR "check_layers.cmake: pass -DVORL_SOURCE_DIR=<src>")
endif()

set(problems "")
# The table itself points down only.
foreach(folder IN LISTS order)
  list(FIND order ${folder} own)
  foreach(below IN LISTS allowed_${folder})
    list(FIND order ${below} position)
    if(position EQUAL -1 OR NOT position LESS own)
      list(APPEND problems "table: ${folder} may include ${below}, which does not stand below it")
    endif()
  endforeach()
endforeach()

file(GLOB_RECURSE sources RELATIVE ${VORL_SOURCE_DIR} ${VORL_SOURCE_DIR}/*.h ${VORL_SOURCE_DIR}/*.cpp)
foreach(source IN LISTS sources)
  string(REGEX REPLACE "/.*" "" folder "${source}")
  if(NOT folder IN_LIST order)
    list(APPEND problems "${source}: folder ${folder} is not in the layer table")
    continue()
  endif()
  file(STRINGS ${VORL_SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
  foreach(line IN LISTS includes)
    string(REGEX MATCH "\"([A-Za-z0-9_]+)/" _ "${line}")
    set(target ${CMAKE_MATCH_1})
    if(NOT target STREQUAL folder AND NOT target IN_LIST allowed_${folder})
      list(APPEND problems "${source}: ${folder}/ includes from ${target}/ (allowed: ${allowed_${folder}})")
    endif()
  endforeach()
  if(NOT folder STREQUAL "interface")
    file(STRINGS ${VORL_SOURCE_DIR}/${source} linkage REGEX "extern \"C\"")
    if(linkage)
      list(APPEND problems "${source}: extern \"C\" outside interface/")
    endif()
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Layer violations:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files of src/ keep to their layers")

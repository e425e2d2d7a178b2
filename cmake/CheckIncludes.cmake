# Holds every #include "x/..." of the sources under ROOT to the layer table
# TABLE (written by configure, see Orvelle.cmake): a file may include the
# headers of its own library, of any library in a lower layer, and of a
# library of its own layer that its library reaches through its DEPS; never
# those of a higher layer or of a program. Programs may include any library.
#
#   cmake -DTABLE=<build>/OrvelleLayers.cmake -DROOT=<source>/src -P CheckIncludes.cmake
#
# Fails with one line per offending include.
cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${TABLE}")
  message(FATAL_ERROR "No layer table at ${TABLE}: configure the build first.")
endif()
include("${TABLE}")

# Owners by folder, deepest folder first, so that a library's folder inside
# another's (script/lang inside script) claims its own files.
set(by_depth "")
foreach(owner ${OWNERS})
  string(LENGTH "${FOLDER_${owner}}" n)
  math(EXPR key "10000 - ${n}")
  string(LENGTH "${key}" digits)
  while(digits LESS 5)
    string(PREPEND key "0")
    string(LENGTH "${key}" digits)
  endwhile()
  list(APPEND by_depth "${key}:${owner}")
endforeach()
list(SORT by_depth)
set(owners_deep_first "")
foreach(entry ${by_depth})
  string(REGEX REPLACE "^[0-9]+:" "" owner "${entry}")
  list(APPEND owners_deep_first ${owner})
endforeach()

# The library or program whose folder holds path (relative to ROOT).
function(owner_of path out)
  foreach(owner ${owners_deep_first})
    set(folder "${FOLDER_${owner}}")
    string(LENGTH "${folder}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    if(head STREQUAL "${folder}/")
      set(${out} ${owner} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/*.h" "${ROOT}/*.hpp" "${ROOT}/*.inl"
  "${ROOT}/*.cpp" "${ROOT}/*.cc" "${ROOT}/*.c")
list(SORT files)
set(problems "")
foreach(file ${files})
  owner_of("${file}" from)
  if(NOT from)
    list(APPEND problems "${file}: in no library's or program's folder")
    continue()
  endif()
  file(STRINGS "${ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" path "${line}")
    # Only paths from src/ ("x/..."); a file's neighbours and the system's
    # headers are not another library's.
    if(NOT path MATCHES "/" OR NOT EXISTS "${ROOT}/${path}")
      continue()
    endif()
    owner_of("${path}" to)
    if(NOT to OR to STREQUAL from OR LAYER_${from} STREQUAL "(program)")
      continue()
    endif()
    set(where "${file} includes \"${path}\": ${from} (layer ${LAYER_${from}}) ")
    if(LAYER_${to} STREQUAL "(program)")
      list(APPEND problems "${where}may not include the program ${to}'s files")
    elseif(RANK_${to} GREATER RANK_${from})
      list(APPEND problems "${where}may not include ${to}, which sits in the higher layer ${LAYER_${to}}")
    elseif(RANK_${to} EQUAL RANK_${from} AND NOT to IN_LIST REACH_${from})
      list(APPEND problems "${where}may include ${to} of its own layer only with a DEPS on it")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  list(JOIN LAYERS " < " order)
  message(FATAL_ERROR "Includes against the layer order:\n  ${text}\n"
    "The layers: ${order}. A lower library reaches a higher one only "
    "through an interface it declares itself, installed by the game's wiring.")
endif()
list(LENGTH files count)
message(STATUS "${count} files hold to the layer order.")

# Throwaway projects over cmake/Orvelle.cmake with two layers, low and high:
# configure must refuse a DEPS that points up or closes a cycle within a
# layer, with a plain message, and accept a sound table; the include check
# must refuse an include that points up, sideways without a DEPS, or into a
# program, and accept the rest.
#
#   cmake -DPROJECT_ROOT=<source> -DWORK=<folder> -DGENERATOR=<gen> -DCXX=<compiler> -P LayerRefusals.cmake
cmake_minimum_required(VERSION 3.25)

# A project at dir with one library (or program) per entry "name layer [dep ...]";
# the layer "-" leaves LAYER out, "program" makes it a program.
function(write_project dir)
  file(REMOVE_RECURSE "${dir}")
  set(names "")
  foreach(entry ${ARGN})
    string(REPLACE " " ";" words "${entry}")
    list(POP_FRONT words name layer)
    list(JOIN words " " deps)
    if(layer STREQUAL "program")
      set(call "orvelle_program(${name} SOURCES Main.cpp DEPS ${deps})")
      file(WRITE "${dir}/src/${name}/Main.cpp" "int main() { return 0; }\n")
    else()
      set(layer_arg "")
      if(NOT layer STREQUAL "-")
        set(layer_arg "LAYER ${layer}")
      endif()
      set(call "orvelle_library(${name} ${layer_arg} DEPS ${deps})")
      file(WRITE "${dir}/src/${name}/${name}.cpp" "int ${name}_value() { return 1; }\n")
    endif()
    file(WRITE "${dir}/src/${name}/CMakeLists.txt" "${call}\n")
    list(APPEND names ${name})
  endforeach()
  file(WRITE "${dir}/CMakeLists.txt"
    "cmake_minimum_required(VERSION 3.25)\n"
    "project(layercase LANGUAGES CXX)\n"
    "include(\"${PROJECT_ROOT}/cmake/Orvelle.cmake\")\n"
    "orvelle_layers(low high)\n"
    "foreach(dir ${names})\n  add_subdirectory(src/\${dir})\nendforeach()\n")
endfunction()

# Runs the command after expect and records a failure unless it ends as
# expected: "accepted" (exit 0), or refused with output matching the regex.
function(run_case name expect)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(all "${out}${err}")
  # The message is wrapped in the output; compare it as one line.
  string(REGEX REPLACE "[ \n]+" " " flat "${all}")
  if(expect STREQUAL "accepted")
    if(NOT rc EQUAL 0)
      set_property(GLOBAL APPEND_STRING PROPERTY failures "\n${name}: refused, should be accepted:\n${all}")
    endif()
  elseif(rc EQUAL 0)
    set_property(GLOBAL APPEND_STRING PROPERTY failures "\n${name}: accepted, should be refused")
  elseif(NOT flat MATCHES "${expect}")
    set_property(GLOBAL APPEND_STRING PROPERTY failures "\n${name}: refused without \"${expect}\":\n${all}")
  endif()
endfunction()

# Configures the project of those entries.
function(configure_case name expect)
  set(dir "${WORK}/${name}")
  write_project("${dir}" ${ARGN})
  run_case(${name} "${expect}"
    ${CMAKE_COMMAND} -S "${dir}" -B "${dir}/build" -G "${GENERATOR}" "-DCMAKE_CXX_COMPILER=${CXX}")
endfunction()

# e reaches b past d, which declares no DEPS at all.
set(sound_table "a low m" "b high a" "c high b" "d high" "e high d b" "p program c")

configure_case(sound_table accepted ${sound_table})
configure_case(upward_deps "a \\(layer low\\) declares DEPS b, which sits in the higher layer high"
  "a low b" "b high")
configure_case(cycle_in_layer "the DEPS within layer high form a cycle: b -> c -> b"
  "a low" "b high a c" "c high b")
# A library leading into a cycle is not on it: only the cycle is named.
configure_case(tail_into_cycle "form a cycle: c -> d -> c\\."
  "b high c" "c high d" "d high c")
configure_case(cycle_with_self "form a cycle: a -> a\\." "a low a")
configure_case(unknown_layer "the layer middle is not in the layer table" "a middle")
configure_case(no_layer "orvelle_library\\(a\\) names no LAYER" "a -")

# The include check over copies of the sound project's sources, each with
# one include added; the table is the sound project's.
set(table "${WORK}/sound_table/build/OrvelleLayers.cmake")
function(include_case name expect file include)
  set(root "${WORK}/includes/${name}")
  file(REMOVE_RECURSE "${root}")
  foreach(lib a b c d e)
    string(TOUPPER ${lib} upper)
    file(WRITE "${root}/${lib}/${upper}.h" "#pragma once\n#include <vector>\n#include \"${upper}Detail.h\"\n")
    file(WRITE "${root}/${lib}/${upper}Detail.h" "#pragma once\n")
    file(WRITE "${root}/${lib}/${upper}.cpp" "#include \"${lib}/${upper}.h\"\n")
  endforeach()
  file(WRITE "${root}/p/Main.cpp" "#include \"c/C.h\"\n#include \"a/A.h\"\n")
  file(WRITE "${root}/p/Program.h" "#pragma once\n")
  if(file)
    file(APPEND "${root}/${file}" "#include \"${include}\"\n")
  endif()
  run_case(${name} "${expect}"
    ${CMAKE_COMMAND} -DTABLE=${table} -DROOT=${root} -P "${PROJECT_ROOT}/cmake/CheckIncludes.cmake")
endfunction()

if(EXISTS "${table}")
  include_case(plain_tree accepted "" "")
  include_case(down_a_layer accepted "b/B.cpp" "a/A.h")
  include_case(down_without_deps accepted "d/D.h" "a/ADetail.h")
  include_case(sideways_with_deps accepted "c/C.cpp" "b/B.h")
  include_case(not_a_src_path accepted "a/A.cpp" "ADetail.h")
  include_case(sideways_past_a_library_without_deps accepted "e/E.cpp" "b/B.h")
  include_case(upward_from_source "a/A.cpp includes \"b/B.h\": a \\(layer low\\) may not include b, which sits in the higher layer high"
    "a/A.cpp" "b/B.h")
  include_case(upward_from_header "a/A.h includes \"c/CDetail.h\": a \\(layer low\\) may not include c"
    "a/A.h" "c/CDetail.h")
  include_case(sideways_without_deps "b/B.cpp includes \"c/C.h\": b \\(layer high\\) may include c of its own layer only with a DEPS on it"
    "b/B.cpp" "c/C.h")
  include_case(into_a_program "may not include the program p's files" "c/C.cpp" "p/Program.h")
  include_case(outside_every_folder "stray/S.cpp: in no library's or program's folder" "stray/S.cpp" "a/A.h")
else()
  set_property(GLOBAL APPEND_STRING PROPERTY failures "\nno layer table from the sound project: the include cases did not run")
endif()

get_property(failures GLOBAL PROPERTY failures)
if(failures)
  message(FATAL_ERROR "Layer checks that did not hold:${failures}")
endif()

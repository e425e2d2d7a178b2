# Helpers shared by every subsystem's CMakeLists.
#
# The layers: every library sits in one layer of the table orvelle_layers
# sets, lowest first. A library may declare DEPS on libraries of its own layer
# or of lower ones, never of a higher one, and the DEPS within one layer may
# not form a cycle; configure stops with a plain message otherwise. A lower
# library reaches a higher one only through an interface it declares itself
# and the game's wiring installs. The same table, written to
# ORVELLE_LAYER_TABLE, lets the include check (cmake/CheckIncludes.cmake) hold
# every #include "x/..." under src/ to the same order.
set(ORVELLE_LAYER_TABLE "${CMAKE_BINARY_DIR}/OrvelleLayers.cmake")

# orvelle_layers(LAYER ...)
#   The layer table, lowest layer first. Called once, before any library.
function(orvelle_layers)
  set_property(GLOBAL PROPERTY ORVELLE_LAYERS ${ARGN})
  # The DEPS are checked once every library (of src/, tests, tools) exists.
  cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _orvelle_check_layers)
endfunction()

# orvelle_library(NAME LAYER LAYER [SOURCES ...] [EXCLUDE REGEX ...]
#                 [DEPS ...] [RESET FUNCTION])
#   One static library per subsystem, made of every .cpp/.c file under the
#   current folder (recursively; SOURCES lists them instead, EXCLUDE drops
#   the matching ones), in layer LAYER. The folder, less the folders of
#   other libraries and programs inside it, is the library's for the include
#   check. RESET names the library's function that puts its globals back for
#   tests; the test entry calls it before each test.
function(orvelle_library name)
  cmake_parse_arguments(ARG "" "RESET;LAYER" "SOURCES;DEPS;EXCLUDE" ${ARGN})
  get_property(layers GLOBAL PROPERTY ORVELLE_LAYERS)
  list(JOIN layers " < " order)
  if(NOT ARG_LAYER)
    message(FATAL_ERROR "orvelle_library(${name}) names no LAYER; the layers: ${order}")
  endif()
  if(NOT ARG_LAYER IN_LIST layers)
    message(FATAL_ERROR "orvelle_library(${name}): the layer ${ARG_LAYER} is not in the layer table "
      "(orvelle_layers); the layers: ${order}")
  endif()
  if(NOT ARG_SOURCES)
    file(GLOB_RECURSE ARG_SOURCES CONFIGURE_DEPENDS
      "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.c")
  endif()
  foreach(pattern ${ARG_EXCLUDE})
    list(FILTER ARG_SOURCES EXCLUDE REGEX "${pattern}")
  endforeach()
  if(NOT ARG_SOURCES)
    # A subsystem whose code has not arrived yet still gives a (empty) library.
    set(empty "${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp")
    file(WRITE "${empty}" "// no sources yet\n")
    set(ARG_SOURCES "${empty}")
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(ARG_RESET)
    set_property(TARGET ${name} PROPERTY ORVELLE_RESET ${ARG_RESET})
  endif()
  set_property(TARGET ${name} PROPERTY ORVELLE_LAYER ${ARG_LAYER})
  set_property(TARGET ${name} PROPERTY ORVELLE_DEPS ${ARG_DEPS})
  _orvelle_own_folder(${name})
  orvelle_declare_library(${name})
endfunction()

# orvelle_program(NAME SOURCES ... DEPS ...)
#   A program of src/ (the game's entry, the developer's tools): above every
#   layer, written to the build folder's top.
function(orvelle_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}")
  _orvelle_own_folder(${name})
endfunction()

# orvelle_declare_library(NAME)
#   Lists a subsystem library for the link check (tests/link_check), which
#   links all of it against only the dependencies it declares.
function(orvelle_declare_library name)
  set_property(GLOBAL APPEND PROPERTY ORVELLE_LIBRARIES ${name})
endfunction()

# Records the current folder (relative to src/) as the one target name's
# sources live in, for the include check.
function(_orvelle_own_folder name)
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}/src" "${CMAKE_CURRENT_SOURCE_DIR}")
  set_property(TARGET ${name} PROPERTY ORVELLE_FOLDER "${folder}")
  set_property(GLOBAL APPEND PROPERTY ORVELLE_FOLDER_OWNERS ${name})
endfunction()

# The declared DEPS of every library against the layer table (see the top of
# this file); writes the table for the include check when they hold.
function(_orvelle_check_layers)
  get_property(layers GLOBAL PROPERTY ORVELLE_LAYERS)
  get_property(libs GLOBAL PROPERTY ORVELLE_LIBRARIES)
  set(problems "")
  foreach(lib ${libs})
    get_target_property(layer ${lib} ORVELLE_LAYER)
    list(FIND layers ${layer} rank)
    set(rank_${lib} ${rank})
    set(same_${lib} "")
    get_target_property(deps ${lib} ORVELLE_DEPS)
    foreach(dep ${deps})
      if(NOT dep IN_LIST libs)
        continue()  # a system library
      endif()
      get_target_property(dep_layer ${dep} ORVELLE_LAYER)
      list(FIND layers ${dep_layer} dep_rank)
      if(dep_rank GREATER rank)
        list(APPEND problems "${lib} (layer ${layer}) declares DEPS ${dep}, which sits in the higher layer ${dep_layer}.")
      elseif(dep_rank EQUAL rank)
        list(APPEND same_${lib} ${dep})
      endif()
    endforeach()
  endforeach()

  # Within a layer: peel off the libraries whose same-layer DEPS are all
  # peeled already; whatever stays is on a cycle or leads into one.
  set(left ${libs})
  set(progress TRUE)
  while(progress)
    set(progress FALSE)
    foreach(lib ${left})
      set(blocked FALSE)
      foreach(dep ${same_${lib}})
        if(dep IN_LIST left)
          set(blocked TRUE)
          break()
        endif()
      endforeach()
      if(NOT blocked)
        list(REMOVE_ITEM left ${lib})
        set(progress TRUE)
      endif()
    endforeach()
  endwhile()
  set(reported "")
  foreach(start ${left})
    if(start IN_LIST reported)
      continue()
    endif()
    # Follow DEPS that are still left until one comes round again.
    set(path ${start})
    set(at ${start})
    while(TRUE)
      foreach(dep ${same_${at}})
        if(dep IN_LIST left)
          set(at ${dep})
          break()
        endif()
      endforeach()
      list(FIND path ${at} seen)
      if(NOT seen EQUAL -1)
        break()
      endif()
      list(APPEND path ${at})
    endwhile()
    list(SUBLIST path ${seen} -1 cycle)
    list(APPEND reported ${cycle})
    list(APPEND cycle ${at})
    list(JOIN cycle " -> " text)
    get_target_property(layer ${at} ORVELLE_LAYER)
    list(APPEND problems "the DEPS within layer ${layer} form a cycle: ${text}.")
  endforeach()

  if(problems)
    list(JOIN problems "\n  " text)
    list(JOIN layers " < " order)
    message(FATAL_ERROR "Layer order broken:\n  ${text}\n"
      "A library may depend only on its own layer (without a cycle) or lower ones; the layers: "
      "${order}. A lower library reaches a higher one only through an "
      "interface it declares itself, installed by the game's wiring.")
  endif()
  _orvelle_write_layer_table("${layers}" "${libs}")
endfunction()

# The include check's table: for each library and program, its folder under
# src/, its layer's rank (programs above every layer) and the libraries it
# reaches through its DEPS.
function(_orvelle_write_layer_table layers libs)
  list(LENGTH layers top)
  get_property(owners GLOBAL PROPERTY ORVELLE_FOLDER_OWNERS)
  set(text "# Generated by _orvelle_check_layers: the layer table for cmake/CheckIncludes.cmake.\n")
  string(APPEND text "set(LAYERS \"${layers}\")\nset(OWNERS \"${owners}\")\n")
  foreach(owner ${owners})
    get_target_property(folder ${owner} ORVELLE_FOLDER)
    if(owner IN_LIST libs)
      get_target_property(layer ${owner} ORVELLE_LAYER)
      list(FIND layers ${layer} rank)
      get_target_property(deps ${owner} ORVELLE_DEPS)
    else()
      set(layer "(program)")
      set(rank ${top})
      get_target_property(deps ${owner} LINK_LIBRARIES)
    endif()
    # Everything reached through DEPS, for the same-layer includes.
    set(reach "")
    set(stack ${deps})
    list(LENGTH stack left)
    while(left GREATER 0)
      list(POP_FRONT stack dep)
      if(dep IN_LIST libs AND NOT dep IN_LIST reach)
        list(APPEND reach ${dep})
        get_target_property(more ${dep} ORVELLE_DEPS)
        if(more)
          list(APPEND stack ${more})
        endif()
      endif()
      list(LENGTH stack left)
    endwhile()
    string(APPEND text "set(FOLDER_${owner} \"${folder}\")\nset(LAYER_${owner} \"${layer}\")\n"
      "set(RANK_${owner} ${rank})\nset(REACH_${owner} \"${reach}\")\n")
  endforeach()
  file(CONFIGURE OUTPUT "${ORVELLE_LAYER_TABLE}" CONTENT "${text}" @ONLY)
endfunction()

# Include folders, GoogleTest and the data-folder definitions every test
# program and test support file is compiled with.
function(_orvelle_test_settings target scope)
  target_include_directories(${target} ${scope} "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
  target_link_libraries(${target} ${scope} GTest::gtest GTest::gmock Threads::Threads)
  target_compile_definitions(${target} ${scope}
    ORVELLE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    ORVELLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# The reset functions of target and every library it links, users before
# what they use (a library's reset may still call the ones below it).
function(_orvelle_collect_resets target out_var)
  set(seen "")
  set(order "")
  set(stack ${target})
  while(stack)
    list(POP_FRONT stack lib)
    if(NOT TARGET ${lib} OR lib IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${lib})
    get_target_property(reset ${lib} ORVELLE_RESET)
    if(reset)
      list(APPEND order ${reset})
    endif()
    get_target_property(deps ${lib} LINK_LIBRARIES)
    if(deps)
      list(APPEND stack ${deps})
    endif()
  endwhile()
  set(${out_var} ${order} PARENT_SCOPE)
endfunction()

# One source per test folder defining ResetLinkedGlobals(), which the test
# entry calls: it resets the globals of every library the folder's tests link.
function(_orvelle_reset_source prefix libs out_var)
  set(resets "")
  foreach(lib ${libs})
    _orvelle_collect_resets(${lib} found)
    foreach(r ${found})
      if(NOT r IN_LIST resets)
        list(APPEND resets ${r})
      endif()
    endforeach()
  endforeach()
  set(text "// Generated by orvelle_tests: resets the globals of the libraries linked here.\n")
  foreach(r ${resets})
    string(APPEND text "void ${r}();\n")
  endforeach()
  string(APPEND text "void ResetLinkedGlobals()\n{\n")
  foreach(r ${resets})
    string(APPEND text "    ${r}();\n")
  endforeach()
  string(APPEND text "}\n")
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${prefix}_reset_globals.cpp")
  file(CONFIGURE OUTPUT "${file}" CONTENT "${text}")
  set(${out_var} "${file}" PARENT_SCOPE)
endfunction()

# orvelle_tests(LIBS ... [SUPPORT FOLDER ...])
#   Every *_test.cpp in the current folder becomes its own test program
#   (so one unit's test cannot break another's build), linked with LIBS and
#   GoogleTest, and its cases are registered with CTest. The folder's
#   support/*.cpp files make its test support library (<prefix>_test_support,
#   built once); every program here links it, and the support libraries of
#   the test folders SUPPORT names (relative to tests/, e.g. "graphics" or
#   "game/app"), which are set up before this one.
function(orvelle_tests)
  cmake_parse_arguments(ARG "" "" "LIBS;SUPPORT;ENV;LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}/tests" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REPLACE "/" "_" prefix "${rel}")
  file(GLOB support CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp")
  set(support_libs "")
  foreach(folder ${ARG_SUPPORT})
    string(REPLACE "/" "_" lib "${folder}_test_support")
    if(NOT TARGET ${lib})
      message(FATAL_ERROR "tests/${rel}: tests/${folder} has no test support library (yet)")
    endif()
    list(APPEND support_libs ${lib})
  endforeach()
  # The test entry is compiled once and linked into every program (an object
  # library, so nothing is dropped).
  if(NOT TARGET orvelle_test_main)
    add_library(orvelle_test_main OBJECT "${PROJECT_SOURCE_DIR}/tests/common/TestMain.cpp")
    target_link_libraries(orvelle_test_main PUBLIC GTest::gtest)
  endif()
  set(common orvelle_test_main)
  _orvelle_reset_source(${prefix} "${ARG_LIBS};${support_libs}" reset_source)
  add_library(${prefix}_test_reset OBJECT "${reset_source}")
  list(APPEND common ${prefix}_test_reset)
  if(support)
    add_library(${prefix}_test_support STATIC ${support})
    _orvelle_test_settings(${prefix}_test_support PUBLIC)
    target_link_libraries(${prefix}_test_support PUBLIC ${support_libs} ${ARG_LIBS})
    list(APPEND common ${prefix}_test_support)
  endif()
  list(APPEND common ${support_libs})
  foreach(src ${tests})
    get_filename_component(stem "${src}" NAME_WE)
    set(exe "${prefix}_${stem}")
    add_executable(${exe} "${src}")
    _orvelle_test_settings(${exe} PRIVATE)
    target_link_libraries(${exe} PRIVATE ${common} ${ARG_LIBS})
    # Headless defaults are set by the test entry (tests/common/TestMain.cpp);
    # a list-valued ENVIRONMENT does not survive test discovery intact.
    set(props TIMEOUT 300)
    if(ARG_ENV)
      list(APPEND props ENVIRONMENT "${ARG_ENV}")
    endif()
    if(ARG_LABELS)
      list(APPEND props LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(${exe}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ${props})
  endforeach()
endfunction()

# Headless defaults for every test: SDL draws offscreen through Mesa's
# OpenGL and plays sound nowhere.
set(ORVELLE_TEST_ENV
  "SDL_VIDEODRIVER=offscreen;SDL_RENDER_DRIVER=opengl;SDL_AUDIODRIVER=dummy;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

# orvelle_benchmarks(LIBS ...)
#   Every *_bench.cpp in the current folder becomes bench_<stem>.
function(orvelle_benchmarks)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB benches CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_bench.cpp")
  foreach(src ${benches})
    get_filename_component(stem "${src}" NAME_WE)
    string(REGEX REPLACE "_bench$" "" stem "${stem}")
    add_executable(bench_${stem} "${src}")
    target_include_directories(bench_${stem} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/bench")
    target_link_libraries(bench_${stem} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
    target_compile_definitions(bench_${stem} PRIVATE ORVELLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set_target_properties(bench_${stem} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
  endforeach()
endfunction()

# orvelle_fuzzers(LIBS ...)
#   Every *_fuzz.cpp in the current folder defines LLVMFuzzerTestOneInput.
#   In the fuzz build it becomes the libFuzzer program fuzz_<stem>; in the test
#   build it becomes replay_<stem>, a CTest test that feeds it every input kept
#   in fuzz/corpus/<stem>/ (inputs that once found a fault stay there).
function(orvelle_fuzzers)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB fuzzers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_fuzz.cpp")
  foreach(src ${fuzzers})
    get_filename_component(stem "${src}" NAME_WE)
    string(REGEX REPLACE "_fuzz$" "" stem "${stem}")
    if(ORVELLE_FUZZ)
      add_executable(fuzz_${stem} "${src}")
      target_link_options(fuzz_${stem} PRIVATE -fsanitize=fuzzer,address,undefined)
      set(target fuzz_${stem})
    else()
      add_executable(replay_${stem} "${src}" "${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp")
      add_test(NAME replay_${stem} COMMAND replay_${stem} "${PROJECT_SOURCE_DIR}/fuzz/corpus/${stem}")
      set_tests_properties(replay_${stem} PROPERTIES ENVIRONMENT "${ORVELLE_TEST_ENV}" TIMEOUT 300)
      set(target replay_${stem})
    endif()
    target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} Threads::Threads)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
  endforeach()
endfunction()

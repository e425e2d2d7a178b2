# Helpers shared by every subsystem's CMakeLists.
#
# orvelle_library(NAME DIR [DEPS ...])
#   One static library per subsystem, made of every .cpp/.c file under DIR
#   (recursively, except the platform backends which list their own sources).
function(orvelle_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;EXCLUDE" ${ARGN})
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
  orvelle_declare_library(${name})
endfunction()

# orvelle_declare_library(NAME)
#   Lists a subsystem library for the link check (tests/link_check), which
#   links all of it against only the dependencies it declares.
function(orvelle_declare_library name)
  set_property(GLOBAL APPEND PROPERTY ORVELLE_LIBRARIES ${name})
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

# orvelle_tests(LIBS ...)
#   Every *_test.cpp in the current folder becomes its own test program
#   (so one unit's test cannot break another's build), linked with LIBS and
#   GoogleTest, and its cases are registered with CTest.
function(orvelle_tests)
  cmake_parse_arguments(ARG "" "" "LIBS;ENV;LABELS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}/tests" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REPLACE "/" "_" prefix "${rel}")
  file(GLOB support CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp")
  # The test entry and each folder's support files are compiled once and
  # linked into every program (object libraries, so nothing is dropped).
  if(NOT TARGET orvelle_test_main)
    add_library(orvelle_test_main OBJECT "${PROJECT_SOURCE_DIR}/tests/common/TestMain.cpp")
    target_link_libraries(orvelle_test_main PUBLIC GTest::gtest)
  endif()
  set(common orvelle_test_main)
  if(support)
    add_library(${prefix}_test_support OBJECT ${support})
    _orvelle_test_settings(${prefix}_test_support PUBLIC)
    target_link_libraries(${prefix}_test_support PUBLIC ${ARG_LIBS})
    list(APPEND common ${prefix}_test_support)
  endif()
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

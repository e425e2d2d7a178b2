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
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
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
  foreach(src ${tests})
    get_filename_component(stem "${src}" NAME_WE)
    set(exe "${prefix}_${stem}")
    add_executable(${exe} "${src}" ${support})
    target_include_directories(${exe} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
    target_link_libraries(${exe} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
    target_compile_definitions(${exe} PRIVATE
      ORVELLE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
      ORVELLE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${exe}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "${ARG_ENV}" LABELS "${ARG_LABELS}" TIMEOUT 300)
  endforeach()
endfunction()

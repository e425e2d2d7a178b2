# Runs NAME.lua with RUNNER in the current folder and compares its output
# with NAME.expected (and its error output with NAME.stderr when present).
# With COMPILED set, NAME.lua is first compiled to that file (runner -o),
# and the compiled chunk is what runs.
set(script "${NAME}.lua")
if(COMPILED)
  execute_process(
    COMMAND "${RUNNER}" -o "${COMPILED}" "${NAME}.lua"
    ERROR_VARIABLE err
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "compiling ${NAME}.lua failed (${rc}):\n${err}")
  endif()
  set(script "${COMPILED}")
endif()
execute_process(
  COMMAND "${RUNNER}" "${script}"
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err
  RESULT_VARIABLE rc)
file(READ "${NAME}.expected" expected)
set(failed FALSE)
if(EXISTS "${NAME}.stderr")
  file(READ "${NAME}.stderr" expected_err)
  if(rc EQUAL 0)
    message(SEND_ERROR "expected a failing exit status, got 0")
    set(failed TRUE)
  endif()
  if(NOT err STREQUAL expected_err)
    message(SEND_ERROR "error output differs.\n--- expected\n${expected_err}--- got\n${err}")
    set(failed TRUE)
  endif()
elseif(NOT rc EQUAL 0 OR NOT err STREQUAL "")
  message(SEND_ERROR "exit status ${rc}, error output:\n${err}")
  set(failed TRUE)
endif()
if(NOT out STREQUAL expected)
  message(SEND_ERROR "output differs from ${NAME}.expected.\n--- expected\n${expected}--- got\n${out}")
  set(failed TRUE)
endif()
if(failed)
  message(FATAL_ERROR "${NAME}: failed")
endif()

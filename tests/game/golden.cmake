# Runs kelvado-sim on one script and checks its output, error message and exit code.
#   cmake -DSIM=<kelvado-sim> -DSCRIPT=<x.sim> [-DEXPECTED=<x.out>] [-DEXIT_CODE=n]
#         [-DERROR_MATCH=<regex>] [-DUPDATE=ON] -P golden.cmake
# With UPDATE=ON the expected output is rewritten from this run instead of compared.
execute_process(COMMAND ${SIM} INPUT_FILE ${SCRIPT}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT DEFINED EXIT_CODE)
  set(EXIT_CODE 0)
endif()
if(NOT rc EQUAL EXIT_CODE)
  message(FATAL_ERROR "exit code ${rc}, expected ${EXIT_CODE}; stderr: ${err}")
endif()
if(DEFINED ERROR_MATCH)
  if(NOT err MATCHES "${ERROR_MATCH}")
    message(FATAL_ERROR "stderr '${err}' does not match '${ERROR_MATCH}'")
  endif()
elseif(NOT err STREQUAL "")
  message(FATAL_ERROR "unexpected stderr: ${err}")
endif()
if(DEFINED EXPECTED)
  if(UPDATE)
    file(WRITE ${EXPECTED} "${out}")
    return()
  endif()
  file(READ ${EXPECTED} want)
  if(NOT out STREQUAL want)
    get_filename_component(name ${SCRIPT} NAME_WE)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual "${out}")
    message(FATAL_ERROR "output differs from ${EXPECTED}; "
      "this run's output is in ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual")
  endif()
elseif(NOT out STREQUAL "")
  message(FATAL_ERROR "a rejected script must not run at all, but printed: ${out}")
endif()

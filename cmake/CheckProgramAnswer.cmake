# ctest helper: runs PROGRAM with ARGUMENT (--version or --help) and checks
# that it answers on standard output with exit status 0. For --version the
# answer must be exactly EXPECTED; for --help it must contain EXPECTED.
execute_process(COMMAND "${PROGRAM}" "${ARGUMENT}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "${PROGRAM} ${ARGUMENT} ended with '${status}'\n${out}${err}")
endif()
if(ARGUMENT STREQUAL "--version")
  if(NOT out STREQUAL "${EXPECTED}\n")
    message(FATAL_ERROR "${PROGRAM} --version answered '${out}', expected '${EXPECTED}'")
  endif()
else()
  string(FIND "${out}" "${EXPECTED}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${PROGRAM} ${ARGUMENT} lacks '${EXPECTED}':\n${out}${err}")
  endif()
endif()

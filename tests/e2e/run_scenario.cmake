# One scenario: a fresh copy of the generated folder FIXTURE in FOLDER, then zoq-e2e PROGRAM on
# SCRIPT there. Passes when every step printed "ok" and the game ended with "exit 0".
file(REMOVE_RECURSE "${FOLDER}")
file(COPY "${FIXTURE}/" DESTINATION "${FOLDER}")
execute_process(COMMAND "${PROGRAM}" run "${SCRIPT}" "${FOLDER}"
    RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
if(NOT code EQUAL 0 OR output MATCHES "(^|\n)fail " OR NOT output MATCHES "\nexit 0\n$")
    message(FATAL_ERROR "the scenario ended with ${code}")
endif()

# One scenario: a fresh copy of the generated folder FIXTURE in FOLDER, then zoq-e2e PROGRAM on
# SCRIPT there. Passes when every step printed "ok" and the game ended with "exit 0". With CHECK
# (a Python checker), "PYTHON CHECK FOLDER CHECK_ARGS..." must then exit 0 too.
file(REMOVE_RECURSE "${FOLDER}")
file(COPY "${FIXTURE}/" DESTINATION "${FOLDER}")
execute_process(COMMAND "${PROGRAM}" run "${SCRIPT}" "${FOLDER}"
    RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
if(NOT code EQUAL 0 OR output MATCHES "(^|\n)fail " OR NOT output MATCHES "\nexit 0\n$")
    message(FATAL_ERROR "the scenario ended with ${code}")
endif()
if(CHECK)
    separate_arguments(arguments UNIX_COMMAND "${CHECK_ARGS}")
    execute_process(COMMAND "${PYTHON}" "${CHECK}" "${FOLDER}" ${arguments}
        RESULT_VARIABLE checked OUTPUT_VARIABLE said ERROR_VARIABLE said)
    message("${said}")
    if(NOT checked EQUAL 0)
        message(FATAL_ERROR "the check ended with ${checked}")
    endif()
endif()

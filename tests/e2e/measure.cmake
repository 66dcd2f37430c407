# zoq-e2e PROGRAM measure on a fresh copy of the generated folder FIXTURE in FOLDER: a short flight
# among a few objects. Passes when it ends with 0 and prints its three figure lines, well formed,
# and when a wrong count and a folder that holds no game end with one "zoq-e2e:" line.
file(REMOVE_RECURSE "${FOLDER}")
file(COPY "${FIXTURE}/" DESTINATION "${FOLDER}/game")
file(MAKE_DIRECTORY "${FOLDER}/empty")

function(refused expected_code expected)
    execute_process(COMMAND "${PROGRAM}" measure ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE output
        ERROR_VARIABLE errors)
    if(NOT code EQUAL expected_code OR NOT output STREQUAL "" OR NOT errors MATCHES "(^|\n)zoq-e2e: ${expected}")
        message(FATAL_ERROR "zoq-e2e measure ${ARGN}: exit ${code}, output '${output}', errors '${errors}'")
    endif()
endfunction()

refused(2 "--frames needs a count above 0" "${FOLDER}/game" --frames 0)
refused(1 "cannot write Video=0" "${FOLDER}/empty")

execute_process(COMMAND "${PROGRAM}" measure "${FOLDER}/game" --objects 20 --frames 30
    RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
set(number "[0-9]+\\.[0-9]+")
if(NOT code EQUAL 0 OR NOT output MATCHES
    "^first-frame ${number}\nframe-cpu ${number} ${number} frames=30 objects=20\npeak-rss ${number}\n$")
    message(FATAL_ERROR "zoq-e2e measure ended with ${code}")
endif()

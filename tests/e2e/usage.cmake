# zoq-e2e PROGRAM refuses a wrong command line, an unreadable or wrong script and a missing folder
# with exit code 2 and one line naming the problem, before any game starts.
file(MAKE_DIRECTORY "${FOLDER}")
file(WRITE "${FOLDER}/bad.e2e" "wait menu=start\njump 3\n")
file(WRITE "${FOLDER}/good.e2e" "quit\n")

function(refused expected)
    execute_process(COMMAND "${PROGRAM}" ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT code EQUAL 2 OR NOT output STREQUAL "" OR NOT errors MATCHES "${expected}")
        message(FATAL_ERROR "zoq-e2e ${ARGN}: exit ${code}, output '${output}', errors '${errors}'")
    endif()
endfunction()

set(usage "usage: zoq-e2e run \\[--step MS\\] SCRIPT DIR")
refused("${usage}")
refused("${usage}" run "${FOLDER}/good.e2e")
refused("${usage}" walk "${FOLDER}/good.e2e" "${FOLDER}")
refused("${usage}" run --step 20 "${FOLDER}/good.e2e")
refused("zoq-e2e: '2x' is no step in milliseconds" run --step 2x "${FOLDER}/good.e2e" "${FOLDER}")
refused("zoq-e2e: cannot read ${FOLDER}/missing.e2e" run "${FOLDER}/missing.e2e" "${FOLDER}")
refused("zoq-e2e: ${FOLDER}/bad.e2e: line 2: 'jump' is no step" run "${FOLDER}/bad.e2e" "${FOLDER}")
refused("zoq-e2e: cannot enter ${FOLDER}/missing" run "${FOLDER}/good.e2e" "${FOLDER}/missing")

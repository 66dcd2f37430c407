# zoq-e2e PROGRAM measure on a fresh copy of the generated folder FIXTURE in FOLDER: a short flight
# among a few objects. Passes when it ends with 0 and prints its three figure lines, well formed.
file(REMOVE_RECURSE "${FOLDER}")
file(COPY "${FIXTURE}/" DESTINATION "${FOLDER}")
execute_process(COMMAND "${PROGRAM}" measure "${FOLDER}" --objects 20 --frames 30
    RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message("${output}${errors}")
set(number "[0-9]+\\.[0-9]+")
if(NOT code EQUAL 0 OR NOT output MATCHES
    "^first-frame ${number}\nframe-cpu ${number} ${number} frames=30 objects=20\npeak-rss ${number}\n$")
    message(FATAL_ERROR "zoq-e2e measure ended with ${code}")
endif()

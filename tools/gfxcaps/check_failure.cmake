# Without GL (SDL's dummy driver) zoq-gfxcaps names the reason and exits 1.
# Usage: cmake -DTOOL=<zoq-gfxcaps> -P check_failure.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E env SDL_VIDEODRIVER=dummy "${TOOL}"
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL 1 OR NOT err MATCHES "zoq-gfxcaps: [^\n]+\n$")
    message(FATAL_ERROR "expected exit 1 and a reason, got ${code}:\n${out}\n${err}")
endif()

# Helpers every folder uses to declare tests, benchmarks and fuzz targets.
include_guard(GLOBAL)

set(ZOQ_LSAN_SUPPRESSIONS "${CMAKE_CURRENT_LIST_DIR}/lsan.supp")

# The environment every test runs in: headless video, silent audio, software GL without an on-disk
# shader cache (tests write only in their own folder), fixed zone and locale.
set(ZOQ_TEST_ENVIRONMENT
    SDL_VIDEODRIVER=offscreen
    SDL_AUDIODRIVER=dummy
    ALSOFT_DRIVERS=null
    ALSOFT_LOGLEVEL=0
    GALLIUM_DRIVER=llvmpipe
    MESA_SHADER_CACHE_DISABLE=true
    TZ=UTC
    LC_ALL=C)
if(ZOQ_SANITIZE)
    list(APPEND ZOQ_TEST_ENVIRONMENT
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
        LSAN_OPTIONS=suppressions=${ZOQ_LSAN_SUPPRESSIONS}:print_suppressions=0)
endif()

# zoq_add_test(NAME COMMAND cmd... [LABELS l...] [TIMEOUT s]): a CTest case in the test environment.
function(zoq_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT;WORKING_DIRECTORY" "COMMAND;LABELS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    if(NOT ARG_WORKING_DIRECTORY)
        set(ARG_WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
    endif()
    add_test(NAME ${name} COMMAND ${ARG_COMMAND} WORKING_DIRECTORY "${ARG_WORKING_DIRECTORY}")
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "${ZOQ_TEST_ENVIRONMENT}")
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()

# Test code is compiled for a fast build: it is not what the tests measure, and the product code
# it calls keeps the tree's own flags. Line tables are enough for sanitizer reports and backtraces.
set(ZOQ_TEST_COMPILE_OPTIONS -O0 -g1)

# zoq_test_code(TARGET): compiles TARGET's own sources as test code. Programs and libraries alike
# are compiled position-independent (-fPIC), so that every test program can use the one precompiled
# header of tests/support.
function(zoq_test_code target)
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE OFF)
    target_compile_options(${target} PRIVATE ${ZOQ_TEST_COMPILE_OPTIONS} -fPIC)
endfunction()

# zoq_add_gtest(NAME SOURCES... LIBS... [LABELS...] [TIMEOUT s]): a GoogleTest program run as one case,
# with the helpers of tests/support.
function(zoq_add_gtest name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests")
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} zoq_test_support GTest::gmock GTest::gtest_main)
    zoq_test_code(${name})
    target_precompile_headers(${name} REUSE_FROM zoq_test_support)
    set(extra)
    if(ARG_LABELS)
        list(APPEND extra LABELS ${ARG_LABELS})
    endif()
    if(ARG_TIMEOUT)
        list(APPEND extra TIMEOUT ${ARG_TIMEOUT})
    endif()
    zoq_add_test(${name} COMMAND $<TARGET_FILE:${name}> ${extra})
endfunction()

# zoq_add_bench(NAME SOURCES... LIBS...): a Google Benchmark program; CTest runs it once, briefly.
# Benchmarks are test programs: they have the helpers of tests/support.
function(zoq_add_bench name)
    if(NOT ZOQ_BENCH)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bench")
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} zoq_test_support zoq_bench_main)
    zoq_add_test(bench_${name} COMMAND $<TARGET_FILE:${name}> --benchmark_min_time=0.01 LABELS bench)
    set_property(GLOBAL APPEND PROPERTY ZOQ_BENCH_PROGRAMS "${CMAKE_BINARY_DIR}/bench/${name}")
endfunction()

# zoq_add_fuzz_target(NAME LIBS...): fuzz_NAME.cpp beside the call defines LLVMFuzzerTestOneInput
# for one reader, seeded from corpus/NAME/. Every tree replays the corpus as a test; with ZOQ_FUZZ
# (clang) it is also linked against libFuzzer as fuzz_NAME. Both have the helpers of tests/support.
function(zoq_add_fuzz_target name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    set(source "${CMAKE_CURRENT_SOURCE_DIR}/fuzz_${name}.cpp")
    set(corpus "${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name}")
    add_executable(fuzz_${name}_replay "${source}" "${PROJECT_SOURCE_DIR}/cmake/fuzz_replay.cpp")
    set_target_properties(fuzz_${name}_replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
    target_link_libraries(fuzz_${name}_replay PRIVATE ${ARG_LIBS} zoq_test_support)
    zoq_test_code(fuzz_${name}_replay)
    zoq_add_test(fuzz_${name}_replay COMMAND $<TARGET_FILE:fuzz_${name}_replay> "${corpus}" LABELS fuzz)
    if(ZOQ_FUZZ)
        add_executable(fuzz_${name} "${source}")
        set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/fuzz")
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS} zoq_test_support)
    endif()
    set_property(GLOBAL APPEND PROPERTY ZOQ_FUZZ_TARGETS "${name}=${corpus}")
endfunction()

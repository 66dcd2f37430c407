# The network game, the fault cases and the settings program's output, end to end. Each case runs
# alone on its own copy of the generated folder under the null backend.
set(ZOQ_E2E_FIXTURE "${CMAKE_BINARY_DIR}/mkdata-fixture")
set(ZOQ_E2E_SCENARIOS "${CMAKE_CURRENT_SOURCE_DIR}/scenarios")

function(zoq_e2e_case name)
    set_tests_properties(${name} PROPERTIES
        LABELS "e2e;slow" RUN_SERIAL ON FIXTURES_REQUIRED mkdata_folder)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ZOQ_GFX=null ZOQ_INSTANCE_SCOPE=${name})
endfunction()

foreach(case signal saves loss)
    zoq_add_test(e2e_robust_${case}
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/robust_test.py ${case}
            --zoq-e2e $<TARGET_FILE:zoq_e2e> --fixture ${ZOQ_E2E_FIXTURE} --scenarios ${ZOQ_E2E_SCENARIOS}
            --work ${CMAKE_CURRENT_BINARY_DIR}/e2e_robust_${case}
        TIMEOUT 600)
    zoq_e2e_case(e2e_robust_${case})
endforeach()

# The network game's subject is the release program's transport on the real clock.
if(NOT ZOQ_SANITIZE)
    zoq_add_test(e2e_net
        COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/net_test.py
            --zoq-e2e $<TARGET_FILE:zoq_e2e> --zjserv $<TARGET_FILE:ZJServ> --zoq-net $<TARGET_FILE:zoq-net>
            --fixture ${ZOQ_E2E_FIXTURE} --scenarios ${ZOQ_E2E_SCENARIOS} --work ${CMAKE_CURRENT_BINARY_DIR}/e2e_net
        TIMEOUT 600)
    zoq_e2e_case(e2e_net)
endif()

zoq_add_gtest(e2e_settings_test SOURCES settings_then_game_test.cpp LIBS zoq_settings zoq::sdl2 TIMEOUT 600)
target_compile_definitions(e2e_settings_test PRIVATE
    ZOQ_MKDATA_FIXTURE="${ZOQ_E2E_FIXTURE}" ZOQ_E2E_PROGRAM="$<TARGET_FILE:zoq_e2e>")
add_dependencies(e2e_settings_test zoq_e2e)
zoq_e2e_case(e2e_settings_test)
if(ZOQ_SANITIZE)
    # Run by CTest, the leak checker's tracer crashes on the GL driver's threads as this program
    # ends; settings_test checks the settings program's own leaks.
    set_property(TEST e2e_settings_test APPEND PROPERTY ENVIRONMENT ASAN_OPTIONS=detect_leaks=0)
endif()

zoq_add_gtest(e2e_device_loss_test SOURCES device_loss_test.cpp E2EAppGame.cpp
    LIBS zoq_e2e_driver zoq_game zoq::sdl2 TIMEOUT 600)
target_compile_definitions(e2e_device_loss_test PRIVATE ZOQ_MKDATA_FIXTURE="${ZOQ_E2E_FIXTURE}")
zoq_e2e_case(e2e_device_loss_test)

# Installs BUILD_DIR into PREFIX (emptied first) and checks the files a player and a packager need.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
endif()

set(expected
    bin/ZOQ bin/ZJServ bin/zoq-mkdata bin/zoq-pak bin/zoq-db bin/zoq-tex bin/zoq-model bin/zoq-world
    bin/zoq-net bin/zoq-gfxcaps bin/zoq-script
    share/applications/zoq.desktop
    share/icons/hicolor/scalable/apps/zoq.svg
    share/zoq/game/zjserv.ini share/zoq/game/Data/data01.pak share/zoq/game/Data/DB.dat
    share/zoq/game/Data/Video)
foreach(path IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(SEND_ERROR "missing ${path}")
    endif()
endforeach()

# The entry starts the installed game inside the installed demo folder.
file(READ "${PREFIX}/share/applications/zoq.desktop" entry)
foreach(line "Exec=${PREFIX}/bin/ZOQ" "Path=${PREFIX}/share/zoq/game" "Icon=zoq")
    string(FIND "${entry}" "${line}\n" at)
    if(at EQUAL -1)
        message(SEND_ERROR "zoq.desktop lacks '${line}':\n${entry}")
    endif()
endforeach()

# The one place that finds outside libraries and makes imported targets of them.
# The test and benchmark libraries are needed only when those are built (scripts/play builds neither).
if(ZOQ_TESTS)
    find_package(GTest REQUIRED)
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    if(ZOQ_BENCH)
        find_package(benchmark REQUIRED)
    endif()
endif()
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)

# zoq_pkg(NAME module...): imported target zoq::NAME from pkg-config modules.
function(zoq_pkg name)
    pkg_check_modules(ZOQ_PKG_${name} REQUIRED IMPORTED_TARGET GLOBAL ${ARGN})
    add_library(zoq::${name} ALIAS PkgConfig::ZOQ_PKG_${name})
endfunction()

zoq_pkg(sdl2 sdl2)
zoq_pkg(openal openal)
zoq_pkg(vorbis vorbisenc vorbisfile vorbis ogg)
zoq_pkg(theora theoraenc theoradec ogg)
zoq_pkg(enet libenet)
zoq_pkg(png libpng)
zoq_pkg(jpeg libjpeg)
zoq_pkg(zlib zlib)
zoq_pkg(freetype freetype2)
zoq_pkg(imgui imgui)
zoq_pkg(opengl opengl)

# Dear ImGui's OpenGL 3 renderer comes as source among libimgui-dev's examples; its header sits in the
# package's backends include folder.
find_file(ZOQ_IMGUI_OPENGL3_SOURCE imgui_impl_opengl3.cpp
    PATHS /usr/share/doc/libimgui-dev/examples/backends NO_DEFAULT_PATH NO_CACHE)
find_path(ZOQ_IMGUI_BACKENDS_DIR imgui_impl_opengl3.h PATHS /usr/include/imgui/backends NO_DEFAULT_PATH NO_CACHE)
if(NOT ZOQ_IMGUI_OPENGL3_SOURCE OR NOT ZOQ_IMGUI_BACKENDS_DIR)
    message(FATAL_ERROR "Dear ImGui's OpenGL 3 renderer (imgui_impl_opengl3.cpp and .h) is missing: "
        "install the Debian package libimgui-dev (scripts/setup does)")
endif()

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

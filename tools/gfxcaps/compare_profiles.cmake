# Runs zoq-gfxcaps in both profiles and checks that they differ in exactly the minimal
# profile's items. Usage: cmake -DTOOL=<zoq-gfxcaps> -P compare_profiles.cmake
set(expected
    ArgTemp Anisotropy BorderAddress Dxt5Textures DynamicTextures FogRange FogTable FullScreenGamma MaxAnisotropy
    MaxPixelShaderValue MaxPointSize MaxSimultaneousTextures MaxTextureBlendStages MaxVertexBlendMatrices
    MaxVertexShaderConst PixelShaderVersion ProjectedTextures TextureOpCaps VertexShaderVersion)

foreach(profile full minimal)
    if(profile STREQUAL "minimal")
        set(arguments --minimal)
    else()
        set(arguments)
    endif()
    execute_process(COMMAND "${TOOL}" ${arguments} RESULT_VARIABLE code OUTPUT_VARIABLE out_${profile}
        ERROR_VARIABLE err)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "zoq-gfxcaps ${arguments} failed (${code}): ${err}")
    endif()
    string(REPLACE "\n" ";" lines_${profile} "${out_${profile}}")
endforeach()

list(LENGTH lines_full count_full)
list(LENGTH lines_minimal count_minimal)
if(NOT count_full EQUAL count_minimal)
    message(FATAL_ERROR "the profiles print different numbers of lines")
endif()
set(differing)
math(EXPR last "${count_full} - 1")
foreach(i RANGE ${last})
    list(GET lines_full ${i} a)
    list(GET lines_minimal ${i} b)
    if(NOT a STREQUAL b)
        string(REGEX REPLACE " .*" "" name "${a}")
        list(APPEND differing ${name})
    endif()
endforeach()
list(SORT differing)
list(SORT expected)
if(NOT differing STREQUAL expected)
    message(FATAL_ERROR "the profiles differ in: ${differing}\nexpected: ${expected}")
endif()
if(NOT out_full MATCHES "MaxTextureBlendStages 8\n" OR NOT out_full MATCHES "\nRenderer [^\n]+\nModes [0-9]+x[0-9]+@[0-9]+")
    message(FATAL_ERROR "unexpected report:\n${out_full}")
endif()

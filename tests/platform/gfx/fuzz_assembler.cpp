// Fuzz target: the shader assembler on arbitrary text; what it accepts must load.
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/shader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<uint32_t> tokens;
    std::string errors;
    if (plat::gfx::d3dx::AssembleShader(text, tokens, &errors) != plat::gfx::Result::Ok)
        return 0;
    plat::gfx::ShaderProgram program;
    bool vertex = tokens[0] == plat::gfx::tokens::Version(plat::gfx::ShaderKind::Vertex, 1, 1);
    if (plat::gfx::LoadShaderTokens(
            tokens, vertex ? plat::gfx::ShaderKind::Vertex : plat::gfx::ShaderKind::Pixel, program, nullptr)
        != plat::gfx::Result::Ok)
        std::abort();
    return 0;
}

// Fuzz target: the shader token loader on arbitrary streams, as both kinds.
#include "platform/gfx/shader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint32_t> stream(size / 4);
    if (!stream.empty())
        std::memcpy(stream.data(), data, stream.size() * 4);
    for (plat::gfx::ShaderKind kind : { plat::gfx::ShaderKind::Vertex, plat::gfx::ShaderKind::Pixel }) {
        plat::gfx::ShaderProgram program;
        std::string error;
        plat::gfx::LoadShaderTokens(stream, kind, program, &error);
    }
    return 0;
}

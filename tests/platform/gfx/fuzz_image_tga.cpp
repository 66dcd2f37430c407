// Fuzz target: the TGA reader on arbitrary bytes.
#include "platform/gfx/d3dx/image.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    plat::gfx::d3dx::Image image;
    std::string error;
    plat::gfx::d3dx::ReadTga({ data, size }, image, false, &error);
    return 0;
}

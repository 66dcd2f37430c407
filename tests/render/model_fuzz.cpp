// Fuzz target: the model-file reader on any bytes.
#include "render/ModelFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        ReadModelFile(data, size, [](std::string_view) {});
    } catch (const XModelFileError&) {
    }
    return 0;
}

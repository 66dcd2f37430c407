// Fuzz target: the particle block reader on any bytes (the block without its size word).
#include "render/ParticleBlock.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SParticleBlock block;
    std::string reason;
    if (ParseParticleBlock(data, size, block, reason)) {
        std::vector<uint8_t> out;
        AppendParticleBlock(block, out);
        if (block.keyCount > 20 || out.size() < 4 + particleblock::kFixedBytes)
            __builtin_trap();
    }
    return 0;
}

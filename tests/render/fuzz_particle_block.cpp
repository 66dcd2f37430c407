// Fuzz target: the particle block reader on any bytes (the block without its size word), then a
// few steps of the emitter it describes and the geometry of its particles.
#include "render/CParticleViewer.h"
#include "render/ParticleBlock.h"
#include "tests/support/error_log_test.h"

#include <cstddef>
#include <cstdint>

namespace {

const bool kLogAside = (zoq::test::DiscardErrorLog(), true);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SParticleBlock block;
    std::string reason;
    if (!ParseParticleBlock(data, size, block, reason))
        return 0;
    std::vector<uint8_t> out;
    AppendParticleBlock(block, out);
    if (block.keyCount > 20 || out.size() < 4 + particleblock::kFixedBytes)
        __builtin_trap();
    CParticleViewer emitter;
    emitter.SetBlock(block);
    emitter.CreateBuffers();
    for (int step = 0; step < 4; ++step)
        emitter.Update(0.25f);
    emitter.BuildGeometry();
    Vec3 centre;
    float radius = 0;
    emitter.GetBoundingSphere(centre, radius);
    return 0;
}

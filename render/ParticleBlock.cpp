#include "render/ParticleBlock.h"

#include "foundation/ByteOrder.h"

#include <cstring>

bool ParseParticleBlock(const uint8_t* data, size_t size, SParticleBlock& out, std::string& reason)
{
    using namespace particleblock;
    if (size < kFixedBytes) {
        reason = "particle block of " + std::to_string(size) + " bytes is smaller than its "
            + std::to_string(kFixedBytes) + " fixed bytes";
        return false;
    }
    std::memcpy(&out.desc, data, sizeof(SEmitterDesc));
    const uint32_t keyCount = LoadLE<uint32_t>(data + sizeof(SEmitterDesc));
    const uint64_t keyBytes = uint64_t(keyCount) * kKeyBytes;
    if (keyBytes > size - kFixedBytes) {
        reason = "particle block of " + std::to_string(size) + " bytes cannot hold its "
            + std::to_string(keyCount) + " force keys";
        return false;
    }
    const uint8_t* keys = data + sizeof(SEmitterDesc) + 4;
    out.keyCount
        = keyCount < uint32_t(SEmitterDesc::kKeyCount) ? keyCount : uint32_t(SEmitterDesc::kKeyCount);
    std::memcpy(out.desc.keys, keys, size_t(out.keyCount) * kKeyBytes);
    std::memcpy(&out.viewer, keys + keyBytes, sizeof(SViewerParams));
    out.viewer.texture[sizeof out.viewer.texture - 1] = 0;
    return true;
}

void AppendParticleBlock(const SParticleBlock& block, std::vector<uint8_t>& out)
{
    const uint32_t keyCount = block.keyCount < uint32_t(SEmitterDesc::kKeyCount)
        ? block.keyCount
        : uint32_t(SEmitterDesc::kKeyCount);
    const uint32_t size = particleblock::kFixedBytes + keyCount * particleblock::kKeyBytes;
    auto put = [&out](const void* bytes, size_t n) {
        const auto* p = static_cast<const uint8_t*>(bytes);
        out.insert(out.end(), p, p + n);
    };
    AppendLE(out, size);
    put(&block.desc, sizeof block.desc);
    AppendLE(out, keyCount);
    put(block.desc.keys, size_t(keyCount) * particleblock::kKeyBytes);
    put(&block.viewer, sizeof block.viewer);
}

// The particle block of a model file and of an emitter's save form: the 880-byte emitter
// description, a key count with that many 32-byte force keys written over the start of the
// description's key array, then the 128-byte viewer parameters. The records below are the
// stored bytes; they are copied in and out whole (little-endian host).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SForceKey {
    float a, b, c; // kind 0: acceleration; kind 1: mean; kind 2: turn rates about X, Y, Z
    float d, e, f; // kind 1: half spread of the random part
    uint8_t enabled;
    uint8_t pad[3];
    uint32_t kind;
};
static_assert(sizeof(SForceKey) == 32);

struct SEmitterDesc {
    static constexpr int kKeyCount = 20;

    uint32_t maxParticles;
    float matrix[16]; // rows right, up, forward, position
    float direction[3]; // normalised when the buffers are created
    float spread; // radians
    float lifetime; // seconds
    float rate; // particles per second
    uint8_t subFramePlacement;
    uint8_t pad[3];
    float drag; // velocities shrink by 2^(-drag x dt)
    float speed;
    float speedVariation;
    float burstDuration;
    float pauseDuration;
    SForceKey keys[kKeyCount];
    uint32_t keysInFile;
    uint8_t reserved[120];
};
static_assert(sizeof(SEmitterDesc) == 880);

struct SViewerParams {
    uint32_t kind; // 0 point sprites, 1 quads, 2 atlas in time, 3 atlas by age
    char texture[32];
    float birthSize; // kind 0: the point size
    float deathSize;
    int32_t grid; // atlas of grid x grid cells; 0 becomes 4
    uint8_t reserved[80];
};
static_assert(sizeof(SViewerParams) == 128);

struct SParticleBlock {
    SEmitterDesc desc {};
    // Keys the block wrote over desc.keys, at most kKeyCount.
    uint32_t keyCount = 0;
    SViewerParams viewer {};
};

namespace particleblock {
constexpr uint32_t kKeyBytes = sizeof(SForceKey);
// The smallest block: description, key count, viewer parameters.
constexpr uint32_t kFixedBytes = sizeof(SEmitterDesc) + 4 + sizeof(SViewerParams);
// One submission's worth: "EFFECTPOINT" holds 16000 points, "EFFECT" 63356 indices (six a quad).
constexpr uint32_t kMaxPointParticles = 16000;
constexpr uint32_t kMaxQuadParticles = 63356 / 6;
} // namespace particleblock

// Reads the size bytes of a block (the u32 size before it is the caller's). Keys past 20 are
// skipped; the viewer parameters follow the last key the block holds. False with a reason when
// the block is smaller than its fields.
bool ParseParticleBlock(const uint8_t* data, size_t size, SParticleBlock& out, std::string& reason);
// Appends the u32 size and the block: description, keyCount, keys, viewer parameters.
void AppendParticleBlock(const SParticleBlock& block, std::vector<uint8_t>& out);

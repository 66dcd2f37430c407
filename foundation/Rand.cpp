#include "foundation/Rand.h"

namespace {

// Starts as an unseeded C library generator would, at 1.
uint32_t state = 1;

constexpr uint32_t kMultiplier = 1103515245u;
constexpr uint32_t kIncrement = 12345u;

} // namespace

int Rand()
{
    state = state * kMultiplier + kIncrement;
    return int((state >> 16) & uint32_t(kRandMax));
}

void RandFill(uint16_t* out, size_t n)
{
    // 32 interleaved steps at once, so that the multiplications overlap: x(k + 32) = x(k) x a^32 +
    // c (a^31 + ... + a + 1).
    constexpr int kLanes = 32;
    uint32_t aN = 1;
    uint32_t cN = 0;
    for (int k = 0; k < kLanes; ++k) {
        cN = cN * kMultiplier + kIncrement;
        aN *= kMultiplier;
    }
    uint32_t lanes[kLanes];
    uint32_t x = state;
    for (uint32_t& lane : lanes)
        lane = x = x * kMultiplier + kIncrement;
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        for (int k = 0; k < kLanes; ++k)
            out[i + size_t(k)] = uint16_t((lanes[k] >> 16) & uint32_t(kRandMax));
        state = lanes[kLanes - 1];
        for (uint32_t& lane : lanes)
            lane = lane * aN + cN;
    }
    for (; i < n; ++i)
        out[i] = uint16_t(Rand());
}

void SeedRand(uint32_t seed)
{
    state = seed;
}

float RandRange(float x)
{
    return float(Rand() % 10000) * x * 0.0001f;
}

// The program's own random generator: the linear congruence seed = (seed x 9301 + 49297) mod
// 233280 with the last value seed / 233280 kept beside it. One shared instance, SharedRandom;
// machine groups and the terrain builders step its fields themselves with the same constants.
// Main thread only.
#pragma once

#include <cstdint>

#include "foundation/XStaticFIFO.h"

class XRandom {
public:
    static constexpr uint32_t kMultiplier = 9301;
    static constexpr uint32_t kIncrement = 49297;
    static constexpr uint32_t kModulus = 233280;

    // One step; (seed mod 10000) x range x 0.0001, a value in [0, range).
    float Get(float range);
    // One step; (seed >> 8) mod n. 0 when n <= 0.
    int32_t GetInt(int32_t n);

    float last = 0.0f;
    uint32_t seed = 0;

private:
    void Step();
};

extern XRandom SharedRandom;

// A saved generator state: the bits of the last value and the seed.
struct SRandomState {
    uint32_t lastBits;
    uint32_t seed;
};

// The one stack of saved states of SharedRandom. Pushing a fifth state or popping an empty stack
// logs "XStaticFIFO::Push index is out of range" / "XStaticFIFO::Pop index is out of range" and
// throws XRangeError.
extern XStaticFIFO<SRandomState, 4> RandomStateStack;

void PushRandomState();
void PopRandomState();

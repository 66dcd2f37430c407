#include "foundation/XRandom.h"

#include <bit>

XRandom SharedRandom;
XStaticFIFO<SRandomState, 4> RandomStateStack;

void XRandom::Step()
{
    seed = (seed * kMultiplier + kIncrement) % kModulus;
    last = float(seed) * 4.286694e-6f;
}

float XRandom::Get(float range)
{
    Step();
    return float(seed % 10000) * range * 0.0001f;
}

int32_t XRandom::GetInt(int32_t n)
{
    Step();
    if (n <= 0)
        return 0;
    return int32_t((seed >> 8) % uint32_t(n));
}

void PushRandomState()
{
    RandomStateStack.Push({ std::bit_cast<uint32_t>(SharedRandom.last), SharedRandom.seed });
}

void PopRandomState()
{
    SRandomState state = RandomStateStack.Pop();
    SharedRandom.last = std::bit_cast<float>(state.lastBits);
    SharedRandom.seed = state.seed;
}

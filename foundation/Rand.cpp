#include "foundation/Rand.h"

namespace {

// Starts as an unseeded C library generator would, at 1.
uint32_t state = 1;

} // namespace

int Rand()
{
    state = state * 1103515245u + 12345u;
    return int((state >> 16) & uint32_t(kRandMax));
}

void SeedRand(uint32_t seed)
{
    state = seed;
}

float RandRange(float x)
{
    return float(Rand() % 10000) * x * 0.0001f;
}

// The process-wide integer generator behind every plain "random integer" of the program: one
// linear congruential sequence, the same on every machine. Seed it with SeedRand (the game with
// the time at start-up, tests with fixed values). Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr int kRandMax = 32767;

// 0 .. kRandMax.
int Rand();
void SeedRand(uint32_t seed);
// The next n values of Rand, as n calls would give them (many interleaved steps at a time).
void RandFill(uint16_t* out, size_t n);
// (Rand() mod 10000) x x x 0.0001: a value in [0, x) for x > 0.
float RandRange(float x);

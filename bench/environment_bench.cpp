// The environment's hot paths against plain loops over the same data.
#include "bench/requirements.h"

#include <benchmark/benchmark.h>

// Snow: CEnvFXSnow::Run over 8000 flakes against a loop that moves the same 32-byte records by
// their velocity.
#include "foundation/CTimer.h"
#include "foundation/Rand.h"
#include "world/terrain/CEnvFX.h"
#include "world/terrain/CEnvironment.h"

#include <vector>

namespace {

constexpr float kSnowIntensity = 1.0f; // 8000 flakes

void BM_SnowRun(benchmark::State& state)
{
    SeedRand(5);
    Environment.wind = { 1.0f, 0.5f, 0.0f };
    CEnvFXSnow snow;
    snow.Init(kSnowIntensity);
    snow.Start();
    for (auto _ : state) {
        GameClockF32 += 0.016f;
        snow.Run(0.016f);
        benchmark::DoNotOptimize(snow.particles.get());
    }
    state.counters["flakes"] = double(snow.maxParticles);
}
BENCHMARK(BM_SnowRun);

void BM_SnowPlainMove(benchmark::State& state)
{
    struct Record {
        Vec3 position;
        uint32_t flags;
        Vec3 velocity;
        float speed;
    };
    static_assert(sizeof(Record) == 32);
    std::vector<Record> records(size_t(kSnowIntensity * 8000.0f));
    for (size_t i = 0; i < records.size(); ++i)
        records[i] = { { float(i % 50), float(i % 37), float(i % 23) }, 0, { 0.1f, 0.2f, -0.6f }, 0.05f };
    const float dt = 0.016f;
    for (auto _ : state) {
        for (Record& r : records) {
            r.position.x += dt * r.velocity.x;
            r.position.y += dt * r.velocity.y;
            r.position.z += dt * r.velocity.z;
        }
        benchmark::DoNotOptimize(records.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SnowPlainMove);

const bool kSnowRequired = zoq::bench::Require({
    "CEnvFXSnow::Run over 8000 flakes costs at most 3x moving the same records by their velocity",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_SnowRun") / zoq::bench::TimeOf(r, "BM_SnowPlainMove");
    },
    3.0,
    true,
});

} // namespace

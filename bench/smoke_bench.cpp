// Smoke trails: ageing a full 1,000-puff ring against the same arithmetic over a plain array, and
// building its mesh against a sort of 1,000 keys and a write of 4,000 vertices.
#include "bench/requirements.h"

#include "foundation/CViewFrame.h"
#include "foundation/Rand.h"
#include "world/objects/CSmoke.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr int kPuffs = 1000;
constexpr float kLife = 1.0e9f; // puffs never die while measured
constexpr float kStep = 1.0e-4f;

// A full style-0 ring whose oldest puff sits mid-array, puffs scattered over a 40-unit box.
struct Trail {
    Trail()
    {
        SeedRand(1);
        smoke.Init(CSmoke::kStyleQuads, kPuffs, { 0, 0, 0 }, 1.0f, kLife, 2.0f, 3.0f);
        for (int i = 0; i < kPuffs + kPuffs / 2; ++i) {
            const Vec3 at { float(Rand() % 4000) * 0.01f, float(Rand() % 4000) * 0.01f,
                float(Rand() % 4000) * 0.01f };
            smoke.AddPuff(at, 1.0f, 0x808080u);
        }
    }
    CSmoke smoke;
};

Trail& TheTrail()
{
    static Trail trail;
    return trail;
}

void BM_SmokeUpdate(benchmark::State& state)
{
    CSmoke& smoke = TheTrail().smoke;
    for (auto _ : state) {
        smoke.Update(kStep);
        benchmark::DoNotOptimize(smoke.boundsRadius);
    }
    state.counters["puffs"] = float(smoke.Count());
}
BENCHMARK(BM_SmokeUpdate)->Unit(benchmark::kMicrosecond);

// The age, death, size and bounds arithmetic of Update over a plain array.
void BM_AgeLoop(benchmark::State& state)
{
    std::vector<SSmokePuff> puffs(kPuffs);
    for (int i = 0; i < kPuffs; ++i)
        puffs[size_t(i)] = TheTrail().smoke.Puff(i);
    const float growth = 3.0f;
    for (auto _ : state) {
        float lo[3] = { 1e10f, 1e10f, 1e10f };
        float hi[3] = { -1e10f, -1e10f, -1e10f };
        for (SSmokePuff& puff : puffs) {
            puff.age += kStep;
            if (puff.age * puff.ageRate >= kLife)
                continue;
            puff.size = puff.age / kLife * growth + 1.0f;
            const float p[3] = { puff.position.x, puff.position.y, puff.position.z };
            for (int axis = 0; axis < 3; ++axis) {
                lo[axis] = std::fmin(lo[axis], p[axis]);
                hi[axis] = std::fmax(hi[axis], p[axis]);
            }
        }
        const float dx = (hi[0] - lo[0]) * 0.5f, dy = (hi[1] - lo[1]) * 0.5f, dz = (hi[2] - lo[2]) * 0.5f;
        float radius = std::sqrt(dx * dx + dy * dy + dz * dz);
        benchmark::DoNotOptimize(radius);
    }
    state.counters["puffs"] = kPuffs;
}
BENCHMARK(BM_AgeLoop)->Unit(benchmark::kMicrosecond);

void BM_SmokeMesh(benchmark::State& state)
{
    CSmoke& smoke = TheTrail().smoke;
    const CViewFrame saved = ViewFrame;
    ViewFrame.position = { 20.0f, -80.0f, 20.0f };
    ViewFrame.forward = { 0.0f, 1.0f, 0.0f };
    for (auto _ : state) {
        smoke.MakeMesh();
        benchmark::DoNotOptimize(smoke.mesh.vertices);
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = float(smoke.mesh.vertexCount);
    ViewFrame = saved;
}
BENCHMARK(BM_SmokeMesh)->Unit(benchmark::kMicrosecond);

// std::sort of 1,000 (key, index) pairs in random order, then 4,000 vertices written.
void BM_SortWrite(benchmark::State& state)
{
    std::vector<std::pair<float, int>> keys(kPuffs);
    SeedRand(2);
    for (int i = 0; i < kPuffs; ++i)
        keys[size_t(i)] = { float(Rand()), i };
    std::vector<std::pair<float, int>> sorted(kPuffs);
    std::vector<SSmokeQuadVertex> vertices(4 * kPuffs);
    for (auto _ : state) {
        sorted = keys;
        std::sort(sorted.begin(), sorted.end());
        for (int i = 0; i < kPuffs; ++i) {
            const float k = sorted[size_t(i)].first;
            for (int c = 0; c < 4; ++c)
                vertices[size_t(4 * i + c)]
                    = { k, k + 1.0f, k + 2.0f, uint32_t(sorted[size_t(i)].second), 0.25f, 0.5f, 0.25f, 0.5f };
        }
        benchmark::DoNotOptimize(vertices.data());
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = 4 * kPuffs;
}
BENCHMARK(BM_SortWrite)->Unit(benchmark::kMicrosecond);

const bool kUpdateRequired = zoq::bench::Require({
    "Update of a full 1000-puff trail costs at most 2x the same arithmetic over a plain array",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_SmokeUpdate") / zoq::bench::TimeOf(r, "BM_AgeLoop");
    },
    2.0,
    true,
});

const bool kMeshRequired = zoq::bench::Require({
    "MakeMesh of 1000 puffs costs at most 3x sorting 1000 keys and writing 4000 vertices",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_SmokeMesh") / zoq::bench::TimeOf(r, "BM_SortWrite");
    },
    3.0,
    true,
});

} // namespace

// The environment's hot paths against plain loops over the same data.
#include "bench/requirements.h"

#include <benchmark/benchmark.h>

#include "foundation/CTimer.h"
#include "foundation/Rand.h"
#include "world/db/CRoadManager.h"
#include "world/terrain/CEnvFX.h"
#include "world/terrain/CEnvironment.h"

#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <random>
#include <utility>
#include <vector>

namespace {

// Snow: CEnvFXSnow::Run over 8000 flakes against a loop that moves the same 32-byte records by
// their velocity.
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

// Road paths: GetNearestPath corner to corner on a 20 x 20 grid of road nodes against a
// std::priority_queue Dijkstra over the same nodes and links, both writing the path.
constexpr int kRoadSide = 20;

// The grid's nodes, jittered and at random heights so that the links differ in length.
void MakeRoadGrid()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> jitter(-4.0f, 4.0f);
    std::uniform_real_distribution<float> height(0.0f, 30.0f);
    XDynamicArray<SRoadNode>& nodes = g_RoadManager.Nodes();
    nodes.SetSize(kRoadSide * kRoadSide);
    for (int y = 0; y < kRoadSide; ++y) {
        for (int x = 0; x < kRoadSide; ++x) {
            SRoadNode& node = nodes.At(y * kRoadSide + x);
            node.position[0] = float(x) * 10.0f + jitter(random);
            node.position[1] = float(y) * 10.0f + jitter(random);
            node.position[2] = height(random);
            for (const auto& [dx, dy] :
                { std::pair { 1, 0 }, std::pair { -1, 0 }, std::pair { 0, 1 }, std::pair { 0, -1 } })
                if (x + dx >= 0 && x + dx < kRoadSide && y + dy >= 0 && y + dy < kRoadSide)
                    node.links[node.linkCount++] = (y + dy) * kRoadSide + x + dx;
        }
    }
}

void BM_GetNearestPath(benchmark::State& state)
{
    MakeRoadGrid();
    XDynamicArray<int32_t> path;
    for (auto _ : state) {
        benchmark::DoNotOptimize(g_RoadManager.GetNearestPath(0, kRoadSide * kRoadSide - 1, path));
        benchmark::DoNotOptimize(path.Data());
    }
}
BENCHMARK(BM_GetNearestPath);

void BM_PriorityQueueDijkstra(benchmark::State& state)
{
    MakeRoadGrid();
    const XDynamicArray<SRoadNode>& nodes = g_RoadManager.Nodes();
    const int n = nodes.Count();
    std::vector<float> best(static_cast<size_t>(n));
    std::vector<int> previous(static_cast<size_t>(n));
    std::vector<int> path;
    using Entry = std::pair<float, int>;
    for (auto _ : state) {
        std::fill(best.begin(), best.end(), std::numeric_limits<float>::infinity());
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
        const int goal = n - 1;
        best[0] = 0.0f;
        queue.push({ 0.0f, 0 });
        while (!queue.empty()) {
            const auto [d, u] = queue.top();
            queue.pop();
            if (u == goal)
                break;
            if (d > best[size_t(u)])
                continue;
            const SRoadNode& a = nodes.At(u);
            for (int k = 0; k < a.linkCount; ++k) {
                const int v = a.links[k];
                const SRoadNode& b = nodes.At(v);
                const float dx = b.position[0] - a.position[0];
                const float dy = b.position[1] - a.position[1];
                const float dz = b.position[2] - a.position[2];
                const float next = d + std::sqrt(dx * dx + dy * dy + dz * dz);
                if (next < best[size_t(v)]) {
                    best[size_t(v)] = next;
                    previous[size_t(v)] = u;
                    queue.push({ next, v });
                }
            }
        }
        path.clear();
        for (int x = goal; x != 0; x = previous[size_t(x)])
            path.push_back(x);
        path.push_back(0);
        benchmark::DoNotOptimize(path.data());
    }
}
BENCHMARK(BM_PriorityQueueDijkstra);

const bool kRoadRequired = zoq::bench::Require({
    "GetNearestPath corner to corner on a 20 x 20 grid costs at most 4x a priority-queue Dijkstra",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_GetNearestPath") / zoq::bench::TimeOf(r, "BM_PriorityQueueDijkstra");
    },
    4.0,
    true,
});

} // namespace

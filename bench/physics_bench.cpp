// Terrain physics: a PreMove and Move of 1,000 hovering objects (camera coefficients) on a
// generated hilly map, against one CLocation::GetHeight at the same points.
#include "bench/bench_map.h"
#include "bench/requirements.h"

#include "foundation/ErrorLog.h"
#include "tests/support/temp_dir.h"
#include "tools/map/map_writer.h"
#include "world/objects/CCamera.h"
#include "world/objects/CPhysics.h"
#include "world/terrain/CLocation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 129; // 2 x 2 cells
constexpr int kObjects = 1000;

struct Scene {
    Scene()
    {
        SetErrorLogDirectory(folder.Path().string() + "/");
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(kSide, kSide, "bench");
        for (int gy = 0; gy < kSide; ++gy)
            for (int gx = 0; gx < kSide; ++gx)
                map.heights[map.PointIndex(gx, gy)]
                    = 20.0f * std::sin(float(gx) * 0.21f) * std::cos(float(gy) * 0.17f);
        zoq::bench::LoadBenchMap(map, folder.Path());
        uint32_t x = 12345;
        for (int i = 0; i < kObjects; ++i) {
            x = x * 1103515245u + 12345u;
            const float px = 20.0f + float(x >> 8 & 0xFFFF) / 65536.0f * 1240.0f;
            x = x * 1103515245u + 12345u;
            const float py = 20.0f + float(x >> 8 & 0xFFFF) / 65536.0f * 1240.0f;
            auto object = std::make_unique<CCamera>();
            const Vec3 p { px, py, 0.0f };
            object->frame.SetPosition(Vec3 { px, py, Location.GetHeight(p, true, false) + 9.0f });
            objects.push_back(std::move(object));
        }
    }
    zoq::test::TempDir folder { "physics-bench" };
    std::vector<std::unique_ptr<CCamera>> objects;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_PhysicsStep(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        for (const auto& object : scene.objects) {
            Physics.PreMove(object.get(), 1.0f / 60.0f);
            Physics.Move(object.get(), 1.0f / 60.0f);
        }
        benchmark::ClobberMemory();
    }
    state.counters["objects"] = kObjects;
}
BENCHMARK(BM_PhysicsStep)->Unit(benchmark::kMicrosecond);

void BM_GetHeight(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        float sum = 0.0f;
        for (const auto& object : scene.objects)
            sum += Location.GetHeight(object->frame.position, true, false);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["objects"] = kObjects;
}
BENCHMARK(BM_GetHeight)->Unit(benchmark::kMicrosecond);

const bool kStepRequired = zoq::bench::Require({
    "a PreMove and Move of a hovering object costs at most 50x one GetHeight at the same points",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_PhysicsStep") / zoq::bench::TimeOf(r, "BM_GetHeight");
    },
    50.0,
    true,
});

} // namespace

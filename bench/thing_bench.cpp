// Things on the ground: one frame of 1000 things near the camera with no glider about, against the
// same 1000 real-time list queries for gliders that their search for takers makes.
#include "bench/bench_map.h"
#include "bench/requirements.h"

#include "foundation/CTimer.h"
#include "foundation/ErrorLog.h"
#include "tests/support/temp_dir.h"
#include "tools/map/map_writer.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/objects/PlayerGlobals.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kCells = 4;
constexpr int kThings = 1000;
constexpr Vec3 kCentre { 1280.0f, 1280.0f, 10.0f };

struct Scene {
    Scene()
    {
        SetErrorLogDirectory(folder.Path().string() + "/");
        zoq::bench::LoadBenchMap(
            zoq::tools::map::LocationMap::Flat(kCells * 64 + 1, kCells * 64 + 1, "bench"), folder.Path());
        uint32_t x = 12345;
        const auto next = [&x] {
            x = x * 1103515245u + 12345u;
            return float(x >> 8 & 0xFFFF) / 65536.0f;
        };
        for (int i = 0; i < kThings; ++i) {
            const float angle = next() * 6.2831853f;
            const float distance = next() * 1000.0f;
            const float placement[16]
                = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, kCentre.x + distance * std::cos(angle),
                      kCentre.y + distance * std::sin(angle), kCentre.z, 1 };
            auto* thing = new CTheThing;
            thing->Init(placement, 513);
            ObjectList.AddObject(thing);
            things.push_back(thing);
        }
        PlayerObject = nullptr;
        CameraObject = nullptr;
        PlayerPosition = kCentre;
        VisibleRadius = 256;
        FrameTime = 1.0e-4f; // ages stay far below the expiry age
    }
    zoq::test::TempDir folder { "thing-bench" };
    std::vector<CTheThing*> things;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_ThingRun(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        for (CTheThing* thing : scene.things)
            thing->Run();
    state.counters["things"] = kThings;
}
BENCHMARK(BM_ThingRun)->Unit(benchmark::kMicrosecond);

void BM_ThingQuery(benchmark::State& state)
{
    Scene& scene = TheScene();
    SObjectQuery result {};
    for (auto _ : state) {
        for (const CTheThing* thing : scene.things) {
            const Vec3& p = thing->frame.position;
            ObjectList.GetRealTimeObjectList(
                Vec3 { p.x, p.y, p.z + 12.0f }, 100.0f, CZJObject::kGlider, result);
            benchmark::DoNotOptimize(result.count);
        }
    }
    state.counters["things"] = kThings;
}
BENCHMARK(BM_ThingQuery)->Unit(benchmark::kMicrosecond);

const bool kThingRunRequired = zoq::bench::Require({
    "A frame of 1000 things on the ground with no taker costs at most 1.5x their 1000 real-time list queries",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_ThingRun") / zoq::bench::TimeOf(r, "BM_ThingQuery");
    },
    1.5,
    true,
});

} // namespace

// Placed objects: a 10-s trajectory trace over a generated hilly map, against the 1000
// CLocation::GetHeight calls at the points of the same arc.
#include "bench/bench_map.h"
#include "bench/requirements.h"

#include "foundation/ErrorLog.h"
#include "tests/support/temp_dir.h"
#include "tools/map/map_writer.h"
#include "world/objects/CTrajectoryObject.h"
#include "world/terrain/CLocation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSide = 129; // 2 x 2 cells
const Vec3 kStart { 100.0f, 100.0f, 2000.0f };
const Vec3 kVelocity { 80.0f, 70.0f, 0.0f };

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
        marker.Trace(kStart, kVelocity, 1.05f, 100.0f);
        if (marker.impact || marker.trail.Count() != CTrajectoryObject::kMaxSteps)
            std::abort(); // the arc must fly the whole 10 s
        for (int i = 0; i < marker.trail.Count(); ++i)
            points.push_back(marker.trail.Puff(i).position);
    }
    zoq::test::TempDir folder { "placed-bench" };
    CTrajectoryObject marker;
    std::vector<Vec3> points;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_TrajectoryTrace(benchmark::State& state)
{
    CTrajectoryObject& marker = TheScene().marker;
    for (auto _ : state) {
        marker.Trace(kStart, kVelocity, 1.05f, 100.0f);
        benchmark::DoNotOptimize(marker.trail.count);
    }
    state.counters["dots"] = float(marker.trail.Count());
}
BENCHMARK(BM_TrajectoryTrace)->Unit(benchmark::kMicrosecond);

void BM_HeightLoop(benchmark::State& state)
{
    const std::vector<Vec3>& points = TheScene().points;
    for (auto _ : state) {
        float sum = 0.0f;
        for (const Vec3& p : points)
            sum += Location.GetHeight(p, false, false);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["points"] = float(points.size());
}
BENCHMARK(BM_HeightLoop)->Unit(benchmark::kMicrosecond);

const bool kTraceRequired = zoq::bench::Require({
    "A 10-s trajectory trace costs at most 2x the 1000 CLocation::GetHeight calls at its points",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_TrajectoryTrace") / zoq::bench::TimeOf(r, "BM_HeightLoop");
    },
    2.0,
    true,
});

} // namespace

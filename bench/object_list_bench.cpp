// The object list's visibility and collision passes over 3,000 objects (500 moving) around the
// camera on a 4 x 4 cell map, each against a plain walk of the same cell lists: summing squared
// camera distances for the visibility pass, only the broad sphere test for the collision pass.
#include "bench/bench_map.h"
#include "bench/requirements.h"

#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/ErrorLog.h"
#include "tests/support/temp_dir.h"
#include "tools/map/map_writer.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CObjectList.h"
#include "world/terrain/CLocation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kCells = 4;
constexpr int kObjects = 3000;
constexpr int kMovers = 500;
constexpr Vec3 kEye { 1280.0f, 1280.0f, 60.0f };

// An object that draws nothing.
class BenchObject : public CDynamicObject {
public:
    void Draw() override { }
};

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
        for (int i = 0; i < kObjects; ++i) {
            auto* object = new BenchObject;
            object->type = CZJObject::kStone;
            object->visible = 1;
            object->hitByRays = 1;
            object->radius = 4.0f;
            object->mass = 1.0f;
            const float angle = next() * 6.2831853f;
            const float distance = 20.0f + next() * 1180.0f;
            object->frame.SetPosition(Vec3 { kEye.x + distance * std::cos(angle),
                kEye.y + distance * std::sin(angle), 10.0f + next() * 20.0f });
            if (i < kMovers) {
                object->moves = 1;
                object->velocity = Vec3 { next() * 20.0f - 10.0f, next() * 20.0f - 10.0f, 0.0f };
                movers.push_back(object);
            }
            ObjectList.AddObject(object);
        }
        ViewFrame.matrix = Matrix4 { { 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1 } };
        ViewFrame.SetViewPosition(kEye);
        ObjectList.SetViewParams(ViewFrame, 14000.0f, 1.0f, 640.0f * 50.0f / 480.0f, 50.0f);
        ViewFrame.Apply(true);
        Location.visibleCount = 0;
        for (int row = 0; row < kCells; ++row)
            for (int column = 0; column < kCells; ++column)
                Location.visibleCells[Location.visibleCount++]
                    = CLocation::SVisibleCell { 0.0f, column, row };
        FrameTime = 1.0f / 60.0f;
    }
    zoq::test::TempDir folder { "object-list-bench" };
    std::vector<BenchObject*> movers;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_CheckVisibility(benchmark::State& state)
{
    TheScene();
    for (auto _ : state)
        ObjectList.CheckVisibility(false);
    state.counters["listed"] = ObjectList.visibleList.Count() + ObjectList.notVisibleList.Count();
}
BENCHMARK(BM_CheckVisibility)->Unit(benchmark::kMicrosecond);

void BM_VisibleCellWalk(benchmark::State& state)
{
    TheScene();
    int walked = 0;
    for (auto _ : state) {
        float sum = 0.0f;
        walked = 0;
        for (int c = 0; c < Location.visibleCount; ++c) {
            XList<CZJObject>& objects
                = Location.Cell(Location.visibleCells[c].column, Location.visibleCells[c].row).objects;
            objects.First();
            while (const CZJObject* object = objects.Next()) {
                const Vec3& p = object->frame.position;
                sum += (p.x - kEye.x) * (p.x - kEye.x) + (p.y - kEye.y) * (p.y - kEye.y)
                    + (p.z - kEye.z) * (p.z - kEye.z);
                ++walked;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["walked"] = walked;
}
BENCHMARK(BM_VisibleCellWalk)->Unit(benchmark::kMicrosecond);

void BM_CheckCollision(benchmark::State& state)
{
    TheScene();
    for (auto _ : state)
        ObjectList.CheckCollision();
    state.counters["movers"] = kMovers;
}
BENCHMARK(BM_CheckCollision)->Unit(benchmark::kMicrosecond);

// The cells the collision pass scans for each mover, with only the broad test.
void BM_ScannedCellWalk(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        int near = 0;
        for (const BenchObject* a : scene.movers) {
            const Vec3& pa = a->frame.position;
            const int column = int(std::round(pa.x * 0.1f)) >> 6;
            const int row = int(std::round(pa.y * 0.1f)) >> 6;
            const int dx = a->velocity.x > 0.0f ? 1 : -1;
            const int dy = a->velocity.y > 0.0f ? 1 : -1;
            const float va2 = a->velocity.x * a->velocity.x + a->velocity.y * a->velocity.y
                + a->velocity.z * a->velocity.z;
            for (const int r : { row, row + dy }) {
                for (const int c : { column, column + dx }) {
                    if (!Location.InMap(c, r))
                        continue;
                    XList<CZJObject>& objects = Location.Cell(c, r).objects;
                    objects.First();
                    while (const CZJObject* b = objects.Next()) {
                        const Vec3& pb = b->frame.position;
                        const float rs = a->radius + b->radius;
                        const float d2 = (pa.x - pb.x) * (pa.x - pb.x) + (pa.y - pb.y) * (pa.y - pb.y)
                            + (pa.z - pb.z) * (pa.z - pb.z);
                        near += d2 <= 1.5f * rs * rs + 1.5f * va2 ? 1 : 0;
                    }
                }
            }
        }
        benchmark::DoNotOptimize(near);
    }
    state.counters["movers"] = kMovers;
}
BENCHMARK(BM_ScannedCellWalk)->Unit(benchmark::kMicrosecond);

double PerItem(const zoq::bench::Results& r, const char* name, const char* counter)
{
    return zoq::bench::TimeOf(r, name) / r.at(name).counters.at(counter);
}

const bool kVisibilityRequired = zoq::bench::Require({
    "CheckVisibility per listed object costs at most 30x a walk of the same visible cells summing squared "
    "camera distances",
    [](const zoq::bench::Results& r) {
        return PerItem(r, "BM_CheckVisibility", "listed") / PerItem(r, "BM_VisibleCellWalk", "walked");
    },
    30.0,
    true,
});

const bool kCollisionRequired = zoq::bench::Require({
    "CheckCollision per mover costs at most 20x the same scanned-cell walk doing only the broad test",
    [](const zoq::bench::Results& r) {
        return PerItem(r, "BM_CheckCollision", "movers") / PerItem(r, "BM_ScannedCellWalk", "movers");
    },
    20.0,
    true,
});

} // namespace

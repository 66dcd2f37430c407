// Terrain: height queries over four loaded near cells (water rule on) against a plain bilinear
// lookup on a float grid at the same positions, and level-2 quad rebuilds against a loop writing
// the same 36-byte vertices from the same points.
#include "bench/bench_map.h"
#include "bench/requirements.h"

#include "foundation/ErrorLog.h"
#include "tests/support/temp_dir.h"
#include "tools/map/map_writer.h"
#include "world/terrain/CLocation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kSide = 129; // 2 x 2 cells
constexpr int kPositions = 4096;

// A writer-made hilly map with a pond, loaded the game's way with its four cells near.
struct Scene {
    Scene()
    {
        SetErrorLogDirectory(folder.Path().string() + "/");
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(kSide, kSide, "bench");
        zoq::tools::map::SurfaceRecord pond;
        pond.level = 4.0f;
        map.surfaces = { pond };
        map.blockSurfaces = { 0, -1, -1, 0 };
        grid.resize(size_t(kSide) * kSide);
        for (int gy = 0; gy < kSide; ++gy) {
            for (int gx = 0; gx < kSide; ++gx) {
                const size_t i = map.PointIndex(gx, gy);
                map.heights[i] = 20.0f * std::sin(float(gx) * 0.21f) * std::cos(float(gy) * 0.17f);
                map.water[i] = map.heights[i] < 0.0f ? 1 : 0;
                map.materials[i] = uint16_t((gx / 9 + gy / 7) % 2 == 0 ? 1 : 0x8001);
                grid[i] = map.heights[i];
            }
        }
        zoq::bench::LoadBenchMap(map, folder.Path());
        uint32_t x = 12345;
        for (int i = 0; i < kPositions; ++i) {
            x = x * 1103515245u + 12345u;
            const float px = float(x >> 8 & 0xFFFF) / 65536.0f * 1279.0f;
            x = x * 1103515245u + 12345u;
            const float py = float(x >> 8 & 0xFFFF) / 65536.0f * 1279.0f;
            positions.push_back(Vec3 { px, py, 0.0f });
        }
    }
    zoq::test::TempDir folder { "terrain-bench" };
    std::vector<float> grid;
    std::vector<Vec3> positions;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_GetHeight(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        float sum = 0.0f;
        for (const Vec3& p : scene.positions)
            sum += Location.GetHeight(p, true, false);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["queries"] = kPositions;
}
BENCHMARK(BM_GetHeight)->Unit(benchmark::kMicrosecond);

void BM_BilinearGrid(benchmark::State& state)
{
    Scene& scene = TheScene();
    const float* grid = scene.grid.data();
    for (auto _ : state) {
        float sum = 0.0f;
        for (const Vec3& p : scene.positions) {
            const float fx = p.x * 0.1f;
            const float fy = p.y * 0.1f;
            const int gx = int(fx);
            const int gy = int(fy);
            const float u = fx - float(gx);
            const float v = fy - float(gy);
            const float* row0 = grid + size_t(gy) * kSide + size_t(gx);
            const float* row1 = row0 + kSide;
            sum += (row0[0] * (1 - u) + row0[1] * u) * (1 - v) + (row1[0] * (1 - u) + row1[1] * u) * v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["queries"] = kPositions;
}
BENCHMARK(BM_BilinearGrid)->Unit(benchmark::kMicrosecond);

double g_rebuildVertices = 1;
double g_loopVertices = 1;

void BM_Level2Rebuild(benchmark::State& state)
{
    TheScene();
    uint32_t vertices = 0;
    for (auto _ : state) {
        vertices = 0;
        for (int quad = 0; quad < 4; ++quad) {
            Location.GenerateLod2(0, 0, quad);
            vertices += Location.Cell(0, 0).full->quads[quad].meshes[1]->data.vertexCount;
        }
        benchmark::ClobberMemory();
    }
    g_rebuildVertices = vertices;
    state.counters["vertices"] = vertices;
}
BENCHMARK(BM_Level2Rebuild)->Unit(benchmark::kMicrosecond);

struct SVertex {
    float x, y, z, nx, ny, nz;
    uint32_t colour;
    float u, v;
};

void BM_VertexLoop(benchmark::State& state)
{
    TheScene();
    const MapCell& cell = *Location.Cell(0, 0).full;
    std::vector<SVertex> out(size_t(MapCell::kSide) * MapCell::kSide);
    for (auto _ : state) {
        SVertex* v = out.data();
        for (int r = 0; r < MapCell::kSide; ++r) {
            for (int c = 0; c < MapCell::kSide; ++c) {
                const MapPoint p = cell.At(r, c);
                const Vec3 n = UnpackNormal16(p.normal);
                const float x = 10.0f * float(c);
                const float y = 10.0f * float(r);
                *v++ = SVertex { x, y, p.height, n.x, n.y, n.z, p.colour, (x + y) * 0.1f, p.height * 0.05f };
            }
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    g_loopVertices = double(out.size());
    state.counters["vertices"] = double(out.size());
}
BENCHMARK(BM_VertexLoop)->Unit(benchmark::kMicrosecond);

const bool kHeightRequired = zoq::bench::Require({
    "GetHeight over loaded near cells costs at most 3x a bilinear float-grid lookup",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_GetHeight") / zoq::bench::TimeOf(r, "BM_BilinearGrid");
    },
    3.0,
    true,
});

const bool kRebuildRequired = zoq::bench::Require({
    "a level-2 quad rebuild costs at most 8x writing its vertices, per vertex",
    [](const zoq::bench::Results& r) {
        return (zoq::bench::TimeOf(r, "BM_Level2Rebuild") / g_rebuildVertices)
            / (zoq::bench::TimeOf(r, "BM_VertexLoop") / g_loopVertices);
    },
    8.0,
    true,
});

} // namespace

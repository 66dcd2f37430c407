// The radar's tile caches on the null backend. Crossing a tile boundary reads 8 tiles from an
// archive into the DXT3 map texture, against reading the same 8 tiles with CRadarMap::ReadTile
// alone; the big map of a 499 x 546 view with no tile changing, against drawing 90 screen quads
// with the big map's material.
#include "bench/null_scene.h"
#include "bench/requirements.h"
#include "foundation/PakManager.h"
#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "tests/support/temp_dir.h"
#include "tools/data/pak_writer.h"
#include "tools/radar/radar_writer.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "world/terrain/CLocation.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

constexpr int kTiles = 16; // a side of the map

struct RadarScene {
    RadarScene()
    {
        std::filesystem::create_directories("Data");
        zoq::tools::radar::RadarPicture picture { 64 * kTiles, 64 * kTiles, {} };
        picture.argb.resize(size_t(picture.width) * picture.height);
        for (size_t i = 0; i < picture.argb.size(); ++i)
            picture.argb[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
        std::string error;
        if (!zoq::tools::data::WritePak(
                "Data/a.pak", { { "BENCH.MMM", {}, zoq::tools::radar::WriteRadarMap(picture) } }, {}, error))
            std::abort();
        g_PakManager.Init("Data");
        Location.blocksX = Location.blocksY = kTiles;
        g_pRadarMap = &map;
        radar.LoadTextures();
        radar.InitLocation("bench.mmm");
        if (!map.IsOpen() || !radar.mapTexture)
            std::abort();
        radar.InitBigMap(499, 546);
        std::fill(radar.explored.begin(), radar.explored.end(), uint8_t(200));
        fog = std::make_unique<CTexture>();
        g_Graphic.CreateTexture(
            fog.get(), 64, 64, 1, plat::gfx::Format::A8R8G8B8, plat::gfx::Pool::Managed, 0);
    }

    zoq::test::TempDir root { "bench-radar" };
    zoq::test::ScopedChdir inside { root.Path() };
    zoq::bench::NullScene null;
    CRadarMap map;
    CRadar radar;
    std::unique_ptr<CTexture> fog;
};

RadarScene& Scene()
{
    static RadarScene scene;
    return scene;
}

// The minimap's window moves one tile east and back: each move reads one column of 8 tiles.
void BM_RadarCrossTile(benchmark::State& state)
{
    RadarScene& scene = Scene();
    const Vec3 positions[2] = { { 6000.0f, 6000.0f, 0.0f }, { 6640.0f, 6000.0f, 0.0f } };
    scene.radar.UpdateMinimapTexture(positions[0]);
    int k = 1;
    for (auto _ : state) {
        scene.radar.UpdateMinimapTexture(positions[k]);
        k ^= 1;
    }
}
BENCHMARK(BM_RadarCrossTile);

void BM_RadarReadTiles(benchmark::State& state)
{
    RadarScene& scene = Scene();
    uint8_t tile[RadarMapFormat::kTileBytes];
    int column = 0;
    for (auto _ : state) {
        for (int row = 0; row < 8; ++row)
            scene.map.ReadTile(tile, column, row);
        benchmark::DoNotOptimize(tile);
        column = (column + 1) % kTiles;
    }
}
BENCHMARK(BM_RadarReadTiles);

void BM_RadarBigMap(benchmark::State& state)
{
    RadarScene& scene = Scene();
    const Vec3 centre { 8000.0f, 8000.0f, 0.0f };
    for (auto _ : state) {
        scene.radar.SetBMVector(centre);
        scene.radar.DrawBigMap(100, 20);
    }
}
BENCHMARK(BM_RadarBigMap);

void BM_RadarQuads(benchmark::State& state)
{
    RadarScene& scene = Scene();
    const int slot = g_pModelManager->ScreenSlot();
    for (auto _ : state)
        for (int i = 0; i < 90; ++i) {
            const float x = float(i % 9) * 55.0f;
            const float y = float(i / 9) * 55.0f;
            CVertexData& quad = g_pModelManager->DrawScreenQuad(x, y, x + 55.0f, y + 55.0f, nullptr, false);
            Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(slot, quad);
            g_TexShaderManager->Apply(44, mesh, scene.radar.mapTexture, scene.fog.get(), scene.fog.get());
        }
}
BENCHMARK(BM_RadarQuads);

const bool kCrossRequired = zoq::bench::Require({
    "crossing a tile boundary costs <= 2x reading its 8 tiles alone",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_RadarCrossTile") / zoq::bench::TimeOf(r, "BM_RadarReadTiles");
    },
    2.0,
});

const bool kBigMapRequired = zoq::bench::Require({
    "the big map of a 499 x 546 view with no tile changing costs <= 3x drawing 90 screen quads",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_RadarBigMap") / zoq::bench::TimeOf(r, "BM_RadarQuads");
    },
    3.0,
});

} // namespace

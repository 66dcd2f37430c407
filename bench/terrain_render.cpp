// The terrain pass on the null device: a still-camera frame of the cell renderers and the water
// pass over a 16 x 16 block writer map with a lake at view range 256, every mesh in a slot, against
// replaying the same Mesh::Render calls with the same textures and no caches or bookkeeping (the
// water meshes streamed through their ring, as the water pass streams them every frame); and the
// light selection over 200 lights against a loop computing the same distances.
#include "bench/bench_map.h"
#include "bench/null_graphic.h"
#include "bench/requirements.h"

#include "foundation/CViewFrame.h"
#include "foundation/ErrorLog.h"
#include "platform/win/text.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"
#include "tools/texture/tm_file.h"
#include "world/terrain/CLightWare.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 16 * 64 + 1;

// A slot's draw, or (stream set) a water mesh streamed through its ring as the water pass must.
struct SReplayedDraw {
    Mesh* mesh;
    uint32_t startVertex, vertexCount, startIndex, indexCount;
    CTexture* texture;
    const CVertexData* stream = nullptr;
    int ring = -1;
};

// A hilly two-material map, the camera in its middle looking along +y and slightly down, the
// visible cells loaded and one pass drawn so that every mesh holds a slot.
struct Scene {
    Scene()
    {
        SetErrorLogDirectory(folder.Path().string() + "/");
        std::filesystem::current_path(folder.Path());
        zoq::bench::CreateNullGraphic(window);
        texturesOwned = std::make_unique<TextureManager>();
        shadersOwned = std::make_unique<TexShaderManager>(true);
        modelsOwned = std::make_unique<CModelManager>();
        landOwned = std::make_unique<CLandMaterials>();
        TextureManager& textures = *texturesOwned;
        TexShaderManager& shaders = *shadersOwned;
        CModelManager& models = *modelsOwned;
        CLandMaterials& land = *landOwned;
        for (const char* name : { "a.png", "b.png" }) {
            std::string error;
            if (!zoq::tools::texture::WritePng(name, 4, 4, zoq::tools::texture::Bytes(64, 200), error))
                std::abort();
        }
        zoq::test::UseIniTables(
            { { CP1251("Текстуры"), "[TEX_A]\nFilename=a.png\n[TEX_B]\nFilename=b.png\n" },
                { CP1251("Поверхности"),
                    "[LAND_A]\nGID=1\nTexture=TEX_A\nTextureFull=TEX_B\n[LAND_B]\nGID=2\nTexture=TEX_"
                    "B\nTextureFull=TEX_A\n" } });
        textures.Init(CP1251("Текстуры"));
        g_pTextureManager = &textures;
        if (!shaders.Init(false))
            std::abort();
        g_TexShaderManager = &shaders;
        models.Init();
        g_pModelManager = &models;
        land.Init(CP1251("Поверхности"));
        g_pLandMaterials = &land;

        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(kSide, kSide, "bench");
        for (int gy = 0; gy < kSide; ++gy) {
            for (int gx = 0; gx < kSide; ++gx) {
                const size_t i = map.PointIndex(gx, gy);
                map.heights[i] = 30.0f * std::sin(float(gx) * 0.05f) * std::cos(float(gy) * 0.04f);
                map.materials[i] = uint16_t((gx / 12 + gy / 9) % 2 == 0 ? 1 : 2);
                map.water[i] = map.heights[i] < 5.0f ? 1 : 0;
            }
        }
        // A lake in front of the camera over 3 x 3 blocks, whose water meshes all fit their pool.
        zoq::tools::map::SurfaceRecord lake;
        lake.level = 5.0f;
        lake.kind = 1;
        lake.waveAmplitude = 1.0f;
        lake.waveSpeed = 1.0f;
        lake.texture1 = lake.texture2 = "TEX_A";
        map.surfaces = { lake };
        map.blockSurfaces.assign(16 * 16, -1);
        for (int row = 8; row < 11; ++row)
            for (int column = 7; column < 10; ++column)
                map.blockSurfaces[size_t(row * 16 + column)] = 0;
        zoq::bench::LoadBenchMap(map, folder.Path());
        for (MapSurface& surface : Location.surfaces)
            surface.texture1Index = surface.texture2Index = textures.FindTexture("TEX_A");
        for (int kind = 0; kind < 4; ++kind)
            Location.SizeSlotPool(kind, 100);
        const Vec3 eye { 5120, 5120, 200 };
        const Vec3 forward { 0, 0.96f, -0.28f };
        Vec3 right;
        Vec3Cross(right, Vec3 { 0, 0, 1 }, forward);
        const float length = Vec3Length(right);
        right = Vec3 { right.x / length, right.y / length, right.z / length };
        Vec3 up;
        Vec3Cross(up, forward, right);
        ViewFrame.matrix = Matrix4 { { right.x, up.x, forward.x, 0, right.y, up.y, forward.y, 0, right.z,
            up.z, forward.z, 0, 0, 0, 0, 1 } };
        ViewFrame.SetViewPosition(eye);
        ViewFrame.adjustment = Matrix4 { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } };
        ViewFrame.Apply(true);
        for (int i = 0; i < 50; ++i) {
            Location.CycleSetVisibility();
            if (Location.loadQueueCount == 0)
                break;
            Location.CycleLoad();
        }
        for (int i = 0; i < 2; ++i) {
            Location.CycleRender();
            Location.CycleRenderWater();
        }
        CollectReplay();
    }

    // The draws of one pass, read from the meshes the pass drew, as Mesh::Render calls.
    void CollectReplay()
    {
        TextureManager& textures = *texturesOwned;
        CModelManager& models = *modelsOwned;
        for (int i = 0; i < Location.visibleCount; ++i) {
            const CLocation::SVisibleCell& v = Location.visibleCells[i];
            const SCellRecord& record = Location.Cell(v.column, v.row);
            if (record.level == kFarLevel) {
                if (record.half && record.half->farMesh)
                    Add(*record.half->farMesh, 4);
                continue;
            }
            if (!record.full)
                continue;
            for (const MapQuad& quad : record.full->quads) {
                if (quad.visible && quad.meshes[quad.level - 1])
                    Add(*quad.meshes[quad.level - 1], quad.level);
            }
        }
        // The water pass's draws: each water mesh streamed through "MAP3", then its buffer's draw.
        const int ring = models.FindBuffer("MAP3");
        CTexture* water = textures.GetTexture(textures.FindTexture("TEX_A"));
        for (int i = 0; i < Location.visibleCount; ++i) {
            const CLocation::SVisibleCell& v = Location.visibleCells[i];
            const SCellRecord& record = Location.Cell(v.column, v.row);
            if (!record.surface)
                continue;
            std::vector<const MapMesh*> meshes;
            if (record.level == kFarLevel && record.half) {
                meshes.push_back(record.half->waterMesh);
            } else if (record.level != kFarLevel && record.full) {
                for (const MapQuad& quad : record.full->quads)
                    meshes.push_back(quad.visible ? quad.water : nullptr);
            }
            for (const MapMesh* mesh : meshes) {
                if (!mesh || mesh->data.vertexCount == 0)
                    continue;
                replay.push_back({ nullptr, 0, 0, 0, 0, water, &mesh->data, ring });
                ++waterDraws;
            }
        }
    }
    void Add(const MapMesh& mesh, int level)
    {
        TextureManager& textures = *texturesOwned;
        CLandMaterials& land = *landOwned;
        if (!mesh.buffer)
            std::abort(); // every mesh must hold a slot
        for (int k = 0; k < mesh.layerCount && mesh.layers[k].material != -2; ++k) {
            const SMeshLayer& layer = mesh.layers[k];
            if (!layer.vertexCount || !layer.indexCount)
                continue;
            CTexture* texture = nullptr;
            if (level < 4 && layer.material >= 0) {
                const SLandMaterial& m = land.GetMaterial(layer.material);
                texture = textures.GetTexture(level == 1 ? m.textureFull : m.texture);
            }
            replay.push_back({ mesh.buffer->device.get(), layer.firstVertex, layer.vertexCount,
                layer.firstIndex, layer.indexCount, texture });
        }
    }

    zoq::test::TempDir folder { "terrain-render-bench" };
    zoq::test::FakeWindow window;
    // Made once the device exists: the texture manager probes its formats.
    std::unique_ptr<TextureManager> texturesOwned;
    std::unique_ptr<TexShaderManager> shadersOwned;
    std::unique_ptr<CModelManager> modelsOwned;
    std::unique_ptr<CLandMaterials> landOwned;
    std::vector<SReplayedDraw> replay;
    int waterDraws = 0;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_TerrainFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        Location.CycleRender();
        Location.CycleRenderWater();
    }
    state.counters["draws"] = double(scene.replay.size());
    state.counters["cells"] = Location.visibleCount;
    state.counters["water"] = scene.waterDraws;
}
BENCHMARK(BM_TerrainFrame)->Unit(benchmark::kMicrosecond);

void BM_ReplayedRenders(benchmark::State& state)
{
    Scene& scene = TheScene();
    plat::gfx::Device& device = *g_Graphic.GetDevice();
    for (auto _ : state) {
        for (const SReplayedDraw& d : scene.replay) {
            device.SetTexture(0, d.texture ? d.texture->GetTexture() : nullptr);
            if (d.stream) {
                scene.modelsOwned->GetRenderSingleBufMesh(d.ring, *d.stream)->Render(true);
                continue;
            }
            d.mesh->startVertex = d.startVertex;
            d.mesh->vertexCount = d.vertexCount;
            d.mesh->startIndex = d.startIndex;
            d.mesh->indexCount = d.indexCount;
            d.mesh->Render(true);
        }
    }
    state.counters["draws"] = double(scene.replay.size());
}
BENCHMARK(BM_ReplayedRenders)->Unit(benchmark::kMicrosecond);

const bool kFrameRequired = zoq::bench::Require({
    "a still-camera terrain frame (CycleRender + CycleRenderWater) costs at most 1.5x replaying its "
    "Mesh::Render "
    "calls",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_TerrainFrame") / zoq::bench::TimeOf(r, "BM_ReplayedRenders");
    },
    1.5,
    true,
});

// 200 lights of range 60 over a 2000 x 2000 square and eight spheres of radius 10 to light.
struct LightScene {
    LightScene()
    {
        TheScene();
        uint32_t x = 987654321u;
        auto next = [&x] {
            x = x * 1103515245u + 12345u;
            return float(x >> 8 & 0xFFFF) / 65536.0f;
        };
        lights.resize(CLightWare::kMaxLights);
        LightWare.ClearLights();
        for (plat::gfx::Light& light : lights) {
            light.type = plat::gfx::LightType::Point;
            light.diffuse = { 1, 1, 1, 1 };
            light.position = { next() * 2000.0f, next() * 2000.0f, next() * 50.0f };
            light.range = 60.0f;
            LightWare.AddLight(light, 1.0f);
        }
        for (Vec3& p : spheres)
            p = Vec3 { next() * 2000.0f, next() * 2000.0f, 10.0f };
    }
    std::vector<plat::gfx::Light> lights;
    Vec3 spheres[8];
};

LightScene& TheLights()
{
    static LightScene scene;
    return scene;
}

void BM_SetLights(benchmark::State& state)
{
    LightScene& scene = TheLights();
    for (auto _ : state) {
        for (const Vec3& p : scene.spheres)
            LightWare.SetLights(p.x, p.y, p.z, 10.0f);
        benchmark::DoNotOptimize(LightWare.activeCount);
    }
}
BENCHMARK(BM_SetLights);

void BM_LightDistances(benchmark::State& state)
{
    LightScene& scene = TheLights();
    for (auto _ : state) {
        for (const Vec3& p : scene.spheres) {
            float sum = 0.0f;
            for (const plat::gfx::Light& light : scene.lights) {
                const float dx = p.x - light.position.x;
                const float dy = p.y - light.position.y;
                const float dz = p.z - light.position.z;
                sum += std::sqrt(dx * dx + dy * dy + dz * dz);
            }
            benchmark::DoNotOptimize(sum);
        }
    }
}
BENCHMARK(BM_LightDistances);

const bool kLightsRequired = zoq::bench::Require({
    "CLightWare::SetLights over 200 lights costs at most 3x a loop computing the same 200 distances",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_SetLights") / zoq::bench::TimeOf(r, "BM_LightDistances");
    },
    3.0,
    true,
});

} // namespace

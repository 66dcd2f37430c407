// Gliders on the generated demo folder: one CFG_GUARD glider's Run (its dust, its engine sound on
// the loopback device and four guns) hovering over a generated hilly location, against the same
// glider's physics step; and one object-list frame of 100 such gliders drawn on the null backend.
#include "bench/bench_map.h"
#include "bench/null_graphic.h"
#include "bench/requirements.h"

#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "audio/CSoundManager.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "platform/sound/device.h"
#include "platform/win/text.h"
#include "render/CLandMaterials.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "tests/support/temp_dir.h"
#include "tools/map/map_writer.h"
#include "tools/mkdata/mkdata.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CPhysics.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 129; // 2 x 2 cells
constexpr int kFrameGliders = 100;
constexpr float kDt = 1.0f / 60.0f;
constexpr Vec3 kEye { 640.0f, 640.0f, 80.0f };

struct Scene {
    Scene()
    {
        zoq::tools::mkdata::Options options;
        options.src = ZOQ_DATA_DIR;
        options.out = folder.Path() / "game";
        options.force = true;
        if (zoq::tools::mkdata::Run(options).exitCode != 0)
            std::abort();
        std::filesystem::current_path(options.out);
        SetBaseDirectory(options.out.string());
        SetErrorLogDirectory(folder.Path().string() + "/");
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);
        zoq::bench::CreateNullGraphic(window);
        g_PakManager.Init("Data");
        g_ResourceDBManager.Init("Data\\DB.dat", 1);
        textures.Init(plat::win::Utf8ToCp1251("Текстуры").c_str());
        g_pTextureManager = &textures;
        if (!shaders.Init(false))
            std::abort();
        g_TexShaderManager = &shaders;
        models.Init();
        models.Init(plat::win::Utf8ToCp1251("Модели").c_str());
        g_pModelManager = &models;
        land.Init(plat::win::Utf8ToCp1251("Поверхности").c_str());
        g_pLandMaterials = &land;
        sounds.Init(plat::win::Utf8ToCp1251("Звуки").c_str());
        if (!sounds.InitSound(nullptr))
            std::abort();
        g_pSoundManager = &sounds;
        ZJEngine.ZJInit();
        EffectRenderManager.Init(1);

        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(kSide, kSide, "bench");
        for (int gy = 0; gy < kSide; ++gy)
            for (int gx = 0; gx < kSide; ++gx)
                map.heights[map.PointIndex(gx, gy)]
                    = 20.0f * std::sin(float(gx) * 0.21f) * std::cos(float(gy) * 0.17f);
        zoq::bench::LoadBenchMap(map, folder.Path());
        FrameTime = kDt;

        const int config = FerrovantConfigList.Find("CFG_GUARD");
        if (config < 0)
            std::abort();
        machines.resize(kFrameGliders + 1);
        for (auto& machine : machines) {
            machine = std::make_unique<CFerrovant>();
            machine->ApplyConfig(config, true, 0);
        }
        runner = Make(*machines[0], Vec3 { 640.0f, 640.0f, 0.0f });
        runner->SetThrottle(1.0f);
        sounds.SetListener(runner->frame.position, Vec3 { 0.0f, 1.0f, 0.0f }, Vec3 { 0.0f, 0.0f, 1.0f });
    }

    // A glider of the machine's hull hovering 6 units above the ground at p.
    static std::unique_ptr<CGliderObject> Make(CFerrovant& machine, Vec3 p)
    {
        auto glider = std::make_unique<CGliderObject>();
        p.z = Location.GetHeight(p, true, false) + 6.0f;
        const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, p.x, p.y, p.z, 1 };
        glider->Init(placement, MakeNameKey32("GL_HEAVY"));
        glider->AssignFerrovant(&machine);
        return glider;
    }

    zoq::test::TempDir folder { "glider-bench" };
    zoq::test::FakeWindow window { 640, 480 };
    TextureManager textures;
    TexShaderManager shaders { true };
    CModelManager models;
    CLandMaterials land;
    CSoundManager sounds;
    std::vector<std::unique_ptr<CFerrovant>> machines;
    std::unique_ptr<CGliderObject> runner;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_GliderRun(benchmark::State& state)
{
    CGliderObject& glider = *TheScene().runner;
    const float startX = glider.frame.position.x;
    int step = 0;
    for (auto _ : state) {
        // Along 20 units and back, so that the dust has a path to emit along.
        glider.frame.position.x = startX + 0.1f * float(step < 200 ? step : 400 - step);
        step = (step + 1) % 400;
        glider.Run();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GliderRun)->Unit(benchmark::kMicrosecond);

void BM_GliderPhysics(benchmark::State& state)
{
    CGliderObject& glider = *TheScene().runner;
    const Vec3 start = glider.frame.position;
    int step = 0;
    for (auto _ : state) {
        Physics.PreMove(&glider, kDt);
        Physics.Move(&glider, kDt);
        // Back to the start now and then, so that the glider stays over the generated cells.
        if (++step == 600) {
            state.PauseTiming();
            glider.SetPosition(start);
            glider.velocity = Vec3 {};
            step = 0;
            state.ResumeTiming();
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GliderPhysics)->Unit(benchmark::kMicrosecond);

// Run, visibility, drawing with the sorted effects, then the physics passes of the object list.
void BM_HundredGliderFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    ObjectList.Clear();
    for (int i = 0; i < kFrameGliders; ++i) {
        const float angle = float(i) * 0.61f;
        const float distance = 30.0f + float(i) * 3.0f;
        ObjectList.AddObject(Scene::Make(*scene.machines[size_t(i + 1)],
            Vec3 { kEye.x + distance * std::cos(angle), kEye.y + distance * std::sin(angle), 0.0f })
                                 .release());
    }
    ViewFrame.matrix = Matrix4 { { 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1 } };
    ViewFrame.SetViewPosition(kEye);
    ObjectList.SetViewParams(ViewFrame, 14000.0f, 1.0f, 640.0f * 50.0f / 480.0f, 50.0f);
    ViewFrame.Apply(true);
    Location.visibleCount = 0;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 2; ++column)
            Location.visibleCells[Location.visibleCount++] = CLocation::SVisibleCell { 0.0f, column, row };
    scene.sounds.SetListener(kEye, Vec3 { 0.0f, 1.0f, 0.0f }, Vec3 { 0.0f, 0.0f, 1.0f });
    for (auto _ : state) {
        ObjectList.Run();
        ObjectList.CheckVisibility(true);
        EffectRenderManager.ResetFrame();
        ObjectList.Render();
        EffectRenderManager.RenderEffects();
        ObjectList.PreMove();
        ObjectList.CheckCollision();
        ObjectList.Move();
        benchmark::ClobberMemory();
    }
    state.counters["gliders"] = kFrameGliders;
}
BENCHMARK(BM_HundredGliderFrame)->Unit(benchmark::kMillisecond);

const bool kRunRequired = zoq::bench::Require({
    "a glider's Run (dust, engine sound, four guns) costs at most 3x its physics step",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_GliderRun") / zoq::bench::TimeOf(r, "BM_GliderPhysics");
    },
    3.0,
    true,
});

} // namespace

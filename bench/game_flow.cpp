// The game frame on a writer-made location1 with 40 machine groups of 10: one CZJApp::Render
// against the same subsystem calls in the same order made directly. The frame's own work (its
// steps, the time scaling, the clock checks) may add at most a tenth.
#include "bench/bench_location.h"
#include "bench/null_scene.h"
#include "bench/requirements.h"

#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CPlayerFerroGroup.h"
#include "app/CResourceEngine.h"
#include "app/CZJApp.h"
#include "app/FrameMath.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "script/CZJScriptManager.h"
#include "tests/support/error_log_test.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"
#include "tools/world/objects_writer.h"
#include "ui/CRadar.h"
#include "ui/ScannerTexture.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/FrameReset.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kGroups = 40;
constexpr int kMembers = 10;

struct Scene {
    Scene()
    {
        SetBaseDirectory(folder.Path().string());
        zoq::test::DiscardErrorLog();
        const std::vector<std::pair<std::string, std::string>> tables = {
            { "Глайдеры", "[GL_A]\nDAMAGE=500\nWEIGHT=40\nMAXWEIGHT=400\nSTANDARD=3\n" },
            { "Оборудование",
                "[EQP_REACTOR]\nTYPE=1\nVALUE1=10\nDAMAGE=50\n[EQP_ARMOR]\nTYPE=3\nVALUE1=500\nDAMAGE=500\n"
                "[EQP_SHIELD]\nTYPE=2\nVALUE1=200\nDAMAGE=200\n" },
            { "Конфигурации",
                "[CFG_BENCH]\nRATING=5\nGLIDER=GL_A\nREACTOR=EQP_REACTOR\nSHIELD=EQP_SHIELD\nARMOR=EQP_"
                "ARMOR\n" },
            { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_A]\n[ORG_B]\n" },
        };
        zoq::test::UseUtf8IniTables(tables);
        ZJEngine.ZJInit();
        VisibleRadius = 256;
        Location.Init();
        EffectRenderManager.Init(1);

        namespace zw = zoq::tools::world;
        zw::ObjectsFile file;
        for (int g = 0; g < kGroups; ++g) {
            zw::GroupEntry group;
            group.name = "G" + std::to_string(g);
            group.organisation = g % 2 ? "ORG_A" : "ORG_B";
            group.members.assign(kMembers, "CFG_BENCH");
            file.groups.groups.push_back(group);
        }
        zoq::bench::LoadBenchLocation1(folder.Path(), file);

        g_pScriptManager = &scripts;
        radar.InitLocation("none.mmm");
        g_pRadar = &radar;
        PlayerFerroGroup.Start();
        PlayerFerrovant->ApplyConfig(FerrovantConfigList.Find("CFG_BENCH"), true, 0);
        PlayerFerrovant->glider = &glider;
        PlayerFerrovant->energy = PlayerFerrovant->GetEnergyLevel(2);
        glider.frame.SetPosition({ 300.0f, 300.0f, 0.0f });
        PlayerGlider = &glider;
        PlayerObject = &glider;
        CameraObject = &camera;
        Environment.frozen = 0;
        std::snprintf(app.locationFile, sizeof app.locationFile, "Data\\location1.zjp");
        FrameTimer.Restart();
    }
    // The managers are the graphics' own: the resource engine must not delete them at exit.
    ~Scene()
    {
        g_TexShaderManager = nullptr;
        g_pModelManager = nullptr;
        PlayerGlider = nullptr;
        PlayerObject = nullptr;
        CameraObject = nullptr;
        PlayerFerrovant->glider = nullptr;
        g_pRadar = nullptr;
        g_pScriptManager = nullptr;
    }

    zoq::test::TempDir folder { "bench-game-flow" };
    zoq::bench::NullScene graphics;
    CZJScriptManager scripts;
    CRadar radar;
    CGliderObject glider;
    CCamera camera;
    CZJApp app;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_Render(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.app.Render(false);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Render)->Unit(benchmark::kMicrosecond);

// The frame's calls without the frame: the subsystems this scene has, in Render's order.
void BM_Steps(benchmark::State& state)
{
    Scene& scene = TheScene();
    CZJApp& app = scene.app;
    for (auto _ : state) {
        PlayerPosition = scene.glider.frame.position;
        const Vec3& v = scene.glider.velocity;
        app.zoom = framemath::NextZoom(app.zoom, v.x * v.x + v.y * v.y + v.z * v.z, FrameTime);
        const framemath::SViewFields fields = framemath::ViewFields(
            app.zoom, float(g_Graphic.ScreenWidth()), float(g_Graphic.ScreenHeight()));
        ObjectList.SetViewParams(
            ViewFrame, framemath::kFarPlane, framemath::kNearPlane, fields.fovX, fields.fovY);
        app.ProcessInput();
        ResetFrame();
        ResourceEngine.GlobalRun();
        ZJEngine.music.Run(FrameTime);
        Environment.Run(FrameTime);
        scene.scripts.CheckTimers();
        FerroGroupList.Run(FrameTime, true, true);
        ObjectList.CheckSysObjectSensors();
        ObjectList.Run();
        scene.camera.UpdateView();
        Location.PreRender();
        ObjectList.CheckVisibility(true);
        UpdateScannerTexture();
        ObjectList.PreMove();
        ObjectList.CheckCollision();
        ObjectList.Move();
        const Vec3& at = scene.glider.frame.position;
        scene.radar.RevealArea(at.x, at.y, at.z, 10.0f * 75.0f);
        ObjectList.Pack(false);
        ObjectList.CheckNetDead();
        app.AnalizeSituation();
        ResetFrameCounters();
        FrameTimer.Update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Steps)->Unit(benchmark::kMicrosecond);

const bool kRenderRequired = zoq::bench::Require({
    "one game frame takes at most 1.1 x its subsystem calls made directly in the same order",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_Render") / zoq::bench::TimeOf(r, "BM_Steps");
    },
    1.1,
    true,
});

} // namespace

// Machine groups: the group list's frame and the fast-forward of a new game, without drawing. The
// requirements are ratios to the game frame's CPU budget and to the one-second start goal.
#include "bench/requirements.h"

#include "ai/CBasicGLAI.h"
#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CTransFerroGroup.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "tests/support/error_log_test.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"
#include "world/db/CRoadManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kGroups = 40;
constexpr int kMembers = 10;
constexpr int kMaterialised = 10;

void UseTables(const zoq::test::TempDir& folder)
{
    SetBaseDirectory(folder.Path().string());
    zoq::test::DiscardErrorLog();
    const std::vector<std::pair<std::string, std::string>> tables = {
        { "Глайдеры", "[GL_A]\nDAMAGE=500\nWEIGHT=40\nMAXWEIGHT=400\nSTANDARD=3\n" },
        { "Оборудование",
            "[EQP_ARMOR]\nTYPE=3\nVALUE1=500\nDAMAGE=500\n[EQP_SHIELD]\nTYPE=2\nVALUE1=200\nDAMAGE=200\n" },
        { "Конфигурации", "[CFG_BENCH]\nRATING=5\nGLIDER=GL_A\nSHIELD=EQP_SHIELD\nARMOR=EQP_ARMOR\n" },
        { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_A]\n[ORG_B]\n" },
    };
    zoq::test::UseUtf8IniTables(tables);
    ZJEngine.ZJInit();
}

// Gliders of the materialised groups, owned here: they never enter the object list.
struct SGliders {
    CGliderObject glider;
    CBasicGLAI ai;
};

// 40 groups of 10 on a two-point road, half caravans, half plain groups of two organisations;
// with gliders, the first 10 fly near the player and each other, the rest are records far away.
std::vector<std::unique_ptr<SGliders>> MakeGroups(bool withGliders)
{
    FerroGroupList.Clear();
    g_RoadManager.Nodes().Done();
    for (int n = 0; n < 2; ++n) {
        SRoadNode node {};
        node.position[0] = 5000.0f + 3000.0f * float(n);
        node.links[0] = 1 - n;
        node.linkCount = 1;
        g_RoadManager.Nodes().Add(node);
    }
    std::vector<std::unique_ptr<SGliders>> gliders;
    PlayerPosition = {};
    for (int g = 0; g < kGroups; ++g) {
        const bool materialised = withGliders && g < kMaterialised;
        std::unique_ptr<CFerroGroup> group;
        if (g % 2 == 1 && !materialised) {
            auto caravan = std::make_unique<CTransFerroGroup>();
            caravan->routeStart = 0;
            caravan->routeEnd = 1;
            caravan->kind = CFerroGroup::kCaravan;
            group = std::move(caravan);
        } else {
            group = std::make_unique<CFerroGroup>();
        }
        std::snprintf(group->name, sizeof group->name, "G%02d", g);
        group->organisation = 2 + g % 2;
        group->configuredCount = kMembers;
        for (int m = 0; m < kMembers; ++m)
            std::snprintf(group->memberConfigs[m], 32, "CFG_BENCH");
        if (group->kind != CFerroGroup::kCaravan)
            group->position = { 6000.0f + 100.0f * float(g), 0.0f, 0.0f };
        group->Init();
        if (materialised) {
            group->assembled = 0;
            for (int m = 0; m < kMembers; ++m) {
                auto flying = std::make_unique<SGliders>();
                flying->glider.alive = 1;
                flying->glider.frame.position = { 1000.0f + 50.0f * float(g), 10.0f * float(m), 0.0f };
                flying->glider.ai = &flying->ai;
                flying->ai.glider = &flying->glider;
                group->members[m].glider = &flying->glider;
                gliders.push_back(std::move(flying));
            }
        }
        FerroGroupList.AddGroup(group.release());
    }
    return gliders;
}

void BM_GroupListFrame(benchmark::State& state)
{
    const zoq::test::TempDir folder("bench-groups");
    UseTables(folder);
    SharedRandom.seed = 0;
    FrameTime = 1.0f / 60.0f;
    const std::vector<std::unique_ptr<SGliders>> gliders = MakeGroups(true);
    for (auto _ : state) {
        FerroGroupList.Run(1.0f / 60.0f, true, true);
        benchmark::ClobberMemory();
    }
    for (int i = 1; i < FerroGroupList.Count(); ++i)
        for (CFerrovant& m : FerroGroupList.At(i)->members)
            m.glider = nullptr;
    FerroGroupList.Clear();
    g_RoadManager.Nodes().Done();
}
BENCHMARK(BM_GroupListFrame);

const bool kFrameRequired = zoq::bench::Require({
    "the group list's frame over 40 groups of 10, 10 of them on gliders, takes at most 10% of the 2 ms frame",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_GroupListFrame") / zoq::bench::kFrameBudgetNs;
    },
    0.1,
    true,
});

void BM_Simulate(benchmark::State& state)
{
    const zoq::test::TempDir folder("bench-simulate");
    UseTables(folder);
    SharedRandom.seed = 0;
    MakeGroups(false);
    for (auto _ : state) {
        FerroGroupList.Simulate(150.0f);
        benchmark::ClobberMemory();
    }
    FerroGroupList.Clear();
    g_RoadManager.Nodes().Done();
}
BENCHMARK(BM_Simulate)->Unit(benchmark::kMicrosecond);

const bool kSimulateRequired = zoq::bench::Require({
    "the 150 s fast-forward of 40 groups of 10 takes at most 5% of the 1 s start goal",
    [](const zoq::bench::Results& r) { return zoq::bench::TimeOf(r, "BM_Simulate") / 1.0e9; },
    0.05,
    true,
});

} // namespace

// Ferrovants and trade: the per-frame and per-hour work of subsystem 7, without drawing. The
// requirements are ratios to the game frame's CPU budget.
#include "bench/requirements.h"

#include "ai/CBasicGLAI.h"
#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "ai/CZJTrade.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "platform/win/text.h"
#include "tests/support/error_log_test.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CGliderObject.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The hourly trade tick over 100 buildings of 30 goods each, looked up in a goods table of 64 rows.
constexpr int kTradeBuildings = 100;
constexpr int kGoodsPerBuilding = 30;
constexpr int kGoodsRows = 64;

std::string GoodKey(int row)
{
    char key[32];
    std::snprintf(key, sizeof key, "TOV_GOOD_%02d", row);
    return key;
}

void FillTrade()
{
    static zoq::test::TempDir folder("bench-trade");
    SetBaseDirectory(folder.Path().string());
    zoq::test::DiscardErrorLog();
    std::string goods;
    for (int row = 0; row < kGoodsRows; ++row)
        goods += "[" + GoodKey(row) + "]\nMASSA=" + std::to_string(1 + row * 7) + "\nPRICE=100\n";
    zoq::test::UseIniTables({ { plat::win::Utf8ToCp1251("Товары"), goods } });
    g_GoodsManager.Init(plat::win::Utf8ToCp1251("Товары").c_str());

    ZJTrade.Clear();
    for (int b = 0; b < kTradeBuildings; ++b) {
        STradeEntry& entry = ZJTrade.Entry(b);
        std::snprintf(entry.building, sizeof entry.building, "B_BUILDING_%03d", b);
        entry.goods.SetSize(kGoodsPerBuilding);
        for (int g = 0; g < kGoodsPerBuilding; ++g) {
            SBuildingTrade& good = entry.goods.At(g);
            std::memset(&good, 0, sizeof good);
            // Spread over the table, the late rows included.
            std::strncpy(good.key, GoodKey((b + g * 2) % kGoodsRows).c_str(), sizeof good.key - 1);
            good.maxPrice = 200;
            good.minPrice = 100;
            good.buyPrice = 150;
            good.stock = float(10 + (b * g) % 300);
            good.production = 1;
            good.normalStock = 50;
            good.steepCurve = g % 3 == 0 ? 1 : 0;
        }
        ZJTrade.entryCount = b + 1;
    }
}

void BM_TradeHour(benchmark::State& state)
{
    FillTrade();
    SharedRandom.seed = 0;
    int32_t hour = 0;
    for (auto _ : state) {
        ZJTrade.Run(++hour);
        benchmark::DoNotOptimize(ZJTrade.Entry(kTradeBuildings - 1).goods.At(0).stock);
    }
    ZJTrade.Clear();
}
BENCHMARK(BM_TradeHour)->Unit(benchmark::kMicrosecond);

const bool kTradeRequired = zoq::bench::Require({
    "an hourly trade tick over 100 buildings x 30 goods fits in one frame (<= 1.0 of 2 ms)",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_TradeHour") / zoq::bench::kFrameBudgetNs;
    },
    1.0,
    true,
});

// Machines: 100 of them run their record and their AI, half attacking a glider and half going to
// points they never reach.
constexpr int kMachines = 100;

void UseMachineTables(const zoq::test::TempDir& folder)
{
    SetBaseDirectory(folder.Path().string());
    zoq::test::DiscardErrorLog();
    std::string configs = "[CFG_BENCH]\nRATING=5\nGLIDER=GL_A\nREACTOR=EQP_REACTOR\nENGINE=EQP_ENGINE\n"
                          "SHIELD=EQP_SHIELD\nARMOR=EQP_ARMOR\nBOMB1=MIS_BOMB\nNUMBOMB1=4\n";
    std::string equipment = "[EQP_REACTOR]\nTYPE=1\nVALUE1=100\nDAMAGE=300\n"
                            "[EQP_ENGINE]\nTYPE=4\nPOWER=10\nVALUE1=100\nDAMAGE=300\n"
                            "[EQP_SHIELD]\nTYPE=2\nPOWER=5\nVALUE1=200\nVALUE2=30\nVALUE3=5\nDAMAGE=200\n"
                            "[EQP_ARMOR]\nTYPE=3\nVALUE1=500\nVALUE3=2\nDAMAGE=500\n";
    for (const char* field : CFerrovantConfigList::kEquipmentFields) {
        configs += std::string(field) + "=1\n";
        equipment += std::string("[") + field + "]\nPOWER=1\nDAMAGE=100\n";
    }
    const std::vector<std::pair<std::string, std::string>> tables = {
        { "Глайдеры", "[GL_A]\nDAMAGE=500\nWEIGHT=40\nMAXWEIGHT=400\nSTANDARD=3\nRESTORE=1\n" },
        { "Оборудование", equipment },
        { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n" },
        { "Конфигурации", configs },
        { "Организации", "[ORG_PLAYER]\n" },
    };
    zoq::test::UseUtf8IniTables(tables);
    ZJEngine.ZJInit();
}

struct SMachine {
    CFerrovant record;
    CGliderObject glider;
    CBasicGLAI ai;
};

void BM_MachinesFrame(benchmark::State& state)
{
    const zoq::test::TempDir folder("bench-ferro");
    UseMachineTables(folder);
    FrameTime = 0.016f;
    std::vector<std::unique_ptr<SMachine>> machines;
    CGliderObject enemy;
    enemy.frame.SetPosition({ 300.0f, 200.0f, 10.0f });
    const SAIReference far { 0, { 1.0e6f, 1.0e6f, 0.0f } };
    for (int i = 0; i < kMachines; ++i) {
        auto m = std::make_unique<SMachine>();
        m->record.ApplyConfig(0, false, 0);
        m->record.glider = &m->glider;
        m->glider.ferrovant = &m->record;
        m->glider.frame.SetPosition({ float(i * 10), float(i % 7) * 20.0f, 0.0f });
        m->glider.velocity = { 5.0f, 1.0f, 0.0f };
        m->glider.thrust = 5.0f;
        m->glider.throttle = 0.5f;
        m->ai.glider = &m->glider;
        if (i % 2 == 0)
            m->ai.Attack(&enemy);
        else
            m->ai.Go(&far, { 0.0f, 0.0f, 0.0f });
        machines.push_back(std::move(m));
    }
    for (auto _ : state) {
        for (auto& m : machines) {
            m->record.Run(FrameTime);
            m->ai.Run();
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MachinesFrame);

const bool kMachinesRequired = zoq::bench::Require({
    "100 machines run their record and their AI in at most 5% of the 2 ms frame (100 us)",
    [](const zoq::bench::Results& r) {
        return zoq::bench::TimeOf(r, "BM_MachinesFrame") / zoq::bench::kFrameBudgetNs;
    },
    0.05,
    true,
});

} // namespace

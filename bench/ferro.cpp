// Ferrovants and trade: the per-frame and per-hour work of subsystem 7, without drawing. The
// requirements are ratios to the game frame's CPU budget.
#include "bench/requirements.h"

#include "ai/CZJTrade.h"
#include "foundation/BaseDirectory.h"
#include "foundation/XRandom.h"
#include "platform/win/text.h"
#include "tests/support/error_log_test.h"
#include "tests/support/ini_tables.h"
#include "tests/support/temp_dir.h"
#include "world/db/CGoodsManager.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

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

} // namespace

// A fixture for the trade table: a goods table and the tables that hold the other traded keys, an
// empty table before and after each test, and builders of goods records.
#pragma once

#include "tests/world/db/world_fixture.h"

#include "ai/CZJTrade.h"
#include "foundation/XRandom.h"

#include <cstring>
#include <vector>

class TradeTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        UseTables(AllTables({
            { "Товары",
                "[TOV_ORE]\nMASSA=50\nPRICE=120\n[TOV_HEAVY]\nMASSA=100\nPRICE=10\n"
                "[TOV_GONE]\nDeleted=1\n" },
            { "Снаряды", "[AMM_SHELL]\nPRICE=5\n[AMM_SECRET]\nNOTRADE=1\n" },
            { "Глайдеры", "[GL_A]\n" },
            { "Оружие", "[GUN_A]\n" },
            { "Оборудование", "[EQP_A]\n" },
        }));
        ZJEngine.ZJInit();
        ZJTrade.Clear();
        SharedRandom.seed = 0;
        SharedRandom.last = 0.0f;
    }
    void TearDown() override
    {
        ZJTrade.Clear();
        WorldDbTest::TearDown();
    }

    struct Prices {
        float max = 0;
        float buy = 0;
        float stock = 0;
        float production = 0;
        float min = 0;
        float normal = 0;
        bool steep = false;
    };

    static SBuildingTrade Good(const char* key, const Prices& p)
    {
        SBuildingTrade good;
        std::memset(&good, 0, sizeof good);
        std::strncpy(good.key, key, sizeof good.key - 1);
        good.maxPrice = p.max;
        good.buyPrice = p.buy;
        good.stock = p.stock;
        good.production = p.production;
        good.minPrice = p.min;
        good.normalStock = p.normal;
        good.steepCurve = p.steep ? 1 : 0;
        return good;
    }

    // Appends a building with its goods; returns its entry.
    static STradeEntry& AddEntry(const char* building, const std::vector<SBuildingTrade>& goods)
    {
        STradeEntry& entry = ZJTrade.Entry(ZJTrade.entryCount++);
        std::memset(entry.building, 0, sizeof entry.building);
        std::strncpy(entry.building, building, sizeof entry.building - 1);
        entry.goods.Done();
        for (const SBuildingTrade& good : goods)
            entry.goods.Add(good);
        return entry;
    }

    static NameKey32 Key(const char* text) { return MakeNameKey32(text); }
};

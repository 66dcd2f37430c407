// The trade table: price curves, the hourly tick on a seeded generator, price updates, sales and
// purchases, the goods lists of the menus, the random good of the caravans and the trade block.
#include "tests/ai/trade_fixture.h"

#include "foundation/CallTrace.h"
#include "foundation/XMemBuffer.h"

#include <cstdint>
#include <string>

namespace {

using namespace zoq::tools::world;

TEST_F(TradeTest, CurvePricesFallWithStockDownToTheirFloor)
{
    struct Case {
        const char* name;
        const char* key;
        Prices prices;
        float expected;
    };
    const Case cases[] = {
        { "no stock sells at the top", "TOV_ORE", { .max = 200, .stock = 0, .min = 100 }, 200.0f },
        { "a negative stock counts as none", "TOV_ORE", { .max = 200, .stock = -5, .min = 100 }, 200.0f },
        // s = sqrt(50 x 0.0002) x 20 = 2; 100 + 100 x e^-0.1
        { "some stock", "TOV_ORE", { .max = 200, .stock = 20, .min = 100 }, 190.48374f },
        { "large stock stops at 1.04 x min", "TOV_ORE", { .max = 200, .stock = 1e6f, .min = 100 }, 104.0f },
        { "a steep curve stops at 1.1 x min", "TOV_ORE",
            { .max = 200, .stock = 1000, .min = 100, .steep = true }, 110.0f },
        { "a flat curve is its floor", "TOV_ORE", { .max = 100, .stock = 0, .min = 100 }, 104.0f },
        { "a flat steep curve is its floor", "TOV_ORE",
            { .max = 100, .stock = 50, .min = 100, .steep = true }, 110.0f },
        { "a key missing from the goods table sells at the top", "TOV_NONE",
            { .max = 77, .stock = 500, .min = 10 }, 77.0f },
        { "a deleted goods row is missing", "TOV_GONE", { .max = 60, .stock = 500, .min = 10 }, 60.0f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FLOAT_EQ(ZJTrade.ComputePrice(Good(c.key, c.prices)), c.expected);
    }
}

TEST_F(TradeTest, GetPriceGivesTheCurveOrTheBuyingPriceAndTheWholeStock)
{
    AddEntry("B_SHOP",
        { Good("TOV_ORE", { .max = 200, .buy = 150, .stock = 2.7f, .min = 100 }),
            Good("TOV_HEAVY", { .max = 0, .buy = 0, .stock = -2.7f }) });
    float price = -1;
    int32_t stock = 0;
    EXPECT_TRUE(ZJTrade.GetPrice(Key("B_SHOP"), Key("TOV_ORE"), true, price, &stock));
    EXPECT_FLOAT_EQ(price, 150.0f);
    EXPECT_EQ(stock, 2);
    EXPECT_TRUE(ZJTrade.GetPrice(Key("B_SHOP"), Key("TOV_ORE"), false, price, nullptr));
    EXPECT_NEAR(price, 198.659f, 0.001f); // 100 + 100 x e^-(0.05 x 0.1 x 2.7)
    EXPECT_FALSE(ZJTrade.GetPrice(Key("B_SHOP"), Key("TOV_HEAVY"), true, price, &stock));
    EXPECT_FLOAT_EQ(price, 0.0f);
    EXPECT_EQ(stock, -2) << "truncated toward 0";

    price = -1;
    EXPECT_FALSE(ZJTrade.GetPrice(Key("B_SHOP"), Key("TOV_NONE"), true, price, &stock));
    EXPECT_FALSE(ZJTrade.GetPrice(Key("b_shop"), Key("TOV_ORE"), true, price, &stock)) << "case-sensitive";
    EXPECT_FLOAT_EQ(price, -1.0f) << "untouched when missing";
    EXPECT_EQ(ZJTrade.GetGood(Key("B_SHOP"), Key("TOV_HEAVY")), &ZJTrade.Entry(0).goods.At(1));
    EXPECT_THROW(ZJTrade.Entry(100), XRangeError);
}

// The first draw after seed 0 is Get(1) = 0.9297; consumption is (0.9297 + 0.5) / w x q / 24 with
// w = 100.1 for TOV_HEAVY.
TEST_F(TradeTest, ConsumptionTakesMoreFromHeavierStockInThreeBands)
{
    struct Case {
        float stock;
        float expected;
    };
    const Case cases[] = {
        { 250, 244.04887f }, // mass 25025: q 10000
        { 150, 147.02443f }, // mass 15015: q 5000
        { 50, 48.809772f }, // mass 5005: q 2000
        { 1, 0.0f }, // never below 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stock);
        ZJTrade.Clear();
        STradeEntry& entry = AddEntry("B", { Good("TOV_HEAVY", { .max = 50, .stock = c.stock, .min = 10 }) });
        entry.tickMark = 0;
        SharedRandom.seed = 0;
        ZJTrade.Run(1);
        EXPECT_FLOAT_EQ(entry.goods.At(0).stock, c.expected);
        EXPECT_EQ(entry.tickMark, 1);
    }
}

TEST_F(TradeTest, OnlyListedGoodsWithAFloorAreConsumed)
{
    STradeEntry& entry = AddEntry("B",
        { Good("TOV_ORE", { .max = 50, .stock = 3, .min = 10 }), Good("TOV_HEAVY", { .max = 50, .stock = 3 }),
            Good("TOV_NONE", { .max = 50, .stock = 3, .min = 10 }) });
    ZJTrade.Run(1);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, 0.62192297f);
    EXPECT_FLOAT_EQ(entry.goods.At(1).stock, 3.0f);
    EXPECT_FLOAT_EQ(entry.goods.At(2).stock, 3.0f);
    EXPECT_EQ(SharedRandom.seed, 49297u) << "one draw";
}

TEST_F(TradeTest, BuyingBelowTheStockIsMendedByTheNextTickOnlyWhereGoodsAreConsumed)
{
    STradeEntry& entry = AddEntry("B",
        { Good("TOV_ORE", { .max = 50, .stock = 5, .min = 10 }),
            Good("TOV_HEAVY", { .max = 50, .stock = 5 }) });
    ZJTrade.Buy(Key("B"), Key("TOV_ORE"), 8);
    ZJTrade.Buy(Key("B"), Key("TOV_HEAVY"), 8);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, -3.0f);
    ZJTrade.Run(1);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, 0.0f);
    EXPECT_FLOAT_EQ(entry.goods.At(1).stock, -3.0f);

    ZJTrade.Buy(Key("B"), Key("TOV_NONE"), 1);
    ZJTrade.Buy(Key("NOWHERE"), Key("TOV_ORE"), 1);
    EXPECT_EQ(LogCount("SBuildingTrade::Buy buy unknown good = 'TOV_NONE'"), 1);
    EXPECT_EQ(LogCount("SBuildingTrade::Buy buy unknown good = 'TOV_ORE'"), 1);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, 0.0f);
}

// From seed 0 the production rolls GetInt(24) give 0, 18, 1: hours 1 and 3 produce, with
// Get(1.4) = 0.76916 and 0.16310.
TEST_F(TradeTest, ProductionRollsAddAThirdOfNormalStockOrClearAnOverfullStock)
{
    STradeEntry& entry = AddEntry("B", { Good("TOV_NONE", { .stock = 5, .production = 1, .normal = 30 }) });
    ZJTrade.Run(1);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, 5.0f + 1.06916f * 10.0f);
    ZJTrade.Run(2);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, 15.6916f) << "a lost roll";
    ZJTrade.Run(3);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, 20.3226f);

    struct Case {
        float stock;
        float expected;
    };
    for (const Case& c : { Case { 90, 90 + 10.6916f }, Case { 90.5f, 0 } }) {
        SCOPED_TRACE(c.stock);
        entry.goods.At(0).stock = c.stock;
        SharedRandom.seed = 0;
        ZJTrade.Run(1);
        EXPECT_FLOAT_EQ(entry.goods.At(0).stock, c.expected);
    }
}

TEST_F(TradeTest, UpdatePricesLowersTheTopsOfGoodsCurves)
{
    struct Case {
        const char* name;
        SBuildingTrade good;
        float expected;
    };
    SBuildingTrade soldIn = Good("TOV_ORE", { .max = 300, .min = 100 });
    soldIn.soldIn = 1;
    SBuildingTrade steepSoldIn = Good("TOV_ORE", { .max = 300, .min = 100, .steep = true });
    steepSoldIn.soldIn = 1;
    const Case cases[] = {
        { "steep", Good("TOV_ORE", { .max = 120, .min = 100, .steep = true }), 110.0f },
        { "steep and sold in", steepSoldIn, 200.0f },
        { "steep, not offered", Good("TOV_ORE", { .max = 0, .min = 100, .steep = true }), 0.0f },
        { "above 1.5 x min", Good("TOV_ORE", { .max = 200, .min = 100 }), 150.0f },
        { "at 1.5 x min", Good("TOV_ORE", { .max = 150, .min = 100 }), 150.0f },
        { "sold in", soldIn, 300.0f },
        { "not goods", Good("GL_A", { .max = 300, .min = 100 }), 300.0f },
    };
    std::vector<SBuildingTrade> goods;
    for (const Case& c : cases)
        goods.push_back(c.good);
    STradeEntry& entry = AddEntry("B", goods);
    ZJTrade.UpdatePrices();
    for (int i = 0; i < int(std::size(cases)); ++i)
        EXPECT_FLOAT_EQ(entry.goods.At(i).maxPrice, cases[i].expected) << cases[i].name;
}

TEST_F(TradeTest, SellingAnUnlistedGoodOffersItBackAtThreeQuartersOfItsBasePrice)
{
    STradeEntry& entry = AddEntry("B", { Good("TOV_HEAVY", { .max = 20, .stock = 1 }) });
    ZJTrade.Sold(Key("B"), Key("TOV_HEAVY"), 4);
    EXPECT_FLOAT_EQ(entry.goods.At(0).stock, 5.0f);

    ZJTrade.Sold(Key("B"), Key("TOV_ORE"), 7);
    ZJTrade.Sold(Key("B"), Key("TOV_NONE"), 2);
    ASSERT_EQ(entry.goods.Count(), 3);
    const SBuildingTrade& ore = entry.goods.At(1);
    EXPECT_STREQ(ore.key, "TOV_ORE");
    EXPECT_EQ(ore.soldIn, 1);
    EXPECT_FLOAT_EQ(ore.production, 90.0f);
    EXPECT_FLOAT_EQ(ore.buyPrice, 90.0f);
    EXPECT_FLOAT_EQ(ore.stock, 7.0f);
    EXPECT_FLOAT_EQ(ore.maxPrice + ore.minPrice + ore.normalStock, 0.0f);
    EXPECT_FLOAT_EQ(entry.goods.At(2).buyPrice, 75.0f) << "a base price of 100 outside the table";
    float price = 0;
    EXPECT_TRUE(ZJTrade.GetPrice(Key("B"), Key("TOV_ORE"), true, price, nullptr));
    EXPECT_FLOAT_EQ(price, 90.0f);

    // Its normal stock is 0: the first won production roll (seed 0) clears it.
    ZJTrade.Run(1);
    EXPECT_FLOAT_EQ(entry.goods.At(1).stock, 0.0f);

    ZJTrade.Sold(Key("NOWHERE"), Key("TOV_ORE"), 1);
    EXPECT_EQ(LogCount("CZJTrade::Sold unknown building = 'NOWHERE'"), 1);
    EXPECT_EQ(ZJTrade.entryCount, 1);
}

TEST_F(TradeTest, GoodsListsHoldTheBuildingsOwnRecordsOfOneKind)
{
    STradeEntry& entry = AddEntry("B",
        {
            Good("TOV_ORE", { .max = 0, .buy = 10 }), // 0
            Good("TOV_HEAVY", { .max = 30, .buy = 0 }), // 1
            Good("TOV_ORE", { .max = 0, .buy = 0 }), // 2
            Good("TOV_NONE", { .max = 30, .buy = 30 }), // 3: not in the table
            Good("GL_A", {}), // 4
            Good("GUN_A", {}), // 5
            Good("GUN_B", {}), // 6: not in the table
            Good("EQP_A", {}), // 7
            Good("AMM_SHELL", {}), // 8
            Good("AMM_SECRET", {}), // 9: kept out of trade
            Good("GL_NONE", {}), // 10
        });
    AddEntry("OTHER", { Good("TOV_ORE", { .max = 1, .buy = 1 }) });
    struct Case {
        int32_t kind;
        bool buying;
        std::vector<int> records;
    };
    const Case cases[] = {
        { CZJTrade::kGoods, true, { 0 } },
        { CZJTrade::kGoods, false, { 1 } },
        { CZJTrade::kGliders, false, { 4 } },
        { CZJTrade::kGuns, true, { 5 } },
        { CZJTrade::kEquipment, false, { 7 } },
        { CZJTrade::kAmmunition, false, { 8 } },
        { 6, false, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        XDynamicArray<SBuildingTrade*> list;
        list.Add(nullptr);
        ZJTrade.GetGoodInfo(Key("B"), c.kind, list, c.buying);
        ASSERT_EQ(list.Count(), int(c.records.size()));
        for (int i = 0; i < list.Count(); ++i)
            EXPECT_EQ(list.At(i), &entry.goods.At(c.records[size_t(i)])) << "the stored record itself";
    }
    XDynamicArray<SBuildingTrade*> untouched;
    untouched.Add(nullptr);
    ZJTrade.GetGoodInfo(Key("NOWHERE"), CZJTrade::kGoods, untouched, true);
    EXPECT_EQ(untouched.Count(), 1);
}

TEST_F(TradeTest, RandomGoodsWrapOverBuildingsAndRecords)
{
    NameKey32 key = Key("junk");
    ZJTrade.GetRandomGood(key);
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(key.text), -1) << "no entries";

    AddEntry(
        "B0", { Good("TOV_ORE", { .buy = 0 }), Good("TOV_HEAVY", { .buy = 5 }), Good("GL_A", { .buy = 5 }) });
    AddEntry("B1", {});
    AddEntry("B2", { Good("TOV_ORE", { .buy = 0 }) });
    // Seed 14 starts at B2 (one record, none offered), wraps to B0 and starts at its record 2.
    SharedRandom.seed = 14;
    ZJTrade.GetRandomGood(key);
    EXPECT_STREQ(key.text, "TOV_HEAVY");

    ZJTrade.Entry(0).goods.At(1).buyPrice = 0;
    ZJTrade.Entry(0).goods.At(0) = Good("TOV", { .buy = 5 });
    key = Key("junk");
    ZJTrade.GetRandomGood(key);
    EXPECT_EQ(*reinterpret_cast<const int32_t*>(key.text), -1) << "a bare prefix is no good";
}

// A block as the location writer makes it, read, saved and read again.
TEST_F(TradeTest, BlocksOfBothVersionsRoundTripWithTheirReservedBytes)
{
    for (uint32_t version : { 1u, 2u }) {
        SCOPED_TRACE(version);
        TradeSection section;
        section.version = version;
        section.extra = 0xA5A5A5A5;
        section.entries
            = { TradeEntry { "B_ONE", { TradeGood { "TOV_ORE", 200, 150, 3, 1, 100, 30, 1, 1 } } },
                  TradeEntry { "B_TWO", {} } };
        std::vector<uint8_t> bytes = WriteTradeSection(section);
        const size_t record = bytes.size() - 36 - 140;
        bytes[record + 40] = 0x11; // reserved bytes travel as stored
        bytes[record + 130] = 0x22;
        bytes[record + 139] = 0x33;
        XMemBuffer in;
        in.Attach(bytes.data(), int(bytes.size()));
        ZJTrade.Entry(0).loaded = 0;
        ZJTrade.Load(in);
        EXPECT_EQ(in.Remaining(), 0);
        ASSERT_EQ(ZJTrade.entryCount, 2);
        EXPECT_EQ(ZJTrade.reserved, version == 2 ? 0xA5A5A5A5 : 0u);
        EXPECT_EQ(ZJTrade.Entry(0).loaded, 1);
        const SBuildingTrade& good = ZJTrade.Entry(0).goods.At(0);
        EXPECT_STREQ(good.key, "TOV_ORE");
        EXPECT_FLOAT_EQ(good.maxPrice, 200.0f);
        EXPECT_FLOAT_EQ(good.buyPrice, 150.0f);
        EXPECT_FLOAT_EQ(good.stock, 3.0f);
        EXPECT_FLOAT_EQ(good.production, 1.0f);
        EXPECT_FLOAT_EQ(good.minPrice, 100.0f);
        EXPECT_FLOAT_EQ(good.normalStock, 30.0f);
        EXPECT_EQ(good.soldIn, 1);
        EXPECT_EQ(good.steepCurve, 1);
        EXPECT_STREQ(ZJTrade.Entry(1).building, "B_TWO");

        XMemBuffer out;
        ZJTrade.Save(out);
        std::vector<uint8_t> saved(out.Data(), out.Data() + out.Position());
        if (version == 1)
            bytes.insert(bytes.begin() + 4, { 0, 0, 0, 0 });
        bytes[0] = 2;
        EXPECT_EQ(saved, bytes) << "saved as version 2";
    }
    EXPECT_FALSE(LogExists());
}

TEST_F(TradeTest, BadBlocksFailWithTheTableEmptied)
{
    TradeSection section;
    section.version = 2;
    section.entries = { TradeEntry { "B_ONE", { TradeGood { "TOV_ORE" }, TradeGood { "TOV_HEAVY" } } } };
    const std::vector<uint8_t> whole = WriteTradeSection(section);
    int failures = 0;
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        AddEntry("OLD", { Good("TOV_ORE", {}) });
        std::vector<uint8_t> bytes(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
        XMemBuffer in;
        in.Attach(bytes.data(), int(bytes.size()));
        EXPECT_THROW(ZJTrade.Load(in), XRangeError);
        EXPECT_EQ(ZJTrade.entryCount, 0);
        EXPECT_EQ(ZJTrade.Entry(0).goods.Count(), 0);
        ++failures;
    }
    EXPECT_EQ(LogCount("CZJTrade::Load"), failures) << "one line each";
    EXPECT_EQ(LogCount("CZJTrade::Load bad goods count 2 at offset 44"), int(whole.size()) - 48)
        << "every cut after the goods count";
    EXPECT_NE(std::string(CallTraceText()).find("->CZJTrade::Load"), std::string::npos);
    ResetCallTrace();

    section.entries.assign(101, TradeEntry { "B", {} });
    std::vector<uint8_t> many = WriteTradeSection(section);
    XMemBuffer in;
    in.Attach(many.data(), int(many.size()));
    EXPECT_THROW(ZJTrade.Load(in), XRangeError);
    EXPECT_EQ(ZJTrade.entryCount, 0);
    EXPECT_EQ(LogCount("CZJTrade::Load bad entry count 101 at offset 8"), 1);
    ResetCallTrace();
}

TEST_F(TradeTest, StoredKeysEndInsideTheirFields)
{
    TradeSection section;
    section.version = 2;
    section.entries = { TradeEntry { "B", { TradeGood { "TOV_ORE" } } } };
    std::vector<uint8_t> bytes = WriteTradeSection(section);
    std::fill(bytes.begin() + 12, bytes.begin() + 44, uint8_t('B'));
    std::fill(bytes.begin() + 48, bytes.begin() + 80, uint8_t('T'));
    XMemBuffer in;
    in.Attach(bytes.data(), int(bytes.size()));
    ZJTrade.Load(in);
    EXPECT_EQ(std::string(ZJTrade.Entry(0).building), std::string(31, 'B'));
    EXPECT_EQ(std::string(ZJTrade.Entry(0).goods.At(0).key), std::string(31, 'T'));
}

} // namespace

// The building menu on the null backend with real tables, trade record, machine and script
// manager: buying and selling goods, repair-all and reload-all, the jump page and its target, the
// visited list, the autosave decision and organisations joined, left and changed by their scripts.
#include "ai/CFerrovant.h"
#include "ai/CZJTrade.h"
#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "platform/win/text.h"
#include "tests/support/ini_tables.h"
#include "tests/ui/menu_fixture.h"
#include "ui/CBuildingMenu.h"
#include "ui/CMenu1.h"
#include "ui/CMenuListEntry.h"
#include "world/db/CGliderManager.h"
#include "world/db/COrgManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerEquipmentFlags.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class BuildingHost : public uitest::TypingHost {
public:
    const char* LocationFile() override { return location.c_str(); }
    bool SaveGame(const char* file, const char* title, const char place[32], bool autosave) override
    {
        (void)title;
        saves.push_back(std::string(file) + "|" + place + (autosave ? "|auto" : ""));
        return true;
    }
    // Records whether the world runs under each menu shown over the building's; cancels it.
    uint32_t RunModalMenu(CBaseMenu* menu) override
    {
        const auto* list = dynamic_cast<const CMenu1*>(menu);
        worldRuns.push_back(list && list->runWorld);
        return 0;
    }
    std::string location = "Data\\MAPS\\location3.zjp";
    std::vector<std::string> saves;
    std::vector<bool> worldRuns;
};

class BuildingMenuTest : public uitest::MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        SetMenuHost(&buildingHost);
        FrameTime = 0.05f;
        zoq::test::IniTables tables;
        const std::pair<const char*, const char*> given[] = {
            { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=3\n" },
            { "Товары", "[TOV_ORE]\nMASSA=50\nPRICE=40\n[TOV_GEM]\nMASSA=1\nPRICE=30\n" },
            { "Здания", "[BLD_BASE]\nTYPE=1\n[BLD_NOSAVE]\nTYPE=6\n[BLD_ORG]\nTYPE=9\n" },
            { "Организации", "[ORG_PLAYER]\nICON=1\n[ORG_A]\nICON=2\n[ORG_B]\nICON=3\n" },
            { "Оборудование", "[EQP_ARMOR]\nTYPE=3\nVALUE1=200\nDAMAGE=50\n" },
            { "Оружие", "" },
            { "Снаряды", "" },
            { "Конфигурации", "" },
        };
        for (const auto& [name, text] : given)
            tables.push_back({ plat::win::Utf8ToCp1251(name), plat::win::Utf8ToCp1251(text) });
        zoq::test::UseIniTables(tables);
        ZJEngine.ZJInit();
        ZJTrade.Clear();
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
        machine = std::make_unique<CFerrovant>();
        const uint32_t params[7] = {};
        machine->hull.Set(g_GliderManager.FindRow("GL_A"), params);
        machine->cargo.bulkAmount = 100.0f;
        PlayerFerrovant = machine.get();
        SharedRandom.seed = 0;
        g_OrgManager.playerOrganisation = -1;
    }
    void TearDown() override
    {
        menu.reset();
        PlayerFerrovant = nullptr;
        ZJTrade.Clear();
        SetMenuHost(nullptr);
        MenuTest::TearDown();
    }

    static SBuildingTrade Good(const char* key, float maxPrice, float buyPrice, float stock, float normal)
    {
        SBuildingTrade good;
        std::memset(&good, 0, sizeof good);
        std::strncpy(good.key, key, sizeof good.key - 1);
        good.maxPrice = good.minPrice = maxPrice;
        good.buyPrice = buyPrice;
        good.stock = stock;
        good.normalStock = normal;
        return good;
    }
    static void AddTrade(const char* building, const std::vector<SBuildingTrade>& goods)
    {
        STradeEntry& entry = ZJTrade.Entry(ZJTrade.entryCount++);
        std::strncpy(entry.building, building, sizeof entry.building - 1);
        entry.goods.Done();
        for (const SBuildingTrade& good : goods)
            entry.goods.Add(good);
    }

    CBuildingMenu& Open(const char* building, const char* type, int32_t page)
    {
        menu = std::make_unique<CBuildingMenu>(building, type, true, false);
        menu->Init();
        menu->page = page;
        menu->OnChangeRightPanel();
        menu->OnChangeLeftPanel();
        return *menu;
    }
    int32_t RightIndex(const char* key) const
    {
        for (int32_t i = 0; i < menu->rightList.Count(); ++i)
            if (std::strcmp(menu->rightList.At(i)->key, key) == 0)
                return i;
        return -1;
    }
    // The trade and jump pages' offers: a name without the link, the text with it.
    std::string Texts() const override
    {
        return "[INT_SELL_FORMAT]\nNAME = Price: %d\nTEXT = Price: %d <link:Buy=LINKBUY>\n"
               "[INT_SELL_GOODS_PROFIT]\nNAME = Sell for %d\nTEXT = Sell for %d <link:Sell=LINKSOLD>\n"
               "[INFO_SECTOR2]\nNAME = The plain\nTEXT = A wide plain.\n"
               "[INT_TUNNEL_ACCESS]\nNAME = Open\nTEXT = The way is open. <link:Travel=LINKJUMP>\n";
    }
    // Whether the text panel shows a link to the target.
    bool ShowsLink(const char* target) const
    {
        const CMHTLWindow& window = *menu->textPanel->window;
        for (int i = 0; i < window.LineCount(); ++i)
            if (std::strcmp(window.Line(i).kind.Text(), target) == 0)
                return true;
        return false;
    }
    int32_t CargoCount(const char* name) const
    {
        int32_t n = 0;
        for (const CargoItem& item : machine->cargo.items)
            n += std::strcmp(item.name, name) == 0 ? item.count : 0;
        return n;
    }

    BuildingHost buildingHost;
    std::unique_ptr<CFerrovant> machine;
    std::unique_ptr<CBuildingMenu> menu;
};

TEST(BuildingMenuRules, jumpTargetReplacesTheLastDigitOfTheFileName)
{
    struct Case {
        const char* location;
        int sector;
        const char* target;
    };
    const Case cases[] = {
        { "Data\\MAPS\\location3.zjp", 2, "location2.zjp" },
        { "maps/loc13.zjp", 5, "loc15.zjp" },
        { "gate.zjp", 4, "gate.zjp" },
    };
    for (const Case& c : cases) {
        char out[64];
        ASSERT_TRUE(CBuildingMenu::JumpFileName(c.location, c.sector, out)) << c.location;
        EXPECT_STREQ(out, c.target);
    }
    char out[64];
    EXPECT_FALSE(CBuildingMenu::JumpFileName(std::string(64, 'x').c_str(), 1, out));
    EXPECT_EQ(CBuildingMenu::CurrentSector("Data\\MAPS\\location3.zjp"), 3);
    EXPECT_EQ(CBuildingMenu::CurrentSector("gate.zjp"), 1);
}

TEST(BuildingMenuRules, dearJumpChanceNeverDividesByZero)
{
    const std::pair<int32_t, float> cases[]
        = { { 0, 0.2f }, { 3, 0.5f }, { 4, 1.0f }, { 5, 1.0f }, { 9, 1.0f } };
    for (const auto& [level, chance] : cases)
        EXPECT_FLOAT_EQ(CBuildingMenu::JumpPriceChance(level), chance) << level;
}

TEST(BuildingMenuRules, autosaveAndLoadAndExperienceRules)
{
    EXPECT_TRUE(CBuildingMenu::AutosaveWanted(1, false));
    EXPECT_FALSE(CBuildingMenu::AutosaveWanted(6, false));
    EXPECT_FALSE(CBuildingMenu::AutosaveWanted(1, true));
    EXPECT_TRUE(CBuildingMenu::LoadAllows(100.0f, 100.0f, 160.0f));
    EXPECT_FALSE(CBuildingMenu::LoadAllows(100.0f, 113.4f, 160.0f)) << "4/3 of the capacity is full";
    EXPECT_FALSE(CBuildingMenu::LoadAllows(0.0f, 0.0f, 0.0f)) << "no capacity counts as full";
    EXPECT_FALSE(CBuildingMenu::LoadAllows(0.0f, 0.0f, -5.0f));
    EXPECT_FLOAT_EQ(CBuildingMenu::TradeExperienceFactor(0), 1.5f);
    EXPECT_FLOAT_EQ(CBuildingMenu::TradeExperienceFactor(1), 1.0f);
    EXPECT_FLOAT_EQ(CBuildingMenu::TradeExperienceFactor(2), 0.5f);
}

TEST_F(BuildingMenuTest, buyingChecksStockMoneyAndFourThirdsOfTheCapacity)
{
    AddTrade(
        "B_SHOP", { Good("TOV_GEM", 10.0f, 0.0f, 3.0f, 1.0f), Good("TOV_ORE", 20.0f, 0.0f, 0.0f, 0.0f) });
    Open("B_SHOP", "BLD_BASE", CBuildingMenu::kPageTrade);

    menu->SelectRightList(RightIndex("TOV_GEM"));
    EXPECT_EQ(menu->maxBuyAmount, 3);
    EXPECT_TRUE(ShowsLink("LINKBUY")) << "the offer's text holds the buy link";
    menu->BuyGoods(true);
    EXPECT_EQ(CargoCount("TOV_GEM"), 3) << "Shift buys at most the stock";
    const float afterStock = 100.0f - 3.0f * menu->offerPrice;
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, afterStock);
    menu->SelectRightList(RightIndex("TOV_GEM"));
    menu->BuyGoods(false);
    EXPECT_EQ(CargoCount("TOV_GEM"), 3) << "no stock left";
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, afterStock);

    // Capacity 160: the cargo may reach 213 units of weight, that is four loads of 50 with 3 on board.
    machine->cargo.bulkAmount = 1000.0f;
    menu->SelectRightList(RightIndex("TOV_ORE"));
    for (int i = 0; i < 6; ++i) {
        menu->SelectRightList(RightIndex("TOV_ORE"));
        menu->BuyGoods(false);
    }
    EXPECT_EQ(CargoCount("TOV_ORE"), 4);
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 1000.0f - 4.0f * menu->offerPrice);

    machine->cargo.items.Done();
    machine->cargo.bulkAmount = menu->offerPrice - 1.0f;
    menu->SelectRightList(RightIndex("TOV_ORE"));
    menu->BuyGoods(false);
    EXPECT_EQ(CargoCount("TOV_ORE"), 0) << "too little money";
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, menu->offerPrice - 1.0f);
}

TEST_F(BuildingMenuTest, sellingBooksGainAndExperienceByDifficulty)
{
    AddTrade("B_SHOP", { Good("TOV_GEM", 0.0f, 15.0f, 0.0f, 0.0f) });
    const std::pair<uint32_t, float> cases[] = { { 0, 0.3f }, { 1, 0.2f }, { 2, 0.1f } };
    for (const auto& [difficulty, experience] : cases) {
        SCOPED_TRACE(difficulty);
        manager->difficulty = difficulty;
        machine->cargo.items.Done();
        machine->cargo.AddGoods("TOV_GEM", 2, 5.0f, CargoItem::kGoods);
        machine->cargo.bulkAmount = 0.0f;
        machine->rating = 0.05f;
        Open("B_SHOP", "BLD_BASE", CBuildingMenu::kPageTrade);
        ASSERT_EQ(menu->leftList.Count(), 1);
        menu->SelectLeftList(0);
        EXPECT_FLOAT_EQ(menu->offerPrice, 15.0f);
        EXPECT_TRUE(ShowsLink("LINKSOLD")) << "the sale page's text holds the sell link";
        menu->SellGoods(false);
        EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 15.0f);
        EXPECT_NEAR(machine->rating, 0.05f + experience, 1e-5f);
        EXPECT_EQ(CargoCount("TOV_GEM"), 1);
        menu->SelectLeftList(0);
        menu->SellGoods(true);
        EXPECT_EQ(CargoCount("TOV_GEM"), 0);
        EXPECT_EQ(machine->cargo.items.Count(), 0);
    }
    // Picked-up goods (price paid 0) earn the whole price and no experience.
    machine->cargo.AddGoods("TOV_GEM", 1, 0.0f, CargoItem::kGoods);
    machine->cargo.bulkAmount = 0.0f;
    machine->rating = 0.05f;
    Open("B_SHOP", "BLD_BASE", CBuildingMenu::kPageTrade);
    menu->SelectLeftList(0);
    menu->SellGoods(false);
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 15.0f);
    EXPECT_FLOAT_EQ(machine->rating, 0.05f);
}

TEST_F(BuildingMenuTest, repairAllAndReloadAllPayTheWholeCostPlusOne)
{
    Open("B_SHOP", "BLD_BASE", CBuildingMenu::kPageBuilding);
    machine->hull.wear = 40.0f;
    machine->reactor.wear = 3.0f;
    menu->repairAllCost = 49.5f;
    menu->RepairAll();
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 50.0f);
    EXPECT_EQ(machine->hull.wear, 0.0f);
    EXPECT_EQ(machine->reactor.wear, 0.0f);

    machine->hull.wear = 40.0f;
    menu->repairAllCost = 60.0f;
    menu->RepairAll();
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 50.0f) << "61 is more than the money";
    EXPECT_EQ(machine->hull.wear, 40.0f);

    menu->reloadAllCost = 20.2f;
    menu->ReloadAll();
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 29.0f);
    menu->reloadAllCost = 29.0f;
    menu->ReloadAll();
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 29.0f);
}

TEST_F(BuildingMenuTest, jumpPageEntriesKeepTheirSectorAcrossAHiddenOne)
{
    manager->SetEvent("SECTOR1.ACCESS");
    manager->SetEvent("SECTOR2.ACCESS");
    manager->SetEvent("SECTOR4.ACCESS");
    machine->cargo.bulkAmount = 5000.0f;
    Open("B_TUNNEL", "BLD_BASE", CBuildingMenu::kPageJump);
    ASSERT_EQ(menu->rightList.Count(), 3);
    EXPECT_EQ(menu->rightList.At(2)->value, 4u) << "sector 3 is hidden and shifts nothing";

    menu->SelectRightList(1);
    EXPECT_EQ(menu->jumpAllowed, 1);
    EXPECT_TRUE(ShowsLink("LINKJUMP")) << "the answer shows below the sector's text";
    menu->textPanel->linkTarget = "LINKJUMP";
    menu->textPanel->linkClicked = 1;
    menu->RunControl();
    EXPECT_EQ(menu->result, CMainMenu::kResultTunnel);
    menu->ProcessCommand(CMainMenu::kCmdExit);
    EXPECT_EQ(menu->result, CMainMenu::kResultTunnel) << "Escape during the closing slide keeps the jump";
    ASSERT_TRUE(menu->Jump());
    EXPECT_STREQ(ZJEngine.destinationFile, "location2.zjp");
    EXPECT_STREQ(ZJEngine.pendingAction.actionBuilding.text, "");
    EXPECT_EQ(menu->result, CMainMenu::kResultTunnel);
    EXPECT_LE(machine->cargo.bulkAmount, 4900.0f);
    EXPECT_GE(machine->cargo.bulkAmount, 4001.0f);

    Open("B_TUNNEL", "BLD_BASE", CBuildingMenu::kPageJump);
    menu->SelectRightList(2);
    ASSERT_TRUE(menu->Jump());
    EXPECT_STREQ(ZJEngine.destinationFile, "location4.zjp");

    // Too little money: no jump.
    machine->cargo.bulkAmount = 99.0f;
    Open("B_TUNNEL", "BLD_BASE", CBuildingMenu::kPageJump);
    menu->SelectRightList(0);
    EXPECT_FALSE(menu->Jump());
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 99.0f);
}

// The glider waits in the door while the save list is up: a world run under it would enter the
// building again at once when the player leaves.
TEST_F(BuildingMenuTest, theSaveListKeepsTheWorldStill)
{
    Open("B_SHOP", "BLD_BASE", CBuildingMenu::kPageBuilding);
    menu->ProcessCommand(CBuildingMenu::kCmdSave);
    EXPECT_EQ(buildingHost.worldRuns, std::vector<bool> { false });
    EXPECT_TRUE(buildingHost.saves.empty());
}

TEST_F(BuildingMenuTest, visitedOnceAndAutosaveOnlyWhereAllowed)
{
    struct Case {
        const char* type;
        uint32_t state;
        size_t saves;
    };
    const Case cases[] = { { "BLD_BASE", 1, 1 }, { "BLD_NOSAVE", 1, 0 }, { "BLD_BASE", 3, 0 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        buildingHost.saves.clear();
        buildingHost.state = c.state;
        for (int i = 0; i < 2; ++i) {
            menu = std::make_unique<CBuildingMenu>("B_HOME", c.type);
            menu->Init();
        }
        EXPECT_EQ(buildingHost.saves.size(), c.saves * 2);
        if (c.saves) {
            EXPECT_EQ(buildingHost.saves[0], "autosave.sav|B_HOME|auto");
        }
    }
    EXPECT_EQ(std::count(manager->visitedBuildings.begin(), manager->visitedBuildings.end(), "B_HOME"), 1);
}

TEST_F(BuildingMenuTest, organisationsAreJoinedLeftAndChangedThroughTheirScripts)
{
    Script("B_GUILD", "scr", "PROC GETORGLIST\n_INFO(ORG_A)\n_INFO(ORG_B)\nEND\n");
    for (const char* org : { "ORG_A", "ORG_B" })
        Script(org, "scr",
            std::string("PROC JOIN\n_INFO(") + org + "_JOINED)\nEND\nPROC LEAVE\n_INFO(" + org
                + "_LEFT)\nEND\nPROC CHANGE\n_INFO(" + org + "_CHANGE)\nEND\n");
    const int orgA = g_OrgManager.FindOrganisation("ORG_A");
    const int orgB = g_OrgManager.FindOrganisation("ORG_B");
    Open("B_GUILD", "BLD_ORG", CBuildingMenu::kPageOrganisations);
    ASSERT_EQ(RightIndex("ORG_A"), 1);
    EXPECT_EQ(menu->rightList.At(1)->value, uint32_t(orgA + 1));

    menu->SelectRightList(RightIndex("ORG_A"));
    menu->ProcessCommand(CBuildingMenu::kCmdJoin);
    EXPECT_EQ(g_OrgManager.playerOrganisation, orgA);
    ASSERT_GE(manager->outputCount, 1);
    EXPECT_STREQ(manager->Output(0).name, "ORG_A_JOINED");

    // A member of another organisation is asked to change first.
    menu->SelectRightList(RightIndex("ORG_B"));
    menu->ProcessCommand(CBuildingMenu::kCmdJoin);
    EXPECT_EQ(g_OrgManager.playerOrganisation, orgA);
    EXPECT_STREQ(manager->Output(0).name, "ORG_A_CHANGE");

    menu->ProcessCommand(CBuildingMenu::kCmdChangeOrganisation);
    EXPECT_EQ(g_OrgManager.playerOrganisation, orgB);
    EXPECT_STREQ(manager->Output(0).name, "ORG_B_JOINED");

    menu->ProcessCommand(CBuildingMenu::kCmdLeaveOrganisation);
    EXPECT_NE(g_OrgManager.playerOrganisation, orgB);
    EXPECT_STREQ(manager->Output(0).name, "ORG_B_LEFT");
}

// Goods a building does not buy: a feedstock building that is not a base pays 0.67 of the base
// price, any other building 0.5, or 0.25 when the player's organisation lacks the trade flag.
TEST_F(BuildingMenuTest, goodsSalePageOffersAShareOfTheBasePriceWhereTheGoodsAreNotBought)
{
    struct Case {
        const char* building;
        const char* type;
        uint8_t poorTrade;
        float price;
    };
    const Case cases[] = {
        { "B_FEEDSTOCK_1", "BLD_NOSAVE", 0, 40.0f * 0.67f },
        { "B_FEEDSTOCK_1", "BLD_NOSAVE", 1, 40.0f * 0.67f },
        { "B_FEEDSTOCK_2", "BLD_BASE", 0, 20.0f },
        { "B_SHOP", "BLD_NOSAVE", 0, 20.0f },
        { "B_SHOP", "BLD_NOSAVE", 1, 10.0f },
    };
    machine->cargo.AddGoods("TOV_ORE", 1, 30.0f, CargoItem::kGoods);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.building) + " " + c.type + " " + std::to_string(c.poorTrade));
        Open(c.building, c.type, CBuildingMenu::kPageTrade);
        menu->poorTrade = c.poorTrade;
        ASSERT_EQ(menu->leftList.Count(), 1);
        menu->SelectLeftList(0);
        EXPECT_FLOAT_EQ(menu->offerPrice, c.price);
        EXPECT_FLOAT_EQ(menu->offerWeight, 50.0f);
        EXPECT_EQ(menu->offerState, 1u);
    }
}

} // namespace

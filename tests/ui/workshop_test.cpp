// The building menu's workshop on the null backend with real tables, trade record, machine,
// glider and script manager: the offers a building lists (conditions, the vehicle's standard,
// locks), exchanging, buying, selling, repairing and reloading items, and the green marks of the
// vehicle's information texts.
#include "ai/CFerrovant.h"
#include "ai/CZJTrade.h"
#include "foundation/CTimer.h"
#include "platform/win/text.h"
#include "tests/support/ini_tables.h"
#include "tests/ui/menu_fixture.h"
#include "ui/CBuildingMenu.h"
#include "ui/CMenuListEntry.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CGliderObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kParams[7] = {};

class WorkshopTest : public uitest::MenuTest {
protected:
    std::string Texts() const override
    {
        return "[INT_NO_ACCESS]\nNAME = Closed\nTEXT = Members only.\n"
               "[INT_UPGRADE_BUY]\nNAME = Buy\nTEXT = Buy for %d <link:Buy=LINKBUYITEM>\n"
               "[INT_PMENU_GLIDER_INFO]\nNAME = Glider\nTEXT = Speed %d%s Load %d%s Weight %d Power %d%s\n"
               "[INT_PMENU_GLIDER_INFO2]\nNAME = Energy\nTEXT = Armour %d Energy %d of %d%s\n"
               "[INT_PMENU_GLIDER_INFO3]\nNAME = Shield\nTEXT = Shield %d of %d Armour %d of %d%s\n";
    }

    void SetUp() override
    {
        MenuTest::SetUp();
        SetMenuHost(&host);
        FrameTime = 0.05f;
        zoq::test::IniTables tables;
        const std::pair<const char*, const char*> given[] = {
            { "Глайдеры",
                "[GL_OWN]\nPRICE=800\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=1000\nSTANDARD=3\nROTATESPEED=90\n"
                "[GL_NEW]\nPRICE=1000\nDAMAGE=300\nWEIGHT=60\nMAXWEIGHT=1200\nSTANDARD=3\n" },
            { "Оружие",
                "[GUN_OWN]\nTYPE=0\nPRICE=55\nStandard=1\nDAMAGE=10\nRATEOFFIRE=120\n"
                "[GUN_LIGHT]\nTYPE=0\nPRICE=100\nStandard=1\nDAMAGE=5\nRATEOFFIRE=60\nTYPEARMS=1\nSPARE=50\n"
                "[GUN_HEAVY]\nTYPE=1\nPRICE=200\nStandard=2\nDAMAGE=20\nRATEOFFIRE=30\n"
                "[GUN_COND]\nTYPE=1\nPRICE=300\nStandard=2\nDAMAGE=30\nRATEOFFIRE=30\n" },
            { "Оборудование",
                "[EQP_REACT]\nTYPE=1\nVALUE1=100\nDAMAGE=50\nPRICE=300\nWEIGHT=20\nSTANDARD=1\n"
                "[EQP_SHIELD]\nTYPE=2\nVALUE1=200\nDAMAGE=100\nPRICE=400\nSTANDARD=1\n"
                "[EQP_ARMOR]\nTYPE=3\nVALUE1=200\nPRICE=800\nSTANDARD=1\n"
                "[EQP_ARMOR2]\nTYPE=3\nVALUE1=300\nPRICE=1000\nSTANDARD=3\n"
                "[EQP_DEV]\nTYPE=7\nPRICE=50\nSTANDARD=1\nWEIGHT=5\n"
                "[EQP_HIGH]\nTYPE=7\nPRICE=60\nSTANDARD=4\n"
                "[EQP_LOCK]\nTYPE=7\nPRICE=70\nSTANDARD=1\n"
                "[EQP_NOSALE]\nTYPE=7\nPRICE=50\nNOTRADE=1\n"
                "[EQP_PLAIN]\nTYPE=5\nPRICE=10\n" },
            { "Снаряды", "[AMM_A]\nPRICE=20\nWEIGHT=2\n" },
            { "Товары", "[TOV_ORE]\nMASSA=50\nPRICE=40\n" },
            { "Здания", "[BLD_BASE]\nTYPE=1\n" },
            { "Организации", "[ORG_PLAYER]\nICON=1\n" },
            { "Конфигурации", "" },
        };
        for (const auto& [name, text] : given)
            tables.push_back({ plat::win::Utf8ToCp1251(name), plat::win::Utf8ToCp1251(text) });
        zoq::test::UseIniTables(tables);
        ZJEngine.ZJInit();
        ZJTrade.Clear();
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);

        machine = std::make_unique<CFerrovant>();
        machine->hull.Set(g_GliderManager.FindRow("GL_OWN"), kParams);
        machine->reactor.Set(g_EquipmentManager.FindRow("EQP_REACT"), kParams);
        machine->shield.Set(g_EquipmentManager.FindRow("EQP_SHIELD"), kParams);
        machine->armour.Set(g_EquipmentManager.FindRow("EQP_ARMOR"), kParams);
        machine->armourLevel = 200.0f;
        machine->config.lightGun.words[0] = uint32_t(g_GunManager.FindRow("GUN_OWN"));
        machine->config.heavyGun.words[0] = uint32_t(-1);
        machine->cargo.bulkAmount = 1000.0f;
        PlayerFerrovant = machine.get();
        glider = std::make_unique<CGliderObject>();
        glider->ferrovant = machine.get();
        machine->glider = glider.get();
        glider->guns[CGliderObject::kLightGun].Assign(machine->config.lightGun);

        std::vector<SBuildingTrade> offers;
        for (const char* key : { "GL_NEW", "GUN_LIGHT", "GUN_HEAVY", "GUN_COND", "EQP_ARMOR2", "EQP_DEV",
                 "EQP_HIGH", "EQP_LOCK", "AMM_A" }) {
            SBuildingTrade offer;
            std::memset(&offer, 0, sizeof offer);
            std::strncpy(offer.key, key, sizeof offer.key - 1);
            offer.maxPrice = offer.minPrice = 1.0f;
            offers.push_back(offer);
        }
        std::strcpy(offers[3].condition, "Q.DONE");
        offers[3].access = SBuildingTrade::kConditional;
        std::strcpy(offers[7].condition, "Q.DONE");
        offers[7].access = SBuildingTrade::kLocked;
        STradeEntry& entry = ZJTrade.Entry(ZJTrade.entryCount++);
        std::strcpy(entry.building, "B_SHOP");
        for (const SBuildingTrade& offer : offers)
            entry.goods.Add(offer);
    }
    void TearDown() override
    {
        menu.reset();
        machine->glider = nullptr;
        glider.reset();
        PlayerFerrovant = nullptr;
        machine.reset();
        ZJTrade.Clear();
        SetMenuHost(nullptr);
        MenuTest::TearDown();
    }

    void Open()
    {
        menu = std::make_unique<CBuildingMenu>("B_SHOP", "BLD_BASE", true, false);
        menu->Init();
        menu->page = CBuildingMenu::kPageWorkshop;
        menu->OnChangeRightPanel();
        menu->OnChangeLeftPanel();
    }
    static int32_t Find(const MenuList& list, const char* key)
    {
        for (int32_t i = 0; i < list.Count(); ++i)
            if (std::strcmp(list.At(i)->key, key) == 0)
                return i;
        return -1;
    }
    void SelectOffer(const char* key)
    {
        const int32_t index = Find(menu->rightList, key);
        ASSERT_GE(index, 0) << key;
        menu->SelectRightList(index);
    }
    void SelectOwn(const char* key)
    {
        const int32_t index = Find(menu->leftList, key);
        ASSERT_GE(index, 0) << key;
        menu->SelectLeftList(index);
    }
    int32_t GunOn(bool light) const
    {
        return int32_t((light ? machine->config.lightGun : machine->config.heavyGun).words[0]);
    }
    float Money() const { return machine->cargo.bulkAmount; }

    std::unique_ptr<CFerrovant> machine;
    std::unique_ptr<CGliderObject> glider;
    std::unique_ptr<CBuildingMenu> menu;
};

TEST_F(WorkshopTest, offersFollowTheirConditionTheVehicleStandardAndTheirLock)
{
    Open();
    EXPECT_GE(Find(menu->rightList, "GUN_LIGHT"), 0);
    EXPECT_EQ(Find(menu->rightList, "GUN_COND"), -1) << "its event is not set";
    EXPECT_EQ(Find(menu->rightList, "EQP_HIGH"), -1) << "STANDARD 4 above the glider's 3";
    EXPECT_GE(Find(menu->rightList, "EQP_ARMOR2"), 0) << "STANDARD 3 equals the glider's";
    ASSERT_GE(Find(menu->rightList, "EQP_LOCK"), 0);
    EXPECT_EQ(menu->rightList.At(Find(menu->rightList, "EQP_LOCK"))->flag, CMainMenu::kLockedEntry);
    EXPECT_EQ(menu->rightList.At(Find(menu->rightList, "EQP_DEV"))->flag, 0u);

    // A locked offer shows only that there is no access, and is not sold.
    SelectOffer("EQP_LOCK");
    EXPECT_EQ(menu->noAccess, 1);
    EXPECT_NE(BlockText(*menu->textPanel->window, "INT_NO_ACCESS").find("Members only."), std::string::npos);
    menu->BuyItem(false);
    EXPECT_EQ(machine->MountedCount(), 0);
    EXPECT_FLOAT_EQ(Money(), 1000.0f);
    SelectOffer("EQP_DEV");
    EXPECT_EQ(menu->noAccess, 0);
    // The item data page shows on every selection, not once.
    SelectOffer("AMM_A");
    SelectOffer("EQP_DEV");
    const std::string page = BlockText(*menu->textPanel->window, "SYSTEM");
    EXPECT_NE(page.find("Buy for 20"), std::string::npos) << page;
    EXPECT_NE(page.find("Buy for 50", page.find("Buy for 20")), std::string::npos) << page;

    // The event opens both.
    manager->SetEvent("Q.DONE");
    menu->OnChangeRightPanel();
    EXPECT_GE(Find(menu->rightList, "GUN_COND"), 0);
    SelectOffer("EQP_LOCK");
    EXPECT_EQ(menu->noAccess, 0);
    menu->BuyItem(false);
    ASSERT_EQ(machine->MountedCount(), 1);
    EXPECT_STREQ(machine->Mounted(0).Name(), "EQP_LOCK");
    EXPECT_FLOAT_EQ(Money(), 930.0f);
}

TEST_F(WorkshopTest, theItemPagesBuyLinkBuysTheOffer)
{
    Open();
    SelectOffer("AMM_A");
    CMHTLWindow& window = *menu->textPanel->window;
    const MHTLLine* link = nullptr;
    for (int i = 0; i < window.LineCount(); ++i)
        if (std::strcmp(window.Line(i).kind.Text(), "LINKBUYITEM") == 0)
            link = &window.Line(i);
    ASSERT_NE(link, nullptr);
    menu->textPanel->linkTarget = link->kind.Text();
    menu->textPanel->linkClicked = 1;
    menu->RunControl();
    ASSERT_EQ(machine->ammoCount, 1);
    EXPECT_EQ(machine->ammo[0].count, 1);
    EXPECT_FLOAT_EQ(Money(), 980.0f);
}

TEST_F(WorkshopTest, changeReplacesTheOwnPartForTheChangePrice)
{
    Open();
    // A light gun of 100 for the own one of 55: 100 - whole(49.5).
    SelectOffer("GUN_LIGHT");
    menu->ChangeItem();
    EXPECT_FLOAT_EQ(Money(), 949.0f);
    EXPECT_EQ(GunOn(true), g_GunManager.FindRow("GUN_LIGHT"));
    EXPECT_EQ(
        glider->guns[CGliderObject::kLightGun].desc, &g_GunManager.GetGun(g_GunManager.FindRow("GUN_LIGHT")));
    EXPECT_EQ(menu->selectedLeft, 0) << "the vehicle list's first entry is selected again";

    // Armour of 1000 for the own of 800: whole(1000 - 0.5 x 800), at its new maximum.
    machine->armourLevel = 50.0f;
    SelectOffer("EQP_ARMOR2");
    menu->ChangeItem();
    EXPECT_FLOAT_EQ(Money(), 349.0f);
    EXPECT_STREQ(machine->armour.Name(), "EQP_ARMOR2");
    EXPECT_FLOAT_EQ(machine->armourLevel, 300.0f);

    // A glider type of 1000 for the own of 800 costs 400: more than the money.
    SelectOffer("GL_NEW");
    menu->ChangeItem();
    EXPECT_FLOAT_EQ(Money(), 349.0f);
    EXPECT_EQ(machine->hull.index, g_GliderManager.FindRow("GL_OWN"));
    machine->cargo.bulkAmount = 400.0f;
    SelectOffer("GL_NEW");
    menu->ChangeItem();
    EXPECT_FLOAT_EQ(Money(), 0.0f);
    EXPECT_EQ(machine->hull.index, g_GliderManager.FindRow("GL_NEW"));
    EXPECT_EQ(machine->config.glider.words[0], uint32_t(g_GliderManager.FindRow("GL_NEW")));

    // A device is bought, not exchanged.
    machine->cargo.bulkAmount = 100.0f;
    SelectOffer("EQP_DEV");
    menu->ChangeItem();
    EXPECT_EQ(machine->MountedCount(), 0);
    EXPECT_FLOAT_EQ(Money(), 100.0f);
}

TEST_F(WorkshopTest, buyingTakesAFreeSlotWithinMoneyAndLoad)
{
    Open();
    SelectOffer("EQP_DEV");
    menu->BuyItem(false);
    ASSERT_EQ(machine->MountedCount(), 1);
    EXPECT_FLOAT_EQ(Money(), 950.0f);
    SelectOffer("EQP_DEV");
    menu->BuyItem(false);
    EXPECT_EQ(machine->MountedCount(), 1) << "one of a kind";
    EXPECT_GE(Find(menu->leftList, "EQP_DEV"), 0) << "the vehicle list shows it";

    // Ammunition: one unit, then ten at ten times the price, into one stock.
    SelectOffer("AMM_A");
    menu->BuyItem(false);
    menu->BuyItem(true);
    ASSERT_EQ(machine->ammoCount, 1);
    EXPECT_EQ(machine->ammo[0].count, 11);
    EXPECT_FLOAT_EQ(Money(), 730.0f);

    // A heavy gun onto the empty heavy mount.
    SelectOffer("GUN_HEAVY");
    menu->BuyItem(false);
    EXPECT_EQ(GunOn(false), g_GunManager.FindRow("GUN_HEAVY"));
    EXPECT_FLOAT_EQ(Money(), 530.0f);

    // Too little money, then too much cargo: nothing changes.
    machine->cargo.bulkAmount = 19.0f;
    SelectOffer("AMM_A");
    menu->BuyItem(false);
    EXPECT_EQ(machine->ammo[0].count, 11);
    machine->cargo.bulkAmount = 1000.0f;
    machine->cargo.AddGoods("TOV_ORE", 30, 1.0f, CargoItem::kGoods);
    menu->BuyItem(false);
    EXPECT_EQ(machine->ammo[0].count, 11);
    EXPECT_FLOAT_EQ(Money(), 1000.0f);
}

TEST_F(WorkshopTest, sellingEmptiesTheSlotOrLowersTheStock)
{
    machine->ammo[0] = AmmoStock { g_MissileManager.FindRow("AMM_A"), {}, 2 };
    machine->ammoCount = 1;
    for (const char* device : { "EQP_DEV", "EQP_NOSALE" }) {
        machine->mounted[machine->mountedCount] = std::make_unique<CEquipment>();
        machine->mounted[machine->mountedCount++]->Set(g_EquipmentManager.FindRow(device), kParams);
    }
    Open();

    // The own gun sells for whole(55 x 0.75 + 1).
    SelectOwn("GUN_OWN");
    menu->SellItem();
    EXPECT_EQ(GunOn(true), -1);
    EXPECT_EQ(glider->guns[CGliderObject::kLightGun].desc, nullptr);
    EXPECT_FLOAT_EQ(Money(), 1042.0f);

    // Ammunition one unit at a time: whole(20 x 0.75 + 1) each; the empty stock goes.
    SelectOwn("AMM_A");
    menu->SellItem();
    EXPECT_EQ(machine->ammo[0].count, 1);
    SelectOwn("AMM_A");
    menu->SellItem();
    EXPECT_EQ(machine->ammoCount, 0);
    EXPECT_FLOAT_EQ(Money(), 1074.0f);

    // A device of the no-sale kind stays; the other goes.
    SelectOwn("EQP_NOSALE");
    menu->SellItem();
    EXPECT_EQ(machine->MountedCount(), 2);
    SelectOwn("EQP_DEV");
    menu->SellItem();
    ASSERT_EQ(machine->MountedCount(), 1);
    EXPECT_STREQ(machine->Mounted(0).Name(), "EQP_NOSALE");

    // The shield sells and leaves its slot empty; the hull does not sell.
    SelectOwn("EQP_SHIELD");
    menu->SellItem();
    EXPECT_EQ(machine->shield.index, -1);
    EXPECT_EQ(Find(menu->leftList, "INT_EMPTY_SHIELD") >= 0, true);
    const float money = Money();
    SelectOwn("GL_OWN");
    menu->SellItem();
    EXPECT_EQ(machine->hull.index, g_GliderManager.FindRow("GL_OWN"));
    EXPECT_FLOAT_EQ(Money(), money);
}

TEST_F(WorkshopTest, repairingClearsTheWearTheGlidersDamageAndFillsTheArmour)
{
    machine->hull.wear = 50.0f;
    machine->hull.hit = 1;
    glider->partDamage[2] = 5.0f;
    glider->burningPoints = 4;
    glider->nozzleDamage = 1;
    Open();
    // 1.00001 / 100 x 0.025 x 800 x 50 = 10.0001: charged whole(11.0001).
    SelectOwn("GL_OWN");
    menu->RepairItem();
    EXPECT_FLOAT_EQ(Money(), 989.0f);
    EXPECT_EQ(machine->hull.wear, 0.0f);
    EXPECT_EQ(machine->hull.hit, 0);
    EXPECT_EQ(glider->partDamage[2], 0.0f);
    EXPECT_EQ(glider->burningPoints, 0u);
    EXPECT_EQ(glider->nozzleDamage, 0u);
    const CMenuListEntry& repaired = *menu->leftList.At(Find(menu->leftList, "GL_OWN"));
    EXPECT_EQ(repaired.normalColour, 0x80FFFFFFu);
    EXPECT_EQ(repaired.selectedColour, 0xFF80B0FFu);
    EXPECT_EQ(menu->selectedLeft, Find(menu->leftList, "GL_OWN"));

    // Armour at 100 of 200: 1.25, charged 2; the level is full again.
    machine->armourLevel = 100.0f;
    SelectOwn("EQP_ARMOR");
    menu->RepairItem();
    EXPECT_FLOAT_EQ(Money(), 987.0f);
    EXPECT_FLOAT_EQ(machine->armourLevel, 200.0f);

    // Nothing to repair costs nothing; too little money repairs nothing.
    SelectOwn("EQP_REACT");
    menu->RepairItem();
    EXPECT_FLOAT_EQ(Money(), 987.0f);
    machine->reactor.wear = 25.0f;
    machine->cargo.bulkAmount = 3.0f;
    SelectOwn("EQP_REACT");
    menu->RepairItem();
    EXPECT_EQ(machine->reactor.wear, 25.0f);

    // Repairing everything clears the glider's damage too.
    glider->burningPoints = 3;
    machine->cargo.bulkAmount = 100.0f;
    menu->repairAllCost = 4.0f;
    menu->RepairAll();
    EXPECT_EQ(glider->burningPoints, 0u);
    EXPECT_EQ(machine->reactor.wear, 0.0f);
}

TEST_F(WorkshopTest, theVehicleListColoursPartsThatNeedAttention)
{
    using Warning = CMainMenu::PartWarning;
    machine->config.lightGun.words[0] = uint32_t(g_GunManager.FindRow("GUN_LIGHT"));
    glider->guns[CGliderObject::kLightGun].Assign(machine->config.lightGun);
    for (const char* key : { "EQP_HIGH", "EQP_PLAIN" }) {
        auto item = std::make_unique<CEquipment>();
        item->Set(g_EquipmentManager.FindRow(key), kParams);
        machine->mounted[machine->mountedCount++] = std::move(item);
    }
    // The glider's standard is 3; the armour's 1, the plain device's 0.
    const struct {
        const char* what;
        uint32_t part;
        float wear, armour, shells;
        Warning workshop, inFlight;
    } cases[] = {
        { "sound hull", CMainMenu::kPartHull, 0, 200, 50, Warning::None, Warning::None },
        { "worn hull", CMainMenu::kPartHull, 1, 200, 50, Warning::Red, Warning::Red },
        { "armour below its maximum", CMainMenu::kPartArmour, 0, 199, 50, Warning::Red, Warning::Red },
        { "full armour of a lower standard", CMainMenu::kPartArmour, 0, 200, 50, Warning::None,
            Warning::Red },
        { "full gun", CMainMenu::kPartLightGun, 0, 200, 50, Warning::None, Warning::None },
        { "gun below its maximum", CMainMenu::kPartLightGun, 0, 200, 12.5f, Warning::Yellow,
            Warning::Yellow },
        { "gun below a quarter", CMainMenu::kPartLightGun, 0, 200, 12.4f, Warning::Red, Warning::Red },
        { "item above the standard", CMainMenu::kPartMounted, 0, 200, 50, Warning::Red, Warning::Red },
        { "device of slot kind 5", CMainMenu::kPartMounted + 1, 0, 200, 50, Warning::None, Warning::None },
        { "empty heavy mount", CMainMenu::kPartHeavyGun, 0, 200, 50, Warning::None, Warning::None },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        machine->hull.wear = c.wear;
        machine->armourLevel = c.armour;
        glider->guns[CGliderObject::kLightGun].ammo = c.shells;
        EXPECT_EQ(CMainMenu::WarningOf(*machine, c.part, CMainMenu::WarningRules::Workshop), c.workshop);
        EXPECT_EQ(CMainMenu::WarningOf(*machine, c.part, CMainMenu::WarningRules::InFlight), c.inFlight);
    }

    // The list shows them: a worn reactor red, a gun short of shells yellow, the rest plain.
    machine->hull.wear = 0.0f;
    machine->reactor.wear = 5.0f;
    glider->guns[CGliderObject::kLightGun].ammo = 30.0f;
    Open();
    const CMenuListEntry& reactor = *menu->leftList.At(Find(menu->leftList, "EQP_REACT"));
    EXPECT_EQ(reactor.normalColour, 0xFFFF4A10u);
    EXPECT_EQ(reactor.selectedColour, 0xFFFF9354u);
    const CMenuListEntry& gun = *menu->leftList.At(Find(menu->leftList, "GUN_LIGHT"));
    EXPECT_EQ(gun.normalColour, 0x80FFFF00u);
    EXPECT_EQ(gun.pressColour, 0xFF8080FFu);
    EXPECT_EQ(gun.selectedColour, 0xFFFFFF80u);
    const CMenuListEntry& hull = *menu->leftList.At(Find(menu->leftList, "GL_OWN"));
    EXPECT_NE(hull.normalColour, 0xFFFF4A10u);
}

TEST_F(WorkshopTest, reloadingFillsTheGunForOneMoreThanTheShownCost)
{
    machine->config.lightGun.words[0] = uint32_t(g_GunManager.FindRow("GUN_LIGHT"));
    glider->guns[CGliderObject::kLightGun].Assign(machine->config.lightGun);
    glider->guns[CGliderObject::kLightGun].ammo = 10.0f;
    Open();
    // Shown: whole(100 x 1.0 x 0.01 + 1) = 2; charged one more.
    SelectOwn("GUN_LIGHT");
    menu->ReloadItem();
    EXPECT_FLOAT_EQ(Money(), 997.0f);
    EXPECT_FLOAT_EQ(glider->guns[CGliderObject::kLightGun].ammo, 50.0f);
    // A full gun is not reloaded.
    menu->ReloadItem();
    EXPECT_FLOAT_EQ(Money(), 997.0f);
}

TEST_F(WorkshopTest, informationTextsMarkTheEquipmentBonusesInGreen)
{
    Open();
    EXPECT_EQ(menu->BonusTexts().speed, "");
    EXPECT_EQ(menu->BonusTexts().armour, "");
    PlayerEquipmentFlags[kEqpHiPowerAntigrav] = 1;
    PlayerEquipmentFlags[kEqpBooster] = 1;
    PlayerEquipmentFlags[kEqpMobilizer] = 1;
    PlayerEquipmentFlags[kEqpControlBooster] = 1;
    PlayerEquipmentFlags[kEqpFuelExpander] = 1;
    PlayerEquipmentFlags[kEqpDisperseShield] = 1;
    const CMainMenu::SBonusText bonus = menu->BonusTexts();
    // A half turn of 180 / 90 s is a third shorter.
    EXPECT_EQ(bonus.speed, "<color:green> (- 0.67)<color>");
    EXPECT_EQ(bonus.capacity, "<color:green> (+288)<color>") << "0.3 of 1000 - 40";
    EXPECT_EQ(bonus.power, "<color:green> (+50)<color><color:green> (+20)<color>");
    EXPECT_EQ(bonus.energy, "<color:green> (-20%)<color>");
    EXPECT_EQ(bonus.armour, "<color:green> (+1)<color><color:green> (+500)<color>");

    SelectOwn("INT_PMENU_GLIDER_INFO");
    const std::string shown = BlockText(*menu->textPanel->window, "SYSTEM");
    EXPECT_NE(shown.find("Load 960 (+288)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("of 200 (+1) (+500)"), std::string::npos) << shown;
}

} // namespace

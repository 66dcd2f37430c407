// The item data page over real table rows and a machine record: price lines and change prices,
// network ammunition, STANDARD gating, damage percent and repair costs, own items against a
// shop's offers, and ammunition with a sub-munition.
#include "ai/CFerrovant.h"
#include "platform/win/text.h"
#include "tests/support/ini_tables.h"
#include "tests/ui/menu_fixture.h"
#include "ui/ItemPage.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CZJEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ItemPageTest : public uitest::MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        zoq::test::IniTables tables;
        const std::pair<const char*, const char*> given[] = {
            { "Взрывы", "[EXP_A]\nDAMAGE=7\nRADIUS=15\n[EXP_B]\nDAMAGE=2\nRADIUS=40\n" },
            { "Снаряды",
                "[AMM_A]\nPRICE=20\nDAMAGE=10\nEXPLO=EXP_A\nWEIGHT=2\n"
                "[AMM_SPLIT]\nPRICE=30\nDAMAGE=4\nNUMSTATE=3\nSUBMISSILE=AMM_A\nEXPLO=EXP_B\n"
                "[AMM_HIGH]\nPRICE=10\nDAMAGE=1\nSTANDARD=5\n" },
            { "Глайдеры",
                "[GL_OWNA]\nPRICE=800\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=2\n"
                "[GL_NEWPC]\nPRICE=1000\nDAMAGE=300\nWEIGHT=60\nMAXWEIGHT=300\nSTANDARD=3\n" },
            { "Оружие",
                "[GUN_OWN]\nTYPE=0\nPRICE=55\nStandard=1\nDAMAGE=10\nRATEOFFIRE=120\nMASSA=10\nPOWER=3\n"
                "[GUN_LIGHT]\nTYPE=0\nPRICE=100\nStandard=1\nDAMAGE=5\nRATEOFFIRE=60\nTYPEARMS=1\nSPARE=50\n"
                "RECONSTRUCTION=0.5\nMASSA=12\n"
                "[GUN_HEAVY]\nTYPE=1\nPRICE=100\nStandard=2\nDAMAGE=20\nRATEOFFIRE=30\n"
                "[GUN_HEAVYOWN]\nTYPE=1\nPRICE=55\nStandard=2\nDAMAGE=20\nRATEOFFIRE=30\n"
                "[GUN_BIG]\nTYPE=0\nPRICE=100\nStandard=3\nDAMAGE=9\nRATEOFFIRE=60\n" },
            { "Оборудование",
                "[EQP_REACT]\nTYPE=1\nVALUE1=100\nDAMAGE=50\nPRICE=300\nWEIGHT=20\n"
                "[EQP_SHIELD]\nTYPE=2\nVALUE1=200\nVALUE2=30\nVALUE3=5\nDAMAGE=100\nPRICE=400\nPOWER=4\n"
                "[EQP_ARMOR]\nTYPE=3\nVALUE1=200\nPRICE=800\n"
                "[EQP_DEV]\nTYPE=7\nDAMAGE=20\nPRICE=50\nNOTRADE=1\n" },
            { "Конфигурации", "" },
            { "Товары", "[TOV_ORE]\nMASSA=50\nPRICE=40\n" },
            { "Здания", "[BLD_BASE]\nTYPE=1\n" },
            { "Организации", "[ORG_PLAYER]\nICON=1\n" },
        };
        for (const auto& [name, text] : given)
            tables.push_back({ plat::win::Utf8ToCp1251(name), plat::win::Utf8ToCp1251(text) });
        zoq::test::UseIniTables(tables);
        ZJEngine.ZJInit();
        Equip("GL_OWNA", "GUN_OWN", nullptr);
    }

    // The machine: glider type, guns on the two mounts (null: none), reactor, shield and armour.
    void Equip(const char* glider, const char* light, const char* heavy)
    {
        const uint32_t params[7] = {};
        machine.hull.Set(g_GliderManager.FindRow(glider), params);
        machine.reactor.Set(g_EquipmentManager.FindRow("EQP_REACT"), params);
        machine.shield.Set(g_EquipmentManager.FindRow("EQP_SHIELD"), params);
        machine.armour.Set(g_EquipmentManager.FindRow("EQP_ARMOR"), params);
        machine.armourLevel = 200.0f;
        machine.config.lightGun.words[0] = uint32_t(light ? g_GunManager.FindRow(light) : -1);
        machine.config.heavyGun.words[0] = uint32_t(heavy ? g_GunManager.FindRow(heavy) : -1);
    }

    // The page as lines "KEY value ... [/ KEY value ...]", the offer last.
    std::vector<std::string> Page(const char* key, bool own, bool inShop, bool network = false)
    {
        SItemPricing pricing;
        pricing.network = network;
        const SItemPage page = BuildItemPage(key, own, inShop, pricing, machine);
        std::vector<std::string> lines;
        for (const SItemLine& line : page.lines) {
            std::string text;
            for (int32_t p = 0; p < line.partCount; ++p) {
                text += p ? " / " : "";
                text += line.parts[p].key;
                for (int32_t v = 0; v < line.parts[p].count; ++v)
                    text += " " + std::to_string(line.parts[p].values[v]);
            }
            lines.push_back(text);
        }
        if (page.found)
            lines.push_back("offer " + std::to_string(int64_t(page.offerPrice)) + " "
                + std::to_string(page.offerCost) + " " + std::to_string(int64_t(page.offerWeight)));
        return lines;
    }

    CFerrovant machine;
};

using Lines = std::vector<std::string>;

TEST_F(ItemPageTest, pricesAndLinesOfOffersAndOwnItems)
{
    struct Case {
        const char* key;
        bool own;
        bool inShop;
        Lines lines;
    };
    const Case cases[] = {
        // A shop glider type of 1000 for a glider type of 800: 1000 - whole(600); class from "PC".
        { "GL_NEWPC", false, true,
            { "INT_UPGRADE_CHANGE 1000 400", "INT_SHIELD_IS 300", "INT_STANDARD_IS 3", "INT_NETTO_IS 60 240",
                "INT_GL_TYPE_C", "offer 400 1 0" } },
        // The own glider type, reactor and engine show only their price; its class from "A".
        { "GL_OWNA", true, true,
            { "INT_UPGRADE_PRICE 800", "INT_SHIELD_IS 100", "INT_STANDARD_IS 2", "INT_NETTO_IS 40 160",
                "INT_GL_TYPE_A", "offer 601 1 0" } },
        { "EQP_REACT", true, true,
            { "INT_UPGRADE_PRICE 300", "INT_SHIELD_IS 50", "INT_WEIGHT_IS 20", "INT_POWER_ADD_IS 100",
                "offer 226 1 20" } },
        // The own shield sells; a shop's shield is a change for the fitted one (0.9 of 400 off).
        { "EQP_SHIELD", true, true,
            { "INT_UPGRADE_SELL 400 301", "INT_SHIELDR_IS 200 5", "INT_DAMAGE_GET_IS 30", "INT_POWER_IS 4",
                "offer 301 1 0" } },
        { "EQP_SHIELD", false, false,
            { "INT_UPGRADE_PRICE 400", "INT_SHIELDR_IS 200 5", "INT_DAMAGE_GET_IS 30", "INT_POWER_IS 4",
                "offer 40 1 0" } },
        // A light gun of 100 against an own one of 55: 100 - whole(49.5).
        { "GUN_LIGHT", false, true,
            { "INT_UPGRADE_CHANGE 100 51", "INT_GUN_DAMAGE 5", "INT_FIRERATE_IS 60", "INT_GUNTYPE_2",
                "INT_GUN_SHELL2 50 30", "INT_STANDARD_IS 1 / INT_GUN_LIGHT", "INT_WEIGHT_IS 12",
                "offer 51 1 12" } },
        // The very gun on the mount is not traded; the own one sells.
        { "GUN_OWN", false, true,
            { "INT_UPGRADE_PRICE 55", "INT_GUN_DAMAGE 10", "INT_FIRERATE_IS 120", "INT_GUNTYPE_1",
                "INT_STANDARD_IS 1 / INT_GUN_LIGHT", "INT_WEIGHT_IS 10", "INT_POWER_IS 3", "offer 6 1 10" } },
        { "GUN_OWN", true, true,
            { "INT_UPGRADE_SELL 55 42", "INT_GUN_DAMAGE 10", "INT_FIRERATE_IS 120", "INT_GUNTYPE_1",
                "INT_STANDARD_IS 1 / INT_GUN_LIGHT", "INT_WEIGHT_IS 10", "INT_POWER_IS 3",
                "offer 42 1 10" } },
        // A STANDARD above the glider type's: no price.
        { "GUN_BIG", false, true,
            { "INT_UPGRADE_FAIL", "INT_GUN_DAMAGE 9", "INT_FIRERATE_IS 60", "INT_GUNTYPE_1",
                "INT_STANDARD_IS 3 / INT_GUN_LIGHT", "INT_WEIGHT_IS 20", "offer 0 1 20" } },
        { "AMM_HIGH", false, true, { "INT_UPGRADE_FAIL", "INT_GUN_DAMAGE 1", "offer 0 1 0" } },
        // A device with the no-sale flag sells for nothing.
        { "EQP_DEV", true, true, { "INT_UPGRADE_SELL 50 0", "INT_SHIELD_IS 20", "offer 0 1 0" } },
        // A sub-munition: 3 x 4 damage, 2 + 3 x 7 explosion damage, the sub-munition's radius.
        { "AMM_SPLIT", false, true,
            { "INT_UPGRADE_BUY 30", "INT_EXP_RADIUS 15", "INT_GUN_DAMAGE2 12 23", "offer 30 1 0" } },
        { "AMM_A", true, true,
            { "INT_UPGRADE_SELL 20 16", "INT_EXP_RADIUS 15", "INT_GUN_DAMAGE2 10 7", "INT_WEIGHT_IS 2",
                "offer 16 1 2" } },
        { "NOT_AN_ITEM", false, true, {} },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Page(c.key, c.own, c.inShop), c.lines) << c.key << (c.own ? " own" : "");
}

TEST_F(ItemPageTest, heavyGunChangeCutsTheWholeDifferenceAndNeedsAStrongGlider)
{
    Equip("GL_NEWPC", nullptr, "GUN_HEAVYOWN");
    // whole(100 - 0.9 x 55) = 50.
    EXPECT_EQ(Page("GUN_HEAVY", false, true).front(), "INT_UPGRADE_CHANGE 100 50");
    // A glider type of STANDARD 2 takes no heavy gun: the price only, no change.
    Equip("GL_OWNA", nullptr, "GUN_HEAVYOWN");
    EXPECT_EQ(Page("GUN_HEAVY", false, true).front(), "INT_UPGRADE_PRICE 100");
    EXPECT_EQ(Page("GUN_HEAVY", false, true).back(), "offer 100 1 20");
}

TEST_F(ItemPageTest, networkAmmunitionCostsTheRootOfFiveTimesItsPriceMore)
{
    // whole(sqrt(100) x 20) = 200; sell whole(sqrt(5 x 16) x 16) = 143.
    EXPECT_EQ(Page("AMM_A", false, true, true).front(), "INT_UPGRADE_BUY 200");
    EXPECT_EQ(Page("AMM_A", true, true, true).front(), "INT_UPGRADE_SELL 200 143");
}

TEST_F(ItemPageTest, wornItemsShowTheirDamagePercentAndRepairCostInAShop)
{
    machine.reactor.wear = 25.0f; // half of its maximum wear of 50
    // 1.00001 / 50 x 0.025 x 300 x 25 = 3.75: shown and charged as 4.
    EXPECT_EQ(Page("EQP_REACT", true, true)[1], "INT_SHIELD_IS 50 / INT_NEED_REPAIR 50 4");
    EXPECT_EQ(Page("EQP_REACT", true, true).back(), "offer 226 4 20");
    EXPECT_EQ(Page("EQP_REACT", true, false)[1], "INT_SHIELD_IS 50 / INT_DAMAGE_IS 50");
    // A shield's percent is of its shield maximum.
    machine.shield.wear = 50.0f;
    EXPECT_EQ(Page("EQP_SHIELD", true, false)[1], "INT_SHIELDR_IS 200 5 / INT_DAMAGE_IS 25");

    // Armour at 100 of 200: 100 points missing, 1.00001 / 200 x 0.025 x 800 x 100 x 0.125 = 1.25.
    machine.armourLevel = 100.0f;
    EXPECT_EQ(Page("EQP_ARMOR", true, true)[1], "INT_SHIELD_IS 200 / INT_NEED_REPAIR 50 2");
    EXPECT_EQ(Page("EQP_ARMOR", true, false)[1], "INT_SHIELD_IS 200 / INT_DAMAGE_IS 50");
}

} // namespace

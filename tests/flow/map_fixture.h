// A fixture for a game's preparation: the machine tables with start points of kind 9 in the
// helper table, writer-made locations (flat maps with weather records, start points, machine
// groups, a trade table and a music set), the script manager with its texts, the radar and its
// map reader. The application object is made on the stack; no device is needed.
#pragma once

#include "tests/ai/group_fixture.h"

#include "app/CZJApp.h"
#include "script/CZJScriptManager.h"
#include "tests/support/text_table.h"
#include "tools/radar/radar_writer.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "world/objects/CGliderObject.h"
#include "world/terrain/CEnvironment.h"

#include <memory>
#include <string>
#include <vector>

// A start point: its name (the helper's property text), position and forward direction.
struct SStartPoint {
    std::string name;
    Vec3 position;
    Vec3 forward { 0.0f, 1.0f, 0.0f };
};

// What a written location holds.
struct SLocationLayout {
    int32_t width = 65; // grid points
    int32_t height = 65;
    int weathers = 0;
    std::vector<SStartPoint> starts;
    int groups = 0; // machine groups besides the player's
    zoq::tools::world::MusicSection music;
};

class MapPreparationTest : public GroupTest {
protected:
    static constexpr const char* kLocation = "Data\\location1.zjp";

    void SetUp() override
    {
        GroupTest::SetUp();
        UseMachineTables(Configs());
        std::string error;
        ASSERT_TRUE(zoq::test::WriteTextTable(m_dir, "[DEF_PLAYERNAME]\nTEXT = x\nNAME = Pilot Ivo\n", error))
            << error;
        scripts = std::make_unique<CZJScriptManager>();
        scripts->Init();
        g_pScriptManager = scripts.get();
        g_pRadarMap = &radarMap;
        g_pRadar = &radar;
        g_OrgManager.playerOrganisation = g_OrgManager.FindOrganisation("ORG_PLAYER");
        ClearPlayerGlobals();
        Environment.weathers.clear();
        Environment.active = -1;
    }
    void TearDown() override
    {
        ClearPlayerGlobals();
        g_pRadar = nullptr;
        g_pRadarMap = nullptr;
        g_pScriptManager = nullptr;
        scripts.reset();
        Environment.weathers.clear();
        GroupTest::TearDown();
    }

    static void ClearPlayerGlobals()
    {
        PlayerGlider = nullptr;
        PlayerObject = nullptr;
        CameraObject = nullptr;
        TrajectoryMarker = nullptr;
        PlayerPosition = {};
        AnomalyLevel = -1;
    }

    static std::string Configs() { return FullRow("CFG_STARTUP") + FullRow("CFG_GUARD"); }

    // The machine tables with the given configurations; TOV_A (price 40) is the goods table's
    // second row, TOV_Z its first; HLP_START makes start points.
    void UseMachineTables(const std::string& configs)
    {
        UseTables(AllTables({
            { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=3\n" },
            { "Оборудование", EquipmentTable() },
            { "Оружие", "[GUN_L]\n[GUN_H]\n" },
            { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n" },
            { "Товары", "[TOV_Z]\nMASSA=2\nPRICE=10\n[TOV_A]\nMASSA=2\nPRICE=40\n" },
            { "Конфигурации", configs },
            { "Организации",
                "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_GUARDS]\n[ORG_TRANSES]\n[ORG_NPC]\n[BANDITS]\n" },
            { "Хелперы", "[HLP_START]\nTYPE=9\n[HLP_OTHER]\nTYPE=3\n" },
        }));
        ZJEngine.ZJInit();
    }

    // Writes Data/location1.zjp and .zjo and the radar map .mmm; a building
    // trades the given good.
    void WriteLocation(const SLocationLayout& layout, const std::string& good = "TOV_A")
    {
        namespace zw = zoq::tools::world;
        auto map = zoq::tools::map::LocationMap::Flat(layout.width, layout.height);
        for (int i = 0; i < layout.weathers; ++i) {
            zoq::tools::map::WeatherRecord record;
            record.fogEnd = 1000.0f + float(i);
            map.weather.push_back(record);
        }
        WriteBytes("Data/location1.zjp", zoq::tools::map::WriteMap(map));
        WriteBytes(
            "Data/location1.mmm", zoq::tools::radar::WriteRadarMap(zoq::tools::radar::PaintLocation(map)));

        zw::ObjectsFile file;
        zw::ObjectBlock helpers;
        helpers.code = 7;
        for (const SStartPoint& start : layout.starts) {
            zw::PlacedObject point = zw::PlacedObject::At(
                "HLP_START", start.position.x, start.position.y, start.position.z, start.name);
            // Forward is column 2 of the frame; side = up x forward.
            const Vec3 f = start.forward;
            point.placement = { -f.y, 0, f.x, 0, f.x, 0, f.y, 0, 0, 1, 0, 0, start.position.x,
                start.position.y, start.position.z, 1 };
            helpers.records.push_back(point);
        }
        helpers.records.push_back(zw::PlacedObject::At("HLP_OTHER", 50, 50, 0, "NOT_A_START"));
        file.blocks.push_back(helpers);
        for (int i = 0; i < layout.groups; ++i) {
            zw::GroupEntry group;
            group.name = "GRP_" + std::to_string(i);
            group.organisation = "BANDITS";
            group.kind = 4;
            group.members = { "CFG_GUARD" };
            file.groups.groups.push_back(group);
        }
        zw::TradeGood traded;
        traded.key = good;
        traded.maxPrice = 20;
        traded.buyPrice = 10;
        traded.stock = 50;
        traded.minPrice = 5;
        traded.normalStock = 40;
        file.trade.entries.push_back(zw::TradeEntry { "B_L1_CEH", { traded } });
        file.music = layout.music;
        WriteObjects("Data/location1.zjo", file);
    }

    // A location and a game prepared on it: InitMap, ApplyStartConfig, InitMainFerro.
    void Prepare(const SLocationLayout& layout, bool tunnelStart = false, const std::string& good = "TOV_A")
    {
        WriteLocation(layout, good);
        app.InitMap(kLocation, 0);
        app.ApplyStartConfig(false);
        app.InitMainFerro(true, tunnelStart);
    }

    // The alive objects of a type in the object list.
    static std::vector<CZJObject*> ObjectsOfType(int type)
    {
        XDynamicArray<CZJObject*> list;
        ObjectList.GetObjectList(type, list);
        return std::vector<CZJObject*>(list.Data(), list.Data() + list.Count());
    }

    CZJApp app;
    CRadar radar;
    CRadarMap radarMap;
    std::unique_ptr<CZJScriptManager> scripts;
};

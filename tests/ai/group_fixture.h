// A fixture for machine groups: the machine tables with two configurations, a flat location, road
// nodes the tests place, and a sink that records group messages.
#pragma once

#include "tests/ai/machine_fixture.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CPlayerFerroGroup.h"
#include "foundation/ErrorLog.h"
#include "tests/support/temp_dir.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class MessageSink : public CZJAppEvent {
public:
    void OnAddRating(float, int) override { }
    void OnGroupMessage(const char* keyword, CFerroGroup* group) override
    {
        messages.push_back(std::string(keyword) + " " + group->name);
    }
    std::vector<std::string> messages;
};

class GroupTest : public MachineTest {
protected:
    static void SetUpTestSuite()
    {
        // The terrain's buffer pools, for the heights of the spawn points; their size line goes to
        // a folder of its own.
        zoq::test::TempDir logs("groups-init");
        SetErrorLogDirectory(logs.Path().string() + "/");
        VisibleRadius = 256;
        Location.Init();
        SetErrorLogDirectory({});
    }
    void SetUp() override
    {
        MachineTest::SetUp();
        UseTables(AllTables({
            { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=3\n" },
            { "Оборудование", EquipmentTable() },
            { "Оружие", "[GUN_L]\n[GUN_H]\n" },
            { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n" },
            { "Товары", "[TOV_A]\nMASSA=2\n[TOV_B]\nMASSA=2\n[TOV_C]\nMASSA=4\n" },
            { "Конфигурации", FullRow("CFG_STARTUP") + FullRow("CFG_GUARD") },
            { "Организации",
                "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_GUARDS]\n[ORG_TRANSES]\n[ORG_NPC]\n[BANDITS]\n" },
        }));
        ZJEngine.ZJInit();
        WriteFlatMap("Data/loc.zjp");
        WriteObjects("Data/loc.zjo", zoq::tools::world::ObjectsFile {});
        ZJEngine.Load("Data\\loc.zjp");
        g_RoadManager.Nodes().Done();
        VisibleRadius = 256;
        PlayerPosition = {};
        AppEvents = &sink;
        PlayerFerroGroup.attachedGroup = nullptr;
        PlayerFerroGroup.position = {};
        PlayerFerroGroup.timeInState = 0.0f;
    }
    void TearDown() override
    {
        AppEvents = nullptr;
        g_RoadManager.Nodes().Done();
        MachineTest::TearDown();
    }

    // A road node at (x, y, 0) named name, linked to the given nodes both ways.
    int Node(float x, float y, const char* name = "", std::vector<int> links = {})
    {
        SRoadNode node {};
        node.position[0] = x;
        node.position[1] = y;
        std::snprintf(node.name, sizeof node.name, "%s", name);
        const int index = g_RoadManager.NodeCount();
        for (int other : links) {
            node.links[node.linkCount++] = other;
            SRoadNode& o = g_RoadManager.GetNode(other)[0];
            o.links[o.linkCount++] = index;
        }
        g_RoadManager.Nodes().Add(node);
        return index;
    }

    // A group of kind, members of CFG_GUARD, initialised and added to the list.
    template <class T = CFerroGroup>
    T& Group(const char* name, int members, uint32_t kind = 9, const char* org = "BANDITS",
        void (*setup)(T&) = nullptr)
    {
        auto group = std::make_unique<T>();
        std::snprintf(group->name, sizeof group->name, "%s", name);
        group->kind = kind;
        group->organisation = g_OrgManager.FindOrganisation(org);
        group->configuredCount = members;
        for (int i = 0; i < members; ++i)
            std::snprintf(group->memberConfigs[i], 32, "CFG_GUARD");
        if (setup)
            setup(*group);
        group->Init();
        T& added = *group;
        FerroGroupList.AddGroup(group.release());
        return added;
    }

    MessageSink sink;
};

// A fixture with the tables a machine reads: gliders, equipment (parts and the sixteen devices a
// configuration may name), weapons, ammunition, goods and the configurations a test gives.
#pragma once

#include "tests/world/db/world_fixture.h"

#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "foundation/CTimer.h"
#include "foundation/Rand.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/PlayerGlobals.h"

#include <cstring>
#include <string>

class MachineTest : public WorldDbTest {
protected:
    static std::string EquipmentTable()
    {
        std::string text
            = "[EQP_REACTOR]\nTYPE=1\nVALUE1=10\nDAMAGE=50\nWEIGHT=5\n"
              "[EQP_ENGINE]\nTYPE=4\nPOWER=2\nVALUE1=100\nDAMAGE=50\nWEIGHT=6\n"
              "[EQP_SHIELD]\nTYPE=2\nPOWER=1\nVALUE1=100\nVALUE2=30\nVALUE3=5\nDAMAGE=50\nWEIGHT=7\n"
              "[EQP_ARMOR]\nTYPE=3\nPOWER=0.5\nVALUE1=200\nVALUE3=2\nDAMAGE=50\nWEIGHT=8\n"
              "[EQP_ARMOR_ZERO]\nTYPE=3\nVALUE1=200\nDAMAGE=50\n"
              "[EQP_EMPTY_SHIELD]\nTYPE=2\n";
        for (const char* field : CFerrovantConfigList::kEquipmentFields)
            text += std::string("[") + field + "]\nTYPE=6\nPOWER=1\nDAMAGE=30\nWEIGHT=1\n";
        text += "[EQP_ANALYZER_X]\nTYPE=6\n[EQP_ANALYZER]\nTYPE=6\n";
        return text;
    }

    // The tables with the given configuration table (ini text) and glider table.
    void LoadTables(const std::string& configs,
        const std::string& gliders
        = "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=3\n[GL_B]\nDAMAGE=80\n")
    {
        UseTables(AllTables({
            { "Глайдеры", gliders },
            { "Оборудование", EquipmentTable() },
            { "Оружие", "[GUN_L]\n[GUN_H]\n" },
            { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n[MIS_ROCKET]\nWEIGHT=3\n" },
            { "Товары", "[TOV_A]\nMASSA=2\n[TOV_NOMERGE]\nMASSA=1\nNOTRADE=1\n[TOV_FERROVANT]\nMASSA=10\n" },
            { "Конфигурации", configs },
        }));
        ZJEngine.ZJInit();
    }

    // A complete configuration row: glider GL_A, both guns, the four parts, one bomb stock.
    static std::string FullRow(const std::string& key, const std::string& extra = "")
    {
        return "[" + key + "]\nNAME=" + key
            + "\nRATING=3\nGLIDER=GL_A\nLIGHTGUN1=GUN_L\nHEAVYGUN1=GUN_H\nREACTOR=EQP_REACTOR\n"
              "ENGINE=EQP_ENGINE\nSHIELD=EQP_SHIELD\nARMOR=EQP_ARMOR\nBOMB1=MIS_BOMB\nNUMBOMB1=4\n"
            + extra;
    }

    void SetUp() override
    {
        WorldDbTest::SetUp();
        SeedRand(1);
        PlayerFerrovant = nullptr;
        PlayerControl = {};
        ShieldHits = ArmourHits = HullHits = 0.0f;
        Difficulty = 1;
        FrameTime = 0.1f;
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
    }
    void TearDown() override
    {
        PlayerFerrovant = nullptr;
        WorldDbTest::TearDown();
    }
};

// Shared by the machine record's fuzz targets: the tables a machine reads, loaded once, and a
// machine built from the first configuration.
#pragma once

#include "tests/world/db/fuzz_setup.h"

#include "ai/CFerrovant.h"
#include "ai/CFerrovantConfigList.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"

inline void UseMachineTables()
{
    static const bool ready = [] {
        UseFuzzFolder({
            { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\n" },
            { "Оборудование",
                "[EQP_REACTOR]\nTYPE=1\nVALUE1=10\nDAMAGE=50\n[EQP_SHIELD]\nTYPE=2\nVALUE1=100\nDAMAGE=50\n"
                "[EQP_BOOSTER]\nTYPE=6\nDAMAGE=30\n" },
            { "Оружие", "[GUN_L]\n" },
            { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n" },
            { "Товары", "[TOV_A]\nMASSA=2\n" },
            { "Конфигурации",
                "[CFG_A]\nNAME=CFG_A\nGLIDER=GL_A\nREACTOR=EQP_REACTOR\nENGINE=EQP_REACTOR\nSHIELD=EQP_"
                "SHIELD\n"
                "LIGHTGUN1=GUN_L\nBOMB1=MIS_BOMB\nNUMBOMB1=3\nEQP_BOOSTER=1\n" },
        });
        g_GliderManager.Init(CP1251("Глайдеры"));
        g_EquipmentManager.Init(CP1251("Оборудование"));
        g_GunManager.Init(CP1251("Оружие"));
        g_MissileManager.Init(CP1251("Снаряды"));
        g_GoodsManager.Init(CP1251("Товары"));
        FerrovantConfigList.Init(CP1251("Конфигурации"));
        return true;
    }();
    (void)ready;
}

// A machine can be saved, read back and saved again to the same bytes.
inline void CheckSaveRoundTrip(CFerrovant& machine, bool full)
{
    XMemBuffer first;
    machine.SaveGame(first, full);
    const int size = first.Position();
    first.Rewind();
    CFerrovant copy;
    if (!full)
        copy.ApplyConfig(0, false, 0);
    copy.LoadGame(first, full);
    XMemBuffer second;
    copy.SaveGame(second, full);
    if (first.Position() != size || second.Position() != size)
        __builtin_trap();
}

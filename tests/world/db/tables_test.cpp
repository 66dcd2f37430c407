// The type-table load order, the engine settings, the well-known ids and the table defaults.
#include "tests/world/db/world_fixture.h"

#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "render/CModelManager.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/CExploManager.h"
#include "world/db/CGliderHull.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CLanternManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/CSoundZoneManager.h"
#include "world/db/CStoneManager.h"
#include "world/db/CTowerManager.h"

#include <cmath>
#include <numbers>

namespace {

class TablesTest : public WorldDbTest {
protected:
    void TearDown() override
    {
        g_pSoundManager = nullptr;
        g_pMusicMng = nullptr;
        g_pModelManager = nullptr;
        WorldDbTest::TearDown();
    }
};

TEST_F(TablesTest, NamesResolveAcrossTablesInLoadOrder)
{
    UseTables(AllTables({
        { "Взрывы", "[EXP_SMALL]\nDAMAGE=5\n[EXP_BIG]\nRADIUS=30\n" },
        { "Снаряды", "[MIS_ROCKET]\nEXPLO=EXP_BIG\nSUBMISSILE=MIS_ROCKET\n[MIS_LOST]\nEXPLO=EXP_NONE\n" },
        { "Оружие",
            "[GUN_ROCKET_LAUNCHER]\nMISSILE=MIS_ROCKET\nEXPLO=EXP_SMALL\n"
            "[GUN_BOMB_LAUNCHER]\nMISSILE=MIS_MISSING\n" },
        { "Оборудование", "[EQP_X]\n[EQP_BOOSTER]\nTYPE=2\n" },
        { "Музыка", "[MUS_CALM]\nFilename=a.ogg\n[MUS_OBSERVER]\nFilename=b.ogg\n" },
        { "Звуки", "[SND_PICK_UP_THING]\nFilename=p.wav\n" },
        { "Модели", "[MOD_GUN_CORBEL]\nFilename=m.mdl\nRadius=1\n" },
    }));
    CMusicMng music;
    music.Init(CP1251("Музыка"));
    g_pMusicMng = &music;
    CSoundManager sounds;
    sounds.Init(CP1251("Звуки"));
    g_pSoundManager = &sounds;
    CModelManager models;
    models.Init(CP1251("Модели"));
    g_pModelManager = &models;

    EXPECT_EQ(ZJEngine.ZJInit(), 1);
    const SMissileType& rocket = g_MissileManager.GetDesc(0);
    EXPECT_EQ(rocket.explosion.Index(), 1);
    EXPECT_EQ(rocket.subMissile.Index(), 0);
    EXPECT_EQ(g_MissileManager.GetDesc(1).explosion.Index(), -1);
    EXPECT_EQ(rocket.model.Index(), -1); // no Model key
    EXPECT_EQ(g_GunManager.GetGun(0).projectile.Index(), 0);
    EXPECT_EQ(g_GunManager.GetGun(0).explosion.Index(), 0);
    EXPECT_EQ(g_GunManager.GetGun(1).projectile.Index(), -1);
    EXPECT_EQ(g_GunManager.GetGun(1).explosion.Index(), -1);

    EXPECT_EQ(ZJEngine.ids1[CZJEngine::kGunBombLauncher], 1);
    EXPECT_EQ(ZJEngine.ids1[CZJEngine::kGunRocketLauncher], 0);
    EXPECT_EQ(ZJEngine.ids1[CZJEngine::kSndPickUpThing], 0);
    EXPECT_EQ(ZJEngine.ids1[CZJEngine::kSndBldDoorOpen], -1);
    EXPECT_EQ(ZJEngine.ids1[CZJEngine::kTexSunFront], -1); // no texture manager
    EXPECT_EQ(ZJEngine.ids2[CZJEngine::kEqpBooster], 1);
    EXPECT_EQ(ZJEngine.ids2[CZJEngine::kEqpAnalyzer], -1);
    EXPECT_EQ(ZJEngine.ids2[CZJEngine::kModGunCorbel], 0);
    EXPECT_EQ(ZJEngine.ids2[CZJEngine::kMusObserver], 1);

    // The steps' tables in their order, with the row counts they gave.
    const CZJEngine::SInitStep* steps = CZJEngine::InitSteps();
    EXPECT_STREQ(steps[5].table, CP1251("Взрывы"));
    EXPECT_EQ(steps[5].manager->GetRowCount(), 2);
    EXPECT_STREQ(steps[12].table, CP1251("Световые объекты"));
    EXPECT_EQ(steps[12].manager->GetRowCount(), 1);
    EXPECT_EQ(steps[20].manager->GetRowCount(), 1);
    EXPECT_EQ(steps[0].manager->GetRowCount(), 0);
}

TEST_F(TablesTest, WithoutMusicObserverZJInitGivesMinusOne)
{
    UseTables(AllTables({ { "Музыка", "[MUS_CALM]\nFilename=a.ogg\n" } }));
    CMusicMng music;
    music.Init(CP1251("Музыка"));
    g_pMusicMng = &music;
    EXPECT_EQ(ZJEngine.ZJInit(), -1);
}

TEST_F(TablesTest, ConfigDefaultsWithoutCfgIni)
{
    UseTables(AllTables({}));
    ZJEngine.ZJInit();
    EXPECT_EQ(g_FixCursor, 1);
    EXPECT_FLOAT_EQ(ZJEngine.soploMinVolume, 0.0f);
    EXPECT_FLOAT_EQ(ZJEngine.soploMidSpan, 0.5f);
    EXPECT_FLOAT_EQ(ZJEngine.soploMaxSpan, 0.5f);
    EXPECT_FLOAT_EQ(ZJEngine.modPeriod, 0.2f);
    EXPECT_FLOAT_EQ(ZJEngine.modForce, 0.125f);
    EXPECT_FLOAT_EQ(ZJEngine.playerFade, 0.5f);
    EXPECT_FLOAT_EQ(ZJEngine.engineMinVolume, 0.0f);
    EXPECT_FLOAT_EQ(ZJEngine.engineMaxVolume, 1.0f);
    EXPECT_FLOAT_EQ(ZJEngine.engineMaxSpeed, 300.0f);
    EXPECT_FLOAT_EQ(ZJEngine.engineMinFreq, 10000.0f);
    EXPECT_FLOAT_EQ(ZJEngine.engineMaxFreq, 40000.0f);
    EXPECT_EQ(ZJEngine.soploSounds[0], -1);
    EXPECT_EQ(ZJEngine.engineSound, -1);
}

TEST_F(TablesTest, ConfigReadsSignedValuesAndOnlyOneFixesTheCursor)
{
    UseTables(AllTables({ { "Звуки", "[SND_A]\nFilename=a.wav\n[SND_B]\nFilename=b.wav\n" } }));
    CSoundManager sounds;
    sounds.Init(CP1251("Звуки"));
    g_pSoundManager = &sounds;
    WriteText("Data/CONFIG/cfg.ini",
        "[ZJCONFIG]\r\nFIXCURSOR=2\r\n[SOUND_GL_SOPLO]\r\nSOUND2=SND_B\r\nMIN_VOLUME=-5\r\nMID_VOLUME=40\r\n"
        "MAX_VOLUME=90\r\nMOD_FORCE=50\r\n[SOUND_GL_ENGINE]\r\nSOUND=SND_A\r\nMAX_SPEED=150\r\n");
    ZJEngine.LoadConfig();
    EXPECT_EQ(g_FixCursor, 0);
    EXPECT_FLOAT_EQ(ZJEngine.soploMinVolume, -0.05f);
    EXPECT_FLOAT_EQ(ZJEngine.soploMidSpan, 0.45f);
    EXPECT_FLOAT_EQ(ZJEngine.soploMaxSpan, 0.5f);
    EXPECT_FLOAT_EQ(ZJEngine.modForce, 0.25f);
    EXPECT_EQ(ZJEngine.soploSounds[0], -1);
    EXPECT_EQ(ZJEngine.soploSounds[1], 1);
    EXPECT_EQ(ZJEngine.engineSound, 0);
    EXPECT_FLOAT_EQ(ZJEngine.engineMaxSpeed, 150.0f);
}

TEST_F(TablesTest, TypeRowsApplyTheirDefaults)
{
    UseTables(AllTables({
        { "SoundZone", "[SZ_QUIET]\nLOOP=1\nRANDOM=2\n[SZ_SET]\nPERIOD=3\nLENGTH=4\n" },
        { "Фонари", "[LAMP_ORANGE]\nCOLOR=0xFF8000\n[LAMP_GREY]\nRADIUS=7\n" },
        { "Глайдеры",
            "[GL_CALM]\nTURBULENCE=0\nSTANDARD=3\nSPECIAL=2\nCAREEN=2\nDELTAT=5\n[GL_ROUGH]\nTURBULENCE=3\n"
            "STANDARD=3\nSPECIAL=1\n[GL_BAD]\nTURBULENCE=-1\n" },
        { "Взрывы", "[EXP_A]\nNAME0=FLASH\nLIGHTCOLOR=0x123456\nLIGHTRADIUS=5\nNTEX1=3\n" },
        { "Tower", "[TOWER_A]\nModel=MOD_NONE\nGUN=GUN_A\n" },
        { "Оружие", "[GUN_A]\n" },
    }));
    ZJEngine.ZJInit();

    const SSoundZoneType& quiet = g_SoundZoneManager.GetDesc(0);
    EXPECT_FLOAT_EQ(quiet.period, 10.0f);
    EXPECT_FLOAT_EQ(quiet.length, 5.0f);
    EXPECT_EQ(quiet.loop, 1);
    EXPECT_EQ(quiet.random, 0); // only exactly 1 is true
    EXPECT_FLOAT_EQ(g_SoundZoneManager.GetDesc(1).period, 3.0f);

    const SLanternType& orange = g_LanternManager.GetDesc(0);
    EXPECT_FLOAT_EQ(orange.color[0], 1.0f);
    EXPECT_NEAR(orange.color[1], 0.502f, 0.0005f);
    EXPECT_FLOAT_EQ(orange.color[2], 0.0f);
    EXPECT_FLOAT_EQ(orange.radius, 125.0f);
    EXPECT_FLOAT_EQ(orange.scale, 1.0f);
    const SLanternType& grey = g_LanternManager.GetDesc(1);
    EXPECT_FLOAT_EQ(grey.color[0], 0.5f);
    EXPECT_FLOAT_EQ(grey.color[2], 0.5f);
    EXPECT_FLOAT_EQ(grey.radius, 7.0f);

    const SGliderType& calm = g_GliderManager.GetDesc(0);
    EXPECT_FLOAT_EQ(calm.turbulence, 1000.0f);
    EXPECT_FLOAT_EQ(calm.careen, 0.15f);
    EXPECT_FLOAT_EQ(calm.deltaT, 0.5f);
    EXPECT_EQ(calm.specialA, 1);
    EXPECT_EQ(calm.specialB, 0);
    const SGliderType& rough = g_GliderManager.GetDesc(1);
    EXPECT_FLOAT_EQ(rough.turbulence, 250.0f);
    EXPECT_EQ(rough.specialA, 0);
    EXPECT_EQ(rough.specialB, 1);
    EXPECT_FLOAT_EQ(g_GliderManager.GetDesc(2).turbulence, 1000.0f);
    EXPECT_EQ(LogCount("CGliderManager::Init TURBULENCE -1 in GL_BAD"), 1);
    EXPECT_THROW(g_GliderManager.GetDesc(-1), XRangeError);
    EXPECT_TRUE(g_GliderManager.CheckStandard(2, 0));
    EXPECT_FALSE(g_GliderManager.CheckStandard(2, 1));
    EXPECT_TRUE(g_GliderManager.CheckStandard(0, 1));
    EXPECT_THROW(g_GliderManager.CheckStandard(3, 0), XRangeError);

    const SExploType& explosion = g_ExploManager.GetDesc(0);
    EXPECT_STREQ(explosion.layers[0].name, "FLASH");
    EXPECT_STREQ(explosion.layers[2].name, "2");
    EXPECT_EQ(explosion.layers[1].textureCount, 3);
    EXPECT_EQ(explosion.layers[2].textureCount, 1);
    EXPECT_EQ(explosion.layers[2].modelCount, 1);
    EXPECT_FLOAT_EQ(explosion.layers[2].duration, 1.0f);
    EXPECT_FLOAT_EQ(explosion.radius, 10.0f);
    EXPECT_EQ(explosion.lightColor, 0x563412u);
    EXPECT_EQ(explosion.hasLight, 1);

    const STowerType& tower = g_TowerManager.GetDesc(0);
    EXPECT_EQ(tower.gun.Index(), 0);
    EXPECT_FLOAT_EQ(tower.range, 500.0f);
    EXPECT_FLOAT_EQ(tower.turnSpeed, 0.25f * std::numbers::pi_v<float>);
    EXPECT_EQ(LogCount("CTowerManager::Init Model not found: MOD_NONE"), 1);
}

TEST_F(TablesTest, DeletedRowsAreNotCountedAndDefaultRowIsZero)
{
    UseTables(AllTables({ { "Камни", "[ST_A]\nDeleted=1\nFly=1\n[ST_B]\nDeleted=1\n" } }));
    ZJEngine.ZJInit();
    EXPECT_EQ(g_StoneManager.GetRowCount(), 0);
    EXPECT_EQ(g_StoneManager.GetDesc(-1).flying, 0);
    EXPECT_EQ(g_StoneManager.GetDesc(-1).model.Index(), 0);
    EXPECT_THROW(g_StoneManager.GetDesc(0), XRangeError);
}

TEST_F(TablesTest, WeaponRowsApplyTheirDefaults)
{
    UseTables(AllTables({ { "Оружие",
        "[GUN_LIGHT]\nTYPE=0\nDoubleGun=0\nRATEOFFIRE=120\nTFIRE=4\n"
        "[GUN_HEAVY]\nTYPE=1\nDoubleGun=2\nMASSA=7\nOPENTIME=3\nTCHARGE=9\nShootScale=2\n"
        "[GUN_PLAIN]\nDoubleGun=1\nTYPE=2\n" } }));
    ZJEngine.ZJInit();
    const SGunType& light = g_GunManager.GetGun(0);
    EXPECT_EQ(light.doubleGun, 1);
    EXPECT_FLOAT_EQ(light.rateOfFire, 2.0f);
    EXPECT_FLOAT_EQ(light.fireTime, 4.0f);
    EXPECT_FLOAT_EQ(light.coolTime, 8.0f);
    EXPECT_FLOAT_EQ(light.mass, 20.0f);
    EXPECT_FLOAT_EQ(light.openTime, 1.0f);
    EXPECT_FLOAT_EQ(light.shotScale, 1.0f);
    EXPECT_FLOAT_EQ(light.color[3], 1.0f);
    const SGunType& heavy = g_GunManager.GetGun(1);
    EXPECT_EQ(heavy.doubleGun, 0);
    EXPECT_FLOAT_EQ(heavy.rateOfFire, 1.0f);
    EXPECT_FLOAT_EQ(heavy.fireTime, 10.0f);
    EXPECT_FLOAT_EQ(heavy.coolTime, 9.0f);
    EXPECT_FLOAT_EQ(heavy.mass, 7.0f);
    EXPECT_FLOAT_EQ(heavy.openTime, 3.0f);
    EXPECT_FLOAT_EQ(heavy.shotScale, 2.0f);
    EXPECT_EQ(g_GunManager.GetGun(2).doubleGun, 1);
    EXPECT_FLOAT_EQ(g_GunManager.GetGun(2).coolTime, 20.0f);
    EXPECT_THROW(g_GunManager.GetGun(3), XRangeError);
    EXPECT_THROW(g_GunManager.GetGun(-1), XRangeError);
}

TEST_F(TablesTest, EquipmentClassDefaultsAndTheHullAbsorbsDamage)
{
    UseTables(AllTables({
        { "Оборудование", "[EQP_A]\nMANUAL=1\n[EQP_B]\nTYPE=3\nMANUAL=2\n" },
        { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\n[GL_NONE]\n" },
    }));
    ZJEngine.ZJInit();
    EXPECT_EQ(g_EquipmentManager.GetEquipment(0).equipmentClass, 5);
    EXPECT_EQ(g_EquipmentManager.GetEquipment(0).manual, 1);
    EXPECT_EQ(g_EquipmentManager.GetEquipment(1).equipmentClass, 3);
    EXPECT_EQ(g_EquipmentManager.GetEquipment(1).manual, 0);

    CGliderHull hull;
    EXPECT_FLOAT_EQ(hull.WearRatio(), 0.0f); // no type
    hull.Set(SItemRecord { { 0 } });
    EXPECT_FLOAT_EQ(hull.weight, 40.0f);
    EXPECT_FLOAT_EQ(hull.WearRatio(), 0.0f);
    float hit = 90.0f;
    hull.Damage(&hit);
    EXPECT_FLOAT_EQ(hit, 0.0f);
    hit = 25.0f;
    hull.Damage(&hit);
    EXPECT_FLOAT_EQ(hit, 15.0f);
    EXPECT_FLOAT_EQ(hull.wear, 100.0f);
    EXPECT_EQ(hull.destroyed, 1);
    EXPECT_FLOAT_EQ(hull.WearRatio(), 1.0f);

    hull.Set(SItemRecord { { 0 } });
    hit = 100.0f;
    hull.Damage(&hit);
    EXPECT_FLOAT_EQ(hit, 0.0f);
    EXPECT_EQ(hull.destroyed, 1);

    hull.Set(SItemRecord { { 1 } }); // capacity 0
    EXPECT_FLOAT_EQ(hull.WearRatio(), 0.0f);
    hit = 1.0f;
    hull.Damage(&hit);
    EXPECT_EQ(hull.destroyed, 1);
    EXPECT_FLOAT_EQ(hull.WearRatio(), 0.0f);

    hull.Set(SItemRecord { { 0xFFFFFFFFu } });
    hit = 5.0f;
    hull.Damage(&hit);
    EXPECT_FLOAT_EQ(hit, 5.0f);
    EXPECT_EQ(hull.hit, 1);
    EXPECT_FLOAT_EQ(hull.weight, 0.0f);
    EXPECT_THROW(hull.Set(SItemRecord { { 2 } }), XRangeError);
}

} // namespace

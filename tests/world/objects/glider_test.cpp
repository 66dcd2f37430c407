// The glider: its type, equipment and ammunition from the machine record, controls, damage, the
// frame step, death, and its network and snapshot records.
#include "tests/ai/machine_fixture.h"
#include "tests/audio/audio_fixture.h"

#include "ai/CFerroGroup.h"
#include "audio/CSoundManager.h"
#include "audio/CSoundObject.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XMemBuffer.h"
#include "net/wire/NetWire.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGoodsManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CSplinterObject.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CZJAppEvent.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cmath>
#include <vector>

namespace {

constexpr const char* kMachine = "\nRATING=3\nLIGHTGUN1=GUN_L\nHEAVYGUN1=GUN_H\nREACTOR=EQP_REACTOR\n"
                                 "ENGINE=EQP_ENGINE\nSHIELD=EQP_SHIELD\nARMOR=EQP_ARMOR\n";

class KillLog : public CZJAppEvent {
public:
    void OnAddRating(float, int) override { }
    void OnGroupMessage(const char*, CFerroGroup*) override { }
    void OnFerroKilled(CFerrovant* record) override { killed.push_back(record); }
    void FerroWasKilledByPlayer(CFerrovant* record) override { byPlayer.push_back(record); }
    std::vector<CFerrovant*> killed;
    std::vector<CFerrovant*> byPlayer;
};

// Records the hits that Run deals instead of applying them.
class HitGlider : public CGliderObject {
public:
    struct Hit {
        float amount;
        int heavy;
        int damageClass;
    };
    void Damage(float amount, const Vec3&, int heavy, CZJObject*, int damageClass) override
    {
        hits.push_back({ amount, heavy, damageClass });
    }
    std::vector<Hit> hits;
};

class GliderTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        UseTables(AllTables({
            { "Глайдеры",
                "[GL_ONE]\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=1\nDAMAGE=100\nRESFRONT=1.5\nRESSIDE=2.5\n"
                "RESTOP=0.75\nTURBULENCE=9\nSTABFRONT=0.5\nSTABSIDE=0.25\nROTATESPEED=90\nCAREEN=2\nDELTAT="
                "3\n"
                "[GL_TWO]\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=2\nDAMAGE=100\nROTATESPEED=45\n" },
            { "Оборудование", EquipmentTable() },
            { "Оружие", "[GUN_L]\n[GUN_H]\n[GUN_BOMB_LAUNCHER]\n[GUN_ROCKET_LAUNCHER]\n" },
            { "Снаряды",
                "[MIS_BOMB]\nTYPE=4\nWEIGHT=2\n[MIS_ROCKET]\nTYPE=2\nWEIGHT=3\n[MIS_BOMB2]\nTYPE=4\n"
                "[MIS_SHELL]\nTYPE=1\n" },
            { "Товары", "[TOV_A]\nMASSA=2\n[TOV_B]\nMASSA=1\n" },
            { "Конфигурации",
                std::string("[CFG_ONE]\nNAME=CFG_ONE\nGLIDER=GL_ONE\nBOMB1=MIS_BOMB\nNUMBOMB1=4") + kMachine
                    + "[CFG_TWO]\nNAME=CFG_TWO\nGLIDER=GL_TWO\nBOMB1=MIS_BOMB\nNUMBOMB1=4\n"
                      "ROCKET1=MIS_ROCKET\nNUMROCKET1=5"
                    + kMachine },
        }));
        ZJEngine.ZJInit();
        GameClock = 100.0;
        FrameTime = 0.02f;
        PlayerObject = nullptr;
        ZJEngine.killerId = 0;
    }
    void TearDown() override
    {
        PlayerObject = nullptr;
        AppEvents = nullptr;
        MachineTest::TearDown();
    }

    void Equip(CFerrovant& m, const char* config)
    {
        m.ApplyConfig(FerrovantConfigList.Find(config), false, 0);
        glider.Init(Identity().m, MakeNameKey32(g_GliderManager.GetRowNames().GetString(m.hull.index)));
        glider.AssignFerrovant(&m);
    }
    static Matrix4 Identity()
    {
        Matrix4 m;
        Matrix4Identity(m);
        return m;
    }
    // A flat 65 x 65 map under water of that kind at level 0, loaded as the location.
    static void UseWaterMap(int32_t kind)
    {
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(65, 65);
        zoq::tools::map::SurfaceRecord surface;
        surface.kind = kind;
        map.surfaces = { surface };
        map.blockSurfaces = { 0 };
        map.water.assign(map.heights.size(), 1);
        WriteBytes("Data/water.zjp", zoq::tools::map::WriteMap(map));
        const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\water.zjp";
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile(path.c_str(), Location.streamFile), 0);
        Location.streamOpen = 1;
        Location.GetHeight(Vec3 { 320, 320, 0 }, false, true);
    }
    static int Row(CZJTypeManager<SMissileType>& table, const char* name) { return table.FindRow(name); }

    CFerrovant machine;
    CGliderObject glider;
};

TEST_F(GliderTest, TypeTakesTheRowsCoefficientsAndAnUnknownNameRowZero)
{
    Matrix4 placement = Identity();
    placement.m[0] = 2.0f; // scale 2
    glider.Init(placement.m, MakeNameKey32("GL_ONE"));
    EXPECT_EQ(glider.typeIndex, 0);
    EXPECT_FLOAT_EQ(glider.aimDirection.z, 1.0f); // the third column
    EXPECT_FLOAT_EQ(glider.drawDistanceFactor, 2.0f);
    EXPECT_EQ(glider.hitMarksOwner, &glider);

    SItemRecord hull {};
    hull.words[0] = 0;
    glider.SetGliderType(hull);
    EXPECT_FLOAT_EQ(glider.travelDamping, 1.5f);
    EXPECT_FLOAT_EQ(glider.sideDamping, 2.5f);
    EXPECT_FLOAT_EQ(glider.liftDampingUp, 0.75f);
    EXPECT_FLOAT_EQ(glider.liftDampingDown, 0.75f);
    EXPECT_FLOAT_EQ(glider.travelDampingScale, 100.0f);
    EXPECT_EQ(glider.pitchStiffness, 1.0f / (0.5f + 0.0001f));
    EXPECT_EQ(glider.rollStiffness, 1.0f / (0.25f + 0.0001f));
    EXPECT_EQ(glider.turnRate, 3.1415927f * 90.0f * 0.0055555557f);
    EXPECT_FLOAT_EQ(glider.driftRoll, 0.15f);
    EXPECT_FLOAT_EQ(glider.spareCoefficient, 0.3f);
    hull.words[0] = 7;
    EXPECT_THROW(glider.SetGliderType(hull), XRangeError);

    CGliderObject unknown;
    unknown.Init(Identity().m, MakeNameKey32("NOPE"));
    EXPECT_EQ(unknown.typeIndex, 0);
    EXPECT_EQ(LogLineCount("Unknown glider NOPE"), 1);
}

TEST_F(GliderTest, AssignFerrovantMountsTheLaunchersByStandard)
{
    struct Case {
        const char* config;
        int32_t rocketLauncher;
    };
    const int rockets = g_GunManager.FindRow("GUN_ROCKET_LAUNCHER");
    for (const Case& c : { Case { "CFG_ONE", -1 }, Case { "CFG_TWO", rockets } }) {
        SCOPED_TRACE(c.config);
        CFerrovant m;
        Equip(m, c.config);
        EXPECT_EQ(m.glider, &glider);
        EXPECT_EQ(int32_t(glider.guns[2].item.words[0]), c.rocketLauncher);
        EXPECT_EQ(glider.guns[2].assigned, c.rocketLauncher != -1 ? 1 : 0);
        EXPECT_EQ(int32_t(glider.guns[3].item.words[0]), g_GunManager.FindRow("GUN_BOMB_LAUNCHER"));
        EXPECT_EQ(int32_t(glider.guns[0].item.words[0]), g_GunManager.FindRow("GUN_L"));
        EXPECT_EQ(int32_t(glider.guns[1].item.words[0]), g_GunManager.FindRow("GUN_H"));
        for (const CGun& gun : glider.guns)
            EXPECT_EQ(gun.owner, &glider);
    }
    glider.AssignFerrovant(nullptr);
    EXPECT_EQ(glider.ferrovant, nullptr);
    EXPECT_EQ(glider.guns[0].assigned, 0);
    EXPECT_EQ(glider.guns[3].assigned, 1); // the bomb launcher stays
}

// Capacity 1: goods of 1.19999997 stay at the threshold (x 4), 1.2 passes it (x 10).
TEST_F(GliderTest, OverloadAddsMassByExcessDifficultyAndAntigrav)
{
    struct Case {
        float goods;
        bool player;
        int difficulty;
        bool antigrav;
        float factor;
    };
    const Case cases[] = {
        { 1.19999997f, false, 1, false, 4.0f },
        { 1.2f, false, 1, false, 10.0f },
        { 1.1f, false, 0, false, 4.0f },
        { 1.1f, true, 0, false, 2.0f },
        { 1.1f, true, 2, false, 8.0f },
        { 1.2f, true, 1, true, 0.0f }, // capacity 1.3: no excess
        { 0.5f, false, 1, false, 0.0f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            testing::Message() << c.goods << " player " << c.player << " difficulty " << c.difficulty);
        CFerrovant m;
        m.ApplyConfig(FerrovantConfigList.Find("CFG_ONE"), false, 0);
        SGliderType& row = g_GliderManager.GetDesc(0);
        row.maxWeight = 200.0f;
        row.maxWeight = 1.0f + (200.0f - m.GetFreeLoad()); // free load exactly 1
        g_GoodsManager.GetDesc(g_GoodsManager.GetRowNames().Find("TOV_A")).mass = c.goods;
        m.cargo.AddGoods("TOV_A", 1, 0.0f, CargoItem::kGoods);
        Difficulty = c.difficulty;
        PlayerObject = c.player ? &glider : nullptr;
        PlayerEquipmentFlags[kEqpHiPowerAntigrav] = c.antigrav ? 1 : 0;
        // Weighed before the launchers take their ammunition.
        const float excess = m.GetGoodsWeight() - m.GetFreeLoad() * (c.antigrav ? 1.3f : 1.0f);
        const float sum = m.GetSumWeight();
        glider.Init(Identity().m, MakeNameKey32("GL_ONE"));
        glider.AssignFerrovant(&m);
        EXPECT_FLOAT_EQ(glider.mass, sum + (c.factor == 0.0f ? 0.0f : c.factor * excess));
        glider.AssignFerrovant(nullptr);
    }
}

TEST_F(GliderTest, UpdateAmmoTakesTheFirstStockAndGivesBackAtTheFront)
{
    machine.ApplyConfig(FerrovantConfigList.Find("CFG_TWO"), false, 0);
    machine.ammo[machine.ammoCount++] = AmmoStock { Row(g_MissileManager, "MIS_BOMB2"), {}, 3 };
    glider.Init(Identity().m, MakeNameKey32("GL_TWO"));
    glider.AssignFerrovant(&machine);
    const int bomb = Row(g_MissileManager, "MIS_BOMB"), rocket = Row(g_MissileManager, "MIS_ROCKET");
    EXPECT_EQ(glider.guns[3].projectileType, bomb);
    EXPECT_FLOAT_EQ(glider.guns[3].ammo, 4.0f);
    EXPECT_EQ(glider.guns[2].projectileType, rocket);
    EXPECT_FLOAT_EQ(glider.guns[2].ammo, 5.0f);
    ASSERT_EQ(machine.ammoCount, 1); // the second bomb stock stays
    EXPECT_EQ(machine.ammo[0].index, Row(g_MissileManager, "MIS_BOMB2"));

    glider.guns[3].ammo = 2.5f;
    glider.UpdateAmmo(false, false);
    ASSERT_EQ(machine.ammoCount, 3);
    EXPECT_EQ(machine.ammo[0].index, rocket);
    EXPECT_EQ(machine.ammo[0].count, 5);
    EXPECT_EQ(machine.ammo[1].index, bomb);
    EXPECT_EQ(machine.ammo[1].count, 2);

    // Taken again and given back with append: a stock of the same projectile takes it in.
    glider.UpdateAmmo(true, false);
    machine.ammo[machine.ammoCount++] = AmmoStock { bomb, {}, 1 };
    glider.UpdateAmmo(false, true);
    ASSERT_EQ(machine.ammoCount, 3);
    EXPECT_EQ(machine.ammo[1].index, bomb);
    EXPECT_EQ(machine.ammo[1].count, 3);
    EXPECT_EQ(machine.ammo[2].index, rocket);
}

// A full list never loses a stock: without a stock of the same projectile the launcher keeps its
// own, and the next take leaves it there.
TEST_F(GliderTest, GivingBackToAFullListKeepsTheLaunchersStock)
{
    for (bool append : { false, true }) {
        SCOPED_TRACE(append);
        CFerrovant m;
        Equip(m, "CFG_ONE");
        const int shell = Row(g_MissileManager, "MIS_SHELL");
        for (m.ammoCount = 0; m.ammoCount < CFerrovant::kMaxAmmo;)
            m.ammo[m.ammoCount++] = AmmoStock { shell, {}, 1 };
        glider.UpdateAmmo(false, append);
        EXPECT_EQ(m.ammoCount, CFerrovant::kMaxAmmo);
        for (const AmmoStock& s : m.ammo)
            EXPECT_EQ(s.index, shell);
        glider.UpdateAmmo(true, false);
        EXPECT_EQ(glider.guns[3].projectileType, Row(g_MissileManager, "MIS_BOMB"));
        EXPECT_FLOAT_EQ(glider.guns[3].ammo, 4.0f);
        glider.AssignFerrovant(nullptr);
    }
}

TEST_F(GliderTest, JumpNeedsTwoSecondsAndEnergyAboveAHundred)
{
    Equip(machine, "CFG_ONE");
    struct Case {
        double later;
        float energy;
        bool jumps;
    };
    for (const Case& c : { Case { 1.9, 1000.0f, false }, Case { 2.1, 1000.0f, true },
             Case { 2.1, 100.0f, false }, Case { 2.1, 100.1f, true } }) {
        SCOPED_TRACE(testing::Message() << c.later << " " << c.energy);
        glider.lastJumpTime = 0.0f;
        GameClock = 10.0;
        machine.energy = 1000.0f;
        glider.Jump(1.0f);
        ASSERT_FLOAT_EQ(glider.lastJumpTime, 10.0f);
        glider.velocity = {};
        GameClock = 10.0 + c.later;
        machine.energy = c.energy;
        glider.Jump(1.0f);
        EXPECT_EQ(glider.velocity.z > 0.0f, c.jumps);
        EXPECT_FLOAT_EQ(machine.energy, c.jumps ? c.energy - 100.0f : c.energy);
    }
    EXPECT_FLOAT_EQ(glider.velocity.z, 29.4f * 1.5f); // impulse / mass

    CGliderObject bare;
    bare.Jump(1.0f);
    bare.SetStrafe(1.0f);
    EXPECT_FLOAT_EQ(bare.velocity.z, 0.0f);
    EXPECT_FLOAT_EQ(bare.sideImpulse, 0.0f);
}

TEST_F(GliderTest, ThrottleScalesByTheEngineAndTheAccelerator)
{
    Equip(machine, "CFG_ONE");
    const float top = machine.engine.Maximum();
    ASSERT_GT(top, 0.0f);
    glider.bankCoupling = 1.0f;
    glider.SetThrottle(-0.5f);
    EXPECT_FLOAT_EQ(glider.throttle, 0.5f);
    EXPECT_FLOAT_EQ(glider.thrust, -0.5f * top);
    EXPECT_FLOAT_EQ(glider.bankCoupling, 1.0f);
    PlayerObject = &glider;
    PlayerEquipmentFlags[kEqpAccelerator] = 1;
    glider.netDirty = 0;
    glider.SetThrottle(1.0f);
    EXPECT_FLOAT_EQ(glider.thrust, top * 1.2f);
    EXPECT_EQ(glider.netDirty, 1);
    EXPECT_FLOAT_EQ(glider.bankCoupling, 0.0f);

    CGliderObject bare;
    bare.SetThrottle(1.0f);
    EXPECT_FLOAT_EQ(bare.thrust, 25.0f);
}

// The player's damage scaling, read from a remote copy's pending damage.
TEST_F(GliderTest, DamageScalesByDifficultyClassAndEquipment)
{
    Equip(machine, "CFG_ONE");
    PlayerObject = &glider;
    glider.remote = 1;
    glider.owned = 0;
    struct Case {
        int difficulty;
        int damageClass;
        int flag; // -1 none
        float factor;
    };
    const Case cases[] = {
        { 1, -1, -1, 1.0f },
        { 0, -1, -1, 0.5f },
        { 2, 1, -1, 1.2f },
        { 0, 3, -1, 1.0f },
        { 1, 0, kEqpRadiationShield, 0.25f },
        { 1, 1, kEqpCryogenerator, 0.25f },
        { 1, 2, kEqpElmStabilizer, 0.25f },
        { 1, 2, kEqpCryogenerator, 1.0f },
        { 1, 0, kEqpUniversalShield, 0.1f },
        { 1, 5, kEqpUniversalShield, 0.001f * 0.1f },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.difficulty << " class " << c.damageClass << " flag " << c.flag);
        Difficulty = c.difficulty;
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
        if (c.flag >= 0)
            PlayerEquipmentFlags[c.flag] = 1;
        glider.pendingDamage[1] = 0.0f;
        glider.Damage(100.0f, glider.frame.position, 1, nullptr, c.damageClass);
        EXPECT_FLOAT_EQ(glider.pendingDamage[1], 100.0f * c.factor);
        EXPECT_EQ(glider.damagePending, 1);
    }
    EXPECT_FLOAT_EQ(glider.pendingDamage[0], 0.0f);
}

TEST_F(GliderTest, TwentyLiveMarksDropTheMarkNotTheDamage)
{
    Equip(machine, "CFG_ONE");
    glider.remote = 1;
    for (int i = 0; i < 21; ++i)
        glider.Damage(1.0f, Vec3 { 1.0f, 0.0f, 0.0f }, 0, nullptr, -1);
    EXPECT_FLOAT_EQ(glider.pendingDamage[0], 21.0f);
    EXPECT_EQ(glider.hitMarksActive, 1);
    for (const SGliderHitMark& mark : glider.hitMarks) {
        EXPECT_FLOAT_EQ(mark.life, 0.25f);
        EXPECT_FLOAT_EQ(mark.amount, 1.0f);
    }
    // Contacts hit with 0: no mark, no damage.
    CGliderObject other;
    other.ferrovant = &machine;
    other.remote = 1;
    other.SetColissionObject(&glider, Vec3 {}, Vec3 { 1.0f, 0.0f, 0.0f });
    EXPECT_EQ(other.hitMarksActive, 0);
    EXPECT_EQ(other.damagePending, 0);
    // Marks age out.
    FrameTime = 0.2f;
    glider.AgeHitMarks();
    EXPECT_EQ(glider.hitMarksActive, 1);
    glider.AgeHitMarks();
    EXPECT_EQ(glider.hitMarksActive, 0);
}

TEST_F(GliderTest, TheKillerOfThePlayerAndOfAMachineIsKnown)
{
    KillLog events;
    AppEvents = &events;
    CGliderObject hunter;
    hunter.id = 42;
    CFerrovant other;
    Equip(machine, "CFG_ONE");
    for (bool playerDies : { false, true }) {
        SCOPED_TRACE(playerDies);
        machine.Restore();
        machine.hull.destroyed = machine.reactor.destroyed = machine.engine.destroyed = 0;
        PlayerObject = playerDies ? &glider : &hunter;
        CZJObject* attacker = playerDies ? &hunter : PlayerObject;
        for (int i = 0; i < 1000 && !machine.IsEffectActive(); ++i)
            glider.Damage(1.0e6f, glider.frame.position, 1, attacker, -1);
        ASSERT_TRUE(machine.IsEffectActive());
        EXPECT_EQ(ZJEngine.killerId, playerDies ? 42 : 0);
        EXPECT_EQ(events.byPlayer.size(), 1u); // only the hunter's kill as the player
    }
}

TEST_F(GliderTest, RunCutsThrustWithoutEnergyAndDiesBelowTheDieHeight)
{
    Equip(machine, "CFG_ONE");
    glider.thrust = 10.0f;
    glider.sideImpulse = 3.0f;
    machine.energy = machine.engine.Power();
    Environment.dieHeight = -1000.0f;
    glider.frame.SetPosition({ 0.0f, 0.0f, 50.0f });
    glider.Run();
    EXPECT_FLOAT_EQ(glider.thrust, 0.0f);
    EXPECT_FLOAT_EQ(glider.sideImpulse, 0.0f);
    EXPECT_EQ(glider.dead, 0);
    EXPECT_EQ(glider.effectSphereCount, 1);

    glider.remote = 1; // a remote copy is not destroyed by the die height
    glider.frame.SetPosition({ 0.0f, 0.0f, -2000.0f });
    glider.Run();
    EXPECT_FLOAT_EQ(glider.pendingDamage[0], 0.0f);
    glider.remote = 0;
    glider.Run();
    EXPECT_TRUE(machine.IsEffectActive());
    glider.Run();
    EXPECT_EQ(glider.dead, 1);
    EXPECT_EQ(glider.visible, 0);
    EXPECT_EQ(glider.moves, 0);

    CGliderObject bare; // no machine: no cut, no death
    bare.thrust = 10.0f;
    bare.Run();
    EXPECT_FLOAT_EQ(bare.thrust, 10.0f);
    EXPECT_EQ(bare.dead, 0);
}

// The player's glider one cell outside the 5-cell margin; water of kind 2 at 0, 57 and 60 units up.
TEST_F(GliderTest, RunDamagesAtTheBorderAndInDeadlyWater)
{
    UseWaterMap(2);
    FrameTime = 0.02f;
    HitGlider player;
    PlayerObject = &player;
    player.frame.SetPosition({ 40.0f, 320.0f, 100.0f });
    player.Run();
    ASSERT_EQ(player.hits.size(), 1u);
    EXPECT_FLOAT_EQ(player.hits[0].amount, 200.0f * 0.02f);
    EXPECT_EQ(player.hits[0].heavy, 1);
    EXPECT_EQ(player.hits[0].damageClass, 0);
    player.hits.clear();
    player.frame.SetPosition({ 50.0f, 320.0f, 100.0f }); // on the margin
    player.Run();
    EXPECT_TRUE(player.hits.empty());
    SituationState = 0;
    player.frame.SetPosition({ 320.0f, 320.0f, 0.0f });
    player.Run();
    EXPECT_EQ(SituationState, 1);
    PlayerObject = nullptr;
    SituationState = 0;

    struct Case {
        float z;
        float perSecond; // 0: untouched
    };
    for (const Case& c : { Case { 0.0f, 12000.0f }, Case { 57.0f, 600.0f }, Case { 60.0f, 0.0f } }) {
        SCOPED_TRACE(c.z);
        HitGlider g;
        g.frame.SetPosition({ 320.0f, 320.0f, c.z });
        g.Run();
        if (c.perSecond == 0.0f) {
            EXPECT_TRUE(g.hits.empty());
            continue;
        }
        ASSERT_EQ(g.hits.size(), 1u);
        EXPECT_NEAR(g.hits[0].amount, c.perSecond * 0.02f, 1e-3f);
        EXPECT_EQ(g.hits[0].damageClass, 1);
    }
    HitGlider remote; // a copy of another player's glider is not hurt here
    remote.remote = 1;
    remote.frame.SetPosition({ 320.0f, 320.0f, 0.0f });
    remote.Run();
    EXPECT_TRUE(remote.hits.empty());
}

// Death by kind of glider: what it throws out on carrier splinters, and whether it is deleted.
TEST_F(GliderTest, DeathThrowsOutCoreMoneyAndCargoByKind)
{
    enum Kind { kPlayer, kOwned, kLocal, kRemote };
    struct Case {
        Kind kind;
        bool reactor;
        bool core;
        bool cargo;
        bool deleted;
    };
    const Case cases[] = {
        { kPlayer, false, true, true, false },
        { kOwned, true, true, false, true },
        { kLocal, true, true, true, true },
        { kRemote, false, false, false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.kind));
        ObjectList.Clear();
        SeedRand(7);
        SharedRandom.seed = 3;
        KillLog events;
        AppEvents = &events;
        auto* m = new CFerrovant;
        m->ApplyConfig(FerrovantConfigList.Find("CFG_ONE"), false, 0);
        m->rating = 2.0f;
        m->cargo.AddGoods("TOV_A", 30, 0.0f, CargoItem::kGoods);
        auto* g = new CGliderObject;
        g->Init(Identity().m, MakeNameKey32("GL_ONE"));
        g->AssignFerrovant(m);
        g->remote = c.kind == kOwned || c.kind == kRemote ? 1 : 0;
        g->owned = c.kind == kOwned ? 1 : 0;
        PlayerObject = c.kind == kPlayer ? g : nullptr;
        PlayerCore = nullptr;
        ObjectList.AddObject(g);
        (c.reactor ? m->reactor : m->hull).destroyed = 1;
        g->Run();
        EXPECT_EQ(g->dead, 1);
        EXPECT_EQ(g->ferroChanged, 1);
        EXPECT_EQ(events.killed.size(), 1u);
        EXPECT_EQ(ObjectList.IsDeletePending(g), c.deleted);
        XDynamicArray<CZJObject*> splinters;
        ObjectList.GetObjectList(CZJObject::kSplinter, splinters);
        int cores = 0, money = 0, goods = 0;
        for (int i = 0; i < splinters.Count(); ++i) {
            const auto* s = static_cast<const CSplinterObject*>(splinters.At(i));
            EXPECT_EQ(s->variant, CSplinterObject::kCarrier);
            const auto* thing = static_cast<const CTheThing*>(s->source);
            ASSERT_NE(thing, nullptr);
            ASSERT_EQ(thing->contentCount, 1);
            const SThingItem& item = thing->contents[0];
            if (thing->kind == 257 && item.kind == 2) {
                ++cores;
                EXPECT_STREQ(item.id, m->name);
                EXPECT_EQ(item.amount, 1u);
            } else if (thing->kind == 515) {
                ++money;
                EXPECT_EQ(item.kind, 3u);
                const float n = 2.0f, base = 8.6f * n + 1.4f * n * n;
                const float scale = c.kind == kOwned ? 500.0f : 1.0f;
                EXPECT_GE(float(item.amount), base * 0.5f * scale - 1.0f);
                EXPECT_LE(float(item.amount), base * 1.5f * scale);
            } else {
                ++goods;
                EXPECT_EQ(thing->kind, 513);
                EXPECT_STREQ(item.id, "TOV_A");
            }
        }
        EXPECT_EQ(cores, c.core ? 1 : 0);
        if (c.kind == kOwned || c.kind == kRemote) {
            EXPECT_EQ(money, c.kind == kOwned ? 1 : 0);
        }
        EXPECT_EQ(goods > 0, c.cargo); // 30 units at 3 or 9 in 10
        EXPECT_EQ(m->cargo.items.Count(), c.cargo ? 0 : 1);
        EXPECT_EQ(PlayerCore != nullptr, c.kind == kPlayer);
        g->Run(); // the death plays once
        EXPECT_EQ(events.killed.size(), 1u);
        ObjectList.Clear();
        delete m;
    }
}

TEST_F(GliderTest, NetworkRecordCarriesStateAimMassAndTheMachineWhenChanged)
{
    using namespace NetWire;
    Equip(machine, "CFG_ONE");
    glider.aimDirection = { 0.0f, 1.0f, 0.0f };
    glider.guns[0].trigger = 1.0f;
    glider.dead = 1;
    std::vector<uint8_t> record(Record::kMaxLength);
    int size = 0;
    glider.PackNetState(record.data(), &size);
    EXPECT_EQ(size, int(Glider::kSize));
    EXPECT_EQ(Get<uint32_t>(record.data(), Glider::kBits), Glider::kGun0 | Glider::kDead);
    EXPECT_EQ(record[Moving::kVisible], 0);
    EXPECT_EQ(glider.visible, 1);
    EXPECT_FLOAT_EQ(Get<float>(record.data(), Glider::kMass), glider.mass);

    glider.ferroChanged = 1;
    glider.PackNetState(record.data(), &size);
    EXPECT_GT(size, int(Glider::kSize));
    EXPECT_EQ(record[Record::kKind], Record::kForced);
    EXPECT_EQ(glider.ferroChanged, 0);
    Put<uint16_t>(record.data(), Record::kLength, uint16_t(size));

    CFerrovant copyMachine;
    copyMachine.ApplyConfig(FerrovantConfigList.Find("CFG_TWO"), false, 0);
    CGliderObject copy;
    copy.Init(Identity().m, MakeNameKey32("GL_TWO"));
    copy.AssignFerrovant(&copyMachine);
    int read = 0;
    copy.UnpackNetState(record.data(), &read);
    EXPECT_EQ(read, size);
    EXPECT_FLOAT_EQ(copy.aimDirection.y, 1.0f);
    EXPECT_EQ(copy.typeIndex, 0); // synchronised to the machine's hull
    EXPECT_EQ(copy.dead, 1);
    EXPECT_EQ(copy.visible, 0);
    EXPECT_EQ(LogLineCount("Glider model not found"), 1); // the light gun fired

    // Revive rule: a dead record while the machine now reports itself destroyed plays the death.
    glider.PackNetState(record.data(), &size);
    Put<uint16_t>(record.data(), Record::kLength, uint16_t(size));
    CGliderObject fresh;
    fresh.AssignFerrovant(&copyMachine);
    copyMachine.hull.destroyed = 1;
    fresh.UnpackNetState(record.data(), &read);
    EXPECT_EQ(fresh.dead, 0);
    EXPECT_EQ(fresh.visible, 0);

    // Short records: the moving part only, or a machine block that does not fit.
    CGliderObject shorter;
    shorter.aimDirection = { 1.0f, 0.0f, 0.0f };
    Put<uint16_t>(record.data(), Record::kLength, uint16_t(Moving::kSize + 4));
    shorter.UnpackNetState(record.data(), &read);
    EXPECT_EQ(read, int(Moving::kSize));
    EXPECT_FLOAT_EQ(shorter.aimDirection.x, 1.0f);
    CFerrovant third;
    third.ApplyConfig(FerrovantConfigList.Find("CFG_TWO"), false, 0);
    shorter.AssignFerrovant(&third);
    Put<uint32_t>(record.data(), Glider::kBits, Glider::kFerrovant);
    Put<uint16_t>(record.data(), Record::kLength, uint16_t(Glider::kSize + 10));
    shorter.UnpackNetState(record.data(), &read);
    shorter.UnpackNetState(record.data(), &read);
    EXPECT_EQ(read, int(Glider::kSize));
    EXPECT_EQ(LogLineCount("machine block of glider"), 1);
}

TEST_F(GliderTest, SnapshotRoundTripsFullAndCompact)
{
    Equip(machine, "CFG_ONE");
    glider.aimDirection = { 0.0f, 0.0f, 1.0f };
    glider.burningPoints = 5;
    glider.partDamage[3] = 7.0f;
    machine.hull.wear = 12.0f;
    for (int mode : { 0, 4 }) {
        SCOPED_TRACE(mode);
        ReplayMode = mode;
        XMemBuffer stream(4096);
        int size = 90;
        glider.SaveGame(stream, &size, false);
        const int written = stream.Position();
        EXPECT_EQ(size, written);
        CFerrovant m;
        m.ApplyConfig(FerrovantConfigList.Find("CFG_ONE"), false, 0);
        CGliderObject copy;
        copy.Init(Identity().m, MakeNameKey32("GL_ONE"));
        copy.AssignFerrovant(&m);
        stream.Rewind();
        int read = 0;
        copy.LoadGame(stream, &read, false);
        EXPECT_EQ(stream.Position(), written);
        EXPECT_FLOAT_EQ(copy.aimDirection.z, 1.0f);
        EXPECT_EQ(copy.burningPoints, mode == 4 ? 0u : 5u);
        EXPECT_FLOAT_EQ(copy.partDamage[3], mode == 4 ? 0.0f : 7.0f);
        EXPECT_FLOAT_EQ(m.hull.wear, mode == 4 ? 0.0f : 12.0f);
    }
    ReplayMode = 0;
}

// The engine sound on the loopback device: one control per glider, its frequency from the speed
// and its volume from the nozzle level, faded for the player.
class GliderSoundTest : public audiotest::AudioTest {
protected:
    void SetUp() override
    {
        audiotest::AudioTest::SetUp();
        WriteToneWav("Sound\\hum.wav");
        WriteTable(
            CP1251("Звуки"), { { "SND_HUM", { "Filename=Sound\\hum.wav", "3DSound=1", "MINDIST=100" } } });
        m_manager = std::make_unique<CSoundManager>();
        m_manager->Init(CP1251("Звуки"));
        ASSERT_TRUE(m_manager->InitSound(nullptr));
        m_manager->SetListener({ 0, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 });
        g_pSoundManager = m_manager.get();
        ZJEngine.soploSounds[0] = 0;
        ZJEngine.soploMinVolume = 0.2f;
        ZJEngine.soploMidSpan = 0.3f;
        ZJEngine.soploMaxSpan = 0.4f;
        ZJEngine.playerFade = 0.5f;
        ZJEngine.engineMinFreq = 10000.0f;
        ZJEngine.engineMaxFreq = 40000.0f;
        ZJEngine.engineMaxSpeed = 300.0f;
        m_type.standard = 1;
        FrameTime = 0.02f;
        PlayerObject = nullptr;
    }
    void TearDown() override
    {
        PlayerObject = nullptr;
        g_pSoundManager = nullptr;
        m_manager.reset();
        ZJEngine.soploSounds[0] = -1;
        audiotest::AudioTest::TearDown();
    }

    std::unique_ptr<CSoundManager> m_manager;
    SGliderType m_type {};
};

TEST_F(GliderSoundTest, EngineFrequencyAndVolumeFollowSpeedAndNozzleLevel)
{
    struct Case {
        float speed;
        float thrustSound;
        bool player;
        float frequency;
    };
    for (const Case& c : { Case { 150.0f, 0.5f, false, 25000.0f }, Case { 400.0f, 1.5f, false, 40000.0f },
             Case { 0.0f, 3.0f, true, 10000.0f } }) {
        SCOPED_TRACE(c.speed);
        CGliderObject glider;
        glider.typeRecord = &m_type;
        PlayerObject = c.player ? &glider : nullptr;
        glider.velocity = { c.speed, 0.0f, 0.0f };
        glider.thrustSound = c.thrustSound;
        glider.Run();
        const int handle = glider.engineSoundHandle;
        ASSERT_NE(handle, -1);
        glider.Run(); // the same control, updated in place
        EXPECT_EQ(glider.engineSoundHandle, handle);
        const float v = glider.thrustSound;
        EXPECT_LE(v, 2.0f);
        float volume = v <= 1.0f ? 0.2f + v * 0.3f : 0.5f + (v - 1.0f) * 0.4f;
        if (c.player)
            volume *= 0.5f;
        const SSoundControl* control = m_manager->GetControl(handle);
        ASSERT_NE(control, nullptr);
        ASSERT_NE(control->slot, nullptr);
        EXPECT_FLOAT_EQ(control->slot->GetVolumeFactor(), volume);
        uint32_t hertz = 0;
        ASSERT_TRUE(control->slot->GetBuffer()->GetFrequency(hertz) == plat::sound::Result::Ok);
        EXPECT_EQ(hertz, uint32_t(c.frequency));
    }
}

} // namespace

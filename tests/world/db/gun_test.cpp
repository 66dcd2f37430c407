// The gun runtime: rate of fire, the opening cycle, heat, ammunition, the AI's permission to
// fire, energy, instant hits and fans of projectiles.
#include "tests/world/db/world_fixture.h"

#include "ai/CFerroGroup.h"
#include "ai/CFerrovant.h"

#include "foundation/CTimer.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XRandom.h"
#include "tools/map/map_writer.h"
#include "world/db/CGun.h"
#include "world/db/CGunManager.h"
#include "world/objects/CExploObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CMissileObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <cmath>
#include <vector>

namespace {

class TargetGlider : public CGliderObject {
public:
    struct Hit {
        float damage;
        int flag;
        CZJObject* attacker;
    };
    void Damage(float amount, const Vec3&, int flag, CZJObject* attacker, int) override
    {
        hits.push_back({ amount, flag, attacker });
    }
    std::vector<Hit> hits;
};

class GunTest : public WorldDbTest {
protected:
    enum Gun { kRocket, kOpener, kOpenerClass0, kBeam, kAmmo, kRay, kFan0, kFan7, kPlainHeat };

    void SetUp() override
    {
        WorldDbTest::SetUp();
        SharedRandom = XRandom(); // the shots' scatter starts where a new process starts it
        UseTables(AllTables({
            { "Взрывы", "[EXP_HIT]\n" },
            { "Снаряды", "[MIS_ROCKET]\n" },
            { "Оружие",
                "[GUN_ROCKET]\nShootType=2\nRATEOFFIRE=120\nMISSILE=MIS_ROCKET\nTYPE=2\n"
                "[GUN_OPENER]\nShootType=2\nMISSILE=MIS_ROCKET\nTYPE=1\nOPENTIME=2\n"
                "[GUN_OPENER0]\nShootType=2\nMISSILE=MIS_ROCKET\nTYPE=0\n"
                "[GUN_BEAM]\nShootType=1\nVTYPE=1\nTYPE=2\nPOWER=10\n"
                "[GUN_AMMO]\nShootType=2\nMISSILE=MIS_ROCKET\nTYPEARMS=1\nSPARE=3\nRECONSTRUCTION=0.5\nTYPE="
                "2\n"
                "[GUN_RAY]\nShootType=3\nDAMAGE=7\nEXPLO=EXP_HIT\nTYPE=2\nMAXDISTANCE=300\nPOWER=60\n"
                "[GUN_FAN0]\nShootType=9\nMISSILE=MIS_ROCKET\nXSTATE=0\nTYPE=2\n"
                "[GUN_FAN7]\nShootType=9\nMISSILE=MIS_ROCKET\nXSTATE=7\nTYPE=2\n"
                "[GUN_PLAIN]\nShootType=1\nTYPE=2\n" },
        }));
        ZJEngine.ZJInit();
        m_savedFrameTime = FrameTime;
        m_player = new CGliderObject;
        ObjectList.AddObject(m_player);
        m_player->ferrovant = &m_machine;
        m_machine.energy = 1.0e6f;
        PlayerObject = m_player;
    }
    void TearDown() override
    {
        PlayerObject = nullptr;
        FrameTime = m_savedFrameTime;
        WorldDbTest::TearDown();
    }

    CGun& Arm(Gun gun, CZJObject* owner)
    {
        m_gun.Reset();
        m_gun.owner = owner;
        m_gun.Assign(SItemRecord { { uint32_t(gun) } });
        return m_gun;
    }
    // One frame: the trigger (when held), then the update.
    void Frame(float dt, bool held)
    {
        FrameTime = dt;
        if (held)
            m_gun.FIRE(m_frame, m_mount, Vec3 { 0, 1, 0 }, 1.0f);
        m_gun.Run();
    }
    static int Count(int type)
    {
        int n = 0;
        for (CZJObject* object : ObjectList.Objects())
            n += object->type == type ? 1 : 0;
        return n;
    }

    // A one-block map whose ground rises along y and meets the aim (from y 20 at height 30)
    // `distance` ahead; below the aim everywhere when distance < 0.
    static void UseTerrain(float distance)
    {
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(65, 65);
        for (int gy = 0; gy < map.height; ++gy) {
            for (int gx = 0; gx < map.width; ++gx)
                map.heights[map.PointIndex(gx, gy)]
                    = distance < 0 ? 0.0f : 10.0f * float(gy) - 20.0f - distance + 30.0f;
        }
        WriteBytes("Data/gun.zjp", zoq::tools::map::WriteMap(map));
        const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\gun.zjp";
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile(path.c_str(), Location.streamFile), 0);
        Location.streamOpen = 1;
        Location.GetHeight(Vec3 { 10, 20, 0 }, false, true); // the near cell, for exact crossings
    }
    // Makes the object a sphere of radius 5 that the rays meet, `distance` along the aim from the
    // muzzle (12, 20, 30), or far off the aim when distance < 0; files it in the loaded map.
    static void PlaceOnAim(CZJObject* object, float distance)
    {
        object->hitByRays = 1;
        object->solid = 1;
        object->radius = 5.0f;
        const Vec3 p = distance < 0 ? Vec3 { 300, 300, 30 } : Vec3 { 12, 20 + distance + 5, 30 };
        object->frame.SetPosition(p);
        Location.AddCellObject(p, object, false);
    }

    CGun m_gun;
    CFerrovant m_machine; // the player's: its reactor pays the shots
    CGliderObject* m_player = nullptr;
    Matrix4 m_frame { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 20, 30, 1 } };
    Matrix4 m_mount { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 1 } };
    float m_savedFrameTime = 0;
};

TEST_F(GunTest, AFrameFiresAtMostTwoShotsAndCarriesTheRemainder)
{
    Arm(kRocket, m_player);
    ASSERT_FLOAT_EQ(m_gun.desc->rateOfFire, 2.0f);
    int last = 0, most = 0;
    for (int frame = 0; frame < 40; ++frame) {
        Frame(0.7f, true);
        const int now = Count(16);
        most = std::max(most, now - last);
        last = now;
    }
    EXPECT_EQ(most, 2);
    EXPECT_NEAR(last, 40 * 0.7 * 2.0, 1.0);
    last = Count(16);
    for (int frame = 0; frame < 20; ++frame)
        Frame(5.0f, true);
    EXPECT_EQ(Count(16) - last, 40); // never more than two a frame
}

TEST_F(GunTest, ShotsLeaveTheMuzzleAlongTheAim)
{
    Arm(kRocket, m_player);
    m_player->velocity = Vec3 { 0, 5, 0 };
    Frame(0.01f, true);
    ASSERT_EQ(Count(16), 1);
    auto* missile = static_cast<CMissileObject*>(ObjectList.Objects().Tail());
    // The physics steps the new shot by its share of the frame: a little further along +y.
    EXPECT_FLOAT_EQ(missile->frame.position.x, 12.0f);
    EXPECT_NEAR(missile->frame.position.y, 20.0f, 0.01f);
    EXPECT_NEAR(missile->frame.matrix.m[6], 1.0f, 0.001f); // forward axis (column 2) along +y
    EXPECT_EQ(missile->owner, m_player);
    EXPECT_NEAR(missile->velocity.y, 5.0f, 0.01f);
    EXPECT_EQ(missile->typeIndex, 0);
    EXPECT_EQ(missile->networked, 0);
    EXPECT_TRUE(m_gun.IsFiring());
}

TEST_F(GunTest, TheOpeningCycleRunsForClassOneAndClosesAfterTenSeconds)
{
    SGunType& type = g_GunManager.GetGun(kOpener);
    type.prepared = 1;
    type.hasOpenAnimation = 1;
    Arm(kOpener, m_player);
    Frame(0.5f, true);
    EXPECT_EQ(m_gun.openState, CGun::kOpening);
    for (int i = 0; i < 4; ++i)
        Frame(0.5f, true);
    EXPECT_EQ(Count(16), 0);
    EXPECT_EQ(m_gun.openState, CGun::kOpen);
    EXPECT_FLOAT_EQ(m_gun.readySignal, 0.5f);
    Frame(0.1f, true);
    EXPECT_EQ(Count(16), 1);
    // Ten seconds without a shot close it; a press while closing reopens from where it is.
    for (int i = 0; i < 95; ++i)
        Frame(0.1f, false);
    EXPECT_EQ(m_gun.openState, CGun::kOpen);
    for (int i = 0; i < 10 && m_gun.openState == CGun::kOpen; ++i)
        Frame(0.1f, false);
    ASSERT_EQ(m_gun.openState, CGun::kClosing);
    EXPECT_FLOAT_EQ(m_gun.openTimer, 2.0f);
    Frame(0.5f, false);
    EXPECT_NEAR(m_gun.openTimer, 1.5f, 1e-5f);
    Frame(0.25f, true);
    EXPECT_EQ(m_gun.openState, CGun::kOpening);
    EXPECT_NEAR(m_gun.openTimer, 1.75f, 1e-5f);
    Frame(0.3f, true);
    EXPECT_EQ(m_gun.openState, CGun::kOpen);
    for (int i = 0; i < 130; ++i)
        Frame(0.1f, false);
    EXPECT_EQ(m_gun.openState, CGun::kOpenClosed);
    EXPECT_FLOAT_EQ(m_gun.openTimer, 0.0f);
}

TEST_F(GunTest, AnOpeningWeaponOfAnotherClassFiresAtOnce)
{
    SGunType& type = g_GunManager.GetGun(kOpenerClass0);
    type.prepared = 1;
    type.hasOpenAnimation = 1;
    Arm(kOpenerClass0, m_player);
    Frame(0.1f, true);
    EXPECT_EQ(m_gun.openState, CGun::kOpenClosed);
    EXPECT_EQ(Count(16), 1);
}

TEST_F(GunTest, AContinuousWeaponOverheatsAfterTwentySecondsAndRecoversBelowHalf)
{
    Arm(kBeam, m_player);
    float held = 0;
    while (!m_gun.overheated && held < 30.0f) {
        Frame(0.1f, true);
        held += 0.1f;
    }
    EXPECT_NEAR(held, 20.0f, 0.15f);
    const float energy = m_machine.energy;
    Frame(0.1f, true);
    EXPECT_FLOAT_EQ(m_machine.energy, energy); // refused
    float rest = 0;
    while (m_gun.overheated && rest < 30.0f) {
        Frame(0.1f, false);
        rest += 0.1f;
    }
    EXPECT_NEAR(rest, 10.0f, 0.25f);
    EXPECT_LT(m_gun.heat, 5.0f);
    EXPECT_FLOAT_EQ(m_gun.readySignal, 0.5f);

    // A plain weapon heats too but is never blocked.
    Arm(kPlainHeat, m_player);
    for (int i = 0; i < 250; ++i)
        Frame(0.1f, true);
    EXPECT_TRUE(m_gun.overheated);
    const float since = m_gun.timeSinceShot;
    Frame(1.0f, true);
    EXPECT_LT(m_gun.timeSinceShot, since);
}

TEST_F(GunTest, AnAmmunitionWeaponRefusesBelowOneAndReloads)
{
    Arm(kAmmo, m_player);
    EXPECT_FLOAT_EQ(m_gun.ammo, 3.0f);
    m_gun.ammo = 0.7f;
    Frame(0.1f, true);
    EXPECT_EQ(Count(16), 0);
    EXPECT_NEAR(m_gun.ammo, 0.75f, 1e-5f);
    Frame(0.5f, false);
    EXPECT_NEAR(m_gun.ammo, 1.0f, 1e-5f);
    Frame(0.1f, true);
    EXPECT_EQ(Count(16), 1);
    EXPECT_NEAR(m_gun.ammo, 0.05f, 1e-5f);
    for (int i = 0; i < 100; ++i)
        Frame(0.1f, false);
    EXPECT_FLOAT_EQ(m_gun.ammo, 3.0f);
}

TEST_F(GunTest, AnAIGunFiresOnlyAtAnAllowedGliderInClearSight)
{
    // The shooter rides member 0 of a group; a target riding member 1 is a friend.
    CFerroGroup team;
    team.memberCount = 2;
    auto* shooter = new CGliderObject;
    ObjectList.AddObject(shooter);
    shooter->ferrovant = &team.members[0];
    team.members[0].energy = 1000.0f;
    CFerrovant stranger;
    auto* target = new TargetGlider;
    ObjectList.AddObject(target);
    auto* stone = new CZJObject;
    stone->type = 3;
    ObjectList.AddObject(stone);

    Location.Init();
    struct Case {
        const char* name;
        CZJObject* object;
        float terrain;
        bool refuse;
        bool fires;
        bool damages;
    };
    const Case cases[] = {
        { "nothing on the line", nullptr, -1, false, false, false },
        { "a stone", stone, -1, false, false, false },
        { "terrain at 99", target, 99, false, false, false },
        { "a glider behind terrain at 120: the shot ends on the ground", target, 120, false, true, false },
        { "a glider not allowed", target, -1, true, false, false },
        { "a glider", target, -1, false, true, true },
        { "a glider before terrain at 200", target, 200, false, true, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        target->hits.clear();
        UseTerrain(c.terrain);
        PlaceOnAim(stone, c.object == stone ? 145 : -1);
        PlaceOnAim(target, c.object == target ? 145 : -1);
        // The shooter stands on its own aim: its ray passes it by.
        PlaceOnAim(shooter, 10);
        target->ferrovant = c.refuse ? &team.members[1] : &stranger;
        Arm(kRay, shooter);
        Frame(0.1f, true);
        EXPECT_EQ(target->hits.size(), c.damages ? 1u : 0u);
        EXPECT_EQ(m_gun.fireCounter, c.fires ? 1 : 0);
    }
    // The player's gun fires at anything, even with terrain close by.
    target->hits.clear();
    UseTerrain(50);
    PlaceOnAim(stone, 145);
    Arm(kRay, m_player);
    Frame(0.1f, true);
    EXPECT_EQ(m_gun.fireCounter, 1);
    // The ray's coarse steps test the nearest grid point: the end lies within a step of the ground.
    EXPECT_NEAR(m_gun.shotLength, 50.0f, 6.0f);
}

TEST_F(GunTest, AnInstantHitDamagesExplodesAndCostsEnergy)
{
    auto* target = new TargetGlider;
    ObjectList.AddObject(target);
    UseTerrain(-1);
    PlaceOnAim(target, 40);
    m_machine.energy = 100.0f;
    Arm(kRay, m_player);
    Frame(0.1f, true);
    ASSERT_EQ(target->hits.size(), 1u);
    EXPECT_FLOAT_EQ(target->hits[0].damage, 7.0f);
    EXPECT_EQ(target->hits[0].flag, 0); // shot kind 3
    EXPECT_EQ(target->hits[0].attacker, m_player);
    EXPECT_FLOAT_EQ(m_gun.shotLength, 40.0f);
    EXPECT_FLOAT_EQ(m_gun.shotEnds[0].y, 60.0f);
    ASSERT_EQ(Count(15), 1);
    // The blast is the shooter's, so a kill by it counts as the player's.
    for (CZJObject* object : ObjectList.Objects()) {
        if (object->type == 15) {
            EXPECT_EQ(object->owner, m_player);
        }
    }
    EXPECT_FLOAT_EQ(m_machine.energy, 40.0f); // 60 a shot at one shot a second
    // Not enough energy: refused.
    for (int i = 0; i < 20; ++i)
        Frame(0.1f, true);
    EXPECT_EQ(target->hits.size(), 1u);
    EXPECT_FLOAT_EQ(m_machine.energy, 40.0f);
    // A network copy of another player's glider deals no damage.
    m_machine.energy = 1000.0f;
    m_player->remote = 1;
    Frame(1.0f, true);
    ASSERT_EQ(target->hits.size(), 2u);
    EXPECT_FLOAT_EQ(target->hits[1].damage, 0.0f);
}

TEST_F(GunTest, AFanFiresOneToFiveProjectiles)
{
    struct Case {
        Gun gun;
        int projectiles;
    };
    for (const Case& c : { Case { kFan0, 1 }, Case { kFan7, 5 } }) {
        SCOPED_TRACE(c.projectiles);
        ObjectList.Clear();
        m_player = new CGliderObject;
        m_player->ferrovant = &m_machine;
        ObjectList.AddObject(m_player);
        PlayerObject = m_player;
        Arm(c.gun, m_player);
        Frame(0.01f, true);
        ASSERT_EQ(Count(16), c.projectiles);
        float firstX = 0, lastX = 0;
        for (CZJObject* object : ObjectList.Objects()) {
            if (object->type != 16)
                continue;
            lastX = object->frame.matrix.m[2];
            if (firstX == 0)
                firstX = lastX;
        }
        if (c.projectiles == 1)
            EXPECT_NEAR(firstX, 0.0f, 1e-6f);
        else
            EXPECT_NEAR(std::fabs(lastX - firstX), 4 * std::sin(std::numbers::pi_v<float> * 0.002f), 1e-4f);
    }
}

TEST_F(GunTest, ThePlayersProjectilesJoinTheNetworkInANetworkGame)
{
    m_player->remote = 1; // in a network game the player's glider is on the network list
    m_player->owned = 1;
    auto* marked = new CGliderObject;
    ObjectList.AddObject(marked);
    m_player->target = marked;
    Arm(kRocket, m_player);
    const uint32_t before = ObjectList.networkIdCounter;
    Frame(0.01f, true);
    auto* missile = static_cast<CMissileObject*>(ObjectList.Objects().Tail());
    EXPECT_EQ(missile->networked, 1);
    EXPECT_EQ(missile->owned, 1);
    EXPECT_EQ(missile->networkId, before + 1);
    EXPECT_EQ(ObjectList.FindNetObject(before + 1), missile);
    EXPECT_EQ(missile->target, marked);
}

TEST_F(GunTest, AssignAndReset)
{
    Arm(kAmmo, m_player);
    EXPECT_EQ(m_gun.assigned, 1);
    EXPECT_EQ(m_gun.projectileType, 0);
    EXPECT_FLOAT_EQ(m_gun.reloadTimer, -0.00001f);
    m_gun.Assign(SItemRecord { { 0xFFFFFFFFu } });
    EXPECT_EQ(m_gun.assigned, 0);
    EXPECT_EQ(m_gun.desc, nullptr);
    EXPECT_EQ(m_gun.projectileType, -1);
    EXPECT_FLOAT_EQ(m_gun.ammo, 0.0f);
    EXPECT_THROW(m_gun.Assign(SItemRecord { { 99 } }), XRangeError);
    EXPECT_NE(std::string(CallTraceText()).find("CGun::Assign"), std::string::npos);
    m_gun.Reset();
    EXPECT_FLOAT_EQ(m_gun.timeSinceShot, 1.5f);
    EXPECT_EQ(m_gun.soundHandle, -1);
    EXPECT_EQ(m_gun.owner, nullptr);
    Matrix4 mount = m_mount;
    m_gun.GetMountMatrices(m_frame, mount);
    EXPECT_FLOAT_EQ(m_gun.barrelMatrix.m[12], 12.0f);
    EXPECT_FLOAT_EQ(m_gun.mirroredMatrix.m[12], 8.0f);
    EXPECT_FLOAT_EQ(mount.m[12], -2.0f);
}

} // namespace

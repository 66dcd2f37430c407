// The missile: launch settings by kind, homing, splits, terrain and object impacts, end of life,
// the range cut and the network record, on ini-mode rows and a written map that is flat for
// x < 320 and rises with slope 0.5 beyond (the grid files the gliders for the search).
#include "tests/world/db/world_fixture.h"

#include "foundation/CTimer.h"
#include "foundation/PakManager.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "net/wire/NetWire.h"
#include "world/db/CMissileManager.h"
#include "world/db/PlayerEquipmentFlags.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CMissileObject.h"
#include "world/objects/CPhysics.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/Map.h"

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr float kDt = 0.02f;

// A glider that records the damage it takes.
class TargetGlider : public CGliderObject {
public:
    struct Hit {
        float amount;
        int heavy;
        CZJObject* attacker;
        int damageClass;
    };
    void Damage(float amount, const Vec3&, int heavy, CZJObject* attacker, int damageClass) override
    {
        hits.push_back({ amount, heavy, attacker, damageClass });
    }
    std::vector<Hit> hits;
};

class MissileTest : public WorldDbTest {
protected:
    void SetUp() override
    {
        WorldDbTest::SetUp();
        m_frameTime = FrameTime;
        m_prevFrameTime = prevFrameTime;
        m_clock = GameClock;
        m_visible = VisibleRadius;
        FrameTime = prevFrameTime = kDt;
        GameClock = 100.1;
        SeedRand(1);
        SharedRandom = XRandom();
        PlayerObject = nullptr;
        CameraObject = nullptr;
        PlayerControl = {};
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
        UseTables(AllTables({
            { "Взрывы", "[EXP_A]\n" },
            { "Снаряды",
                "[MIS_BULLET]\nTYPE=1\nSPEED=300\nSCALE=3\nEXPLO=EXP_A\nDAMAGE=7\n"
                "[MIS_ROCKET]\nTYPE=2\nSPEED=100\nT=8\nWEIGHT=20\nROTATE=2\nEXPLO=EXP_A\nDAMAGE=60\n"
                "[MIS_CLOUD]\nTYPE=3\nSPEED=50\n"
                "[MIS_BOMB]\nTYPE=4\nSPEED=10\nWEIGHT=50\nEXPLO=EXP_A\nSUBTYPE=2\n"
                "[MIS_BOLT]\nTYPE=5\nSPEED=200\nSCALE=2\n"
                "[MIS_WANDERER]\nTYPE=6\nSPEED=40\nSCALE=2\n"
                "[MIS_DROP]\nTYPE=7\nSPEED=100\n"
                "[MIS_PIERCER]\nTYPE=8\nSPEED=200\nSCALE=4\nDAMAGE=30\n"
                "[MIS_NEAR]\nTYPE=2\nSPEED=100\nEXPLO=EXP_A\nSUBTYPE=3\nNUMSTATE=3\nSUBMISSILE=MIS_ROCKET\n"
                "[MIS_CLOSE]\nTYPE=2\nSPEED=100\nSUBTYPE=4\nSUBMISSILE=MIS_ROCKET\n"
                "[MIS_QUIET]\nTYPE=2\nSPEED=100\n"
                "[MIS_STRANGE]\nTYPE=12\nSPEED=100\n"
                "[MIS_SMALLBOMB]\nTYPE=4\nSPEED=10\nSUBTYPE=1\n" },
        }));
        ZJEngine.ZJInit();
        UseTerrain();
    }
    void TearDown() override
    {
        ObjectList.Clear();
        PlayerObject = nullptr;
        CameraObject = nullptr;
        PlayerControl = {};
        std::memset(PlayerEquipmentFlags, 0, sizeof PlayerEquipmentFlags);
        FrameTime = m_frameTime;
        prevFrameTime = m_prevFrameTime;
        GameClock = m_clock;
        VisibleRadius = m_visible;
        WorldDbTest::TearDown();
    }

    // The ground: flat (height 0) for x < 320, then rising 0.5 a unit along x.
    static void UseTerrain()
    {
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(65, 65);
        for (int gy = 0; gy < map.height; ++gy)
            for (int gx = 0; gx < map.width; ++gx)
                map.heights[map.PointIndex(gx, gy)] = gx > 32 ? 5.0f * float(gx - 32) : 0.0f;
        WriteBytes("Data/missile.zjp", zoq::tools::map::WriteMap(map));
        const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\missile.zjp";
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile(path.c_str(), Location.streamFile), 0);
        Location.streamOpen = 1;
        Location.GetHeight(Vec3 { 300, 300, 0 }, false, true);
    }

    static int Row(const char* name) { return g_MissileManager.GetRowNames().Find(name); }
    static NameKey32 Key(int row)
    {
        NameKey32 key {};
        std::memcpy(key.text, &row, 4);
        return key;
    }
    // A missile of the row at p heading along d.
    static CMissileObject* Fire(const char* name, const Vec3& p, const Vec3& d)
    {
        CTransform frame;
        Vec3 unit;
        Vec3Normalize(unit, d);
        frame.SetDirection(unit);
        frame.SetPosition(p);
        return static_cast<CMissileObject*>(
            g_MissileManager.CreateObject(Key(Row(name)), frame.matrix.m, nullptr));
    }
    static int Count(int type)
    {
        int n = 0;
        for (CZJObject* object : ObjectList.Objects())
            n += object->type == type && object->alive ? 1 : 0;
        return n;
    }
    static TargetGlider* AddGlider(const Vec3& p)
    {
        auto* glider = new TargetGlider;
        glider->frame.SetPosition(p);
        ObjectList.AddObject(glider);
        return glider;
    }

    float m_frameTime = 0;
    float m_prevFrameTime = 0;
    double m_clock = 0;
    int32_t m_visible = 0;
};

TEST_F(MissileTest, LaunchSettingsFollowTheKind)
{
    const float pi = std::numbers::pi_v<float>;
    const struct {
        const char* row;
        float life, radius, mass, travelDamping, sideDamping;
        int gravity, style, capacity;
    } cases[] = {
        { "MIS_BULLET", 5.0f, 1.5f, 0.0001f, 0, 0, 0, -1, 0 },
        { "MIS_ROCKET", 5.0f, 1.0f, 20.0f, 1.3f, 2.25f, 0, 3, 1000 },
        { "MIS_CLOUD", 2.0f, 1.0f, 0.0001f, 0, 0, 0, 4, 4000 },
        { "MIS_BOMB", 10.0f, 1.0f, 50.0f, 1.05f, 1.05f, 1, 0, 1000 },
        { "MIS_SMALLBOMB", 10.0f, 1.0f, 0.0f, 1.05f, 1.05f, 1, 0, 500 }, // WEIGHT 0
        { "MIS_BOLT", 2.0f, 2.0f, 0.0001f, 0, 0, 0, -1, 0 },
        { "MIS_WANDERER", 10.0f, 2.0f, 1.0f, 0, 0, 1, 2, 500 },
        { "MIS_DROP", 1.0f, 1.0f, 0.0001f, 0, 0, 1, -1, 0 },
        { "MIS_PIERCER", 2.0f, 2.0f, 0.0001f, 0, 0, 0, -1, 0 },
    };
    for (const auto& c : cases) {
        CMissileObject* m = Fire(c.row, Vec3 { 10, 20, 30 }, Vec3 { 0, 1, 0 });
        SCOPED_TRACE(c.row);
        EXPECT_EQ(m->flying, 1);
        EXPECT_FLOAT_EQ(m->lifeTime, c.life);
        EXPECT_FLOAT_EQ(m->radius, c.radius);
        EXPECT_FLOAT_EQ(m->mass, c.mass);
        EXPECT_FLOAT_EQ(m->travelDamping, c.travelDamping);
        EXPECT_FLOAT_EQ(m->sideDamping, c.sideDamping);
        EXPECT_EQ(m->gravityOn, c.gravity);
        EXPECT_FLOAT_EQ(m->impactTimer, 0.5f);
        EXPECT_EQ(m->trail.ready ? m->trail.style : -1, c.style);
        EXPECT_EQ(m->trail.ready ? m->trail.capacity : 0, c.capacity);
        EXPECT_NEAR(m->velocity.y, g_MissileManager.GetDesc(m->typeIndex).speed, 1e-3f);
    }
    const CMissileObject* rocket = Fire("MIS_ROCKET", Vec3 {}, Vec3 { 1, 0, 0 });
    EXPECT_FLOAT_EQ(rocket->thrust, 120.0f);
    EXPECT_FLOAT_EQ(rocket->turnRate, pi * 2.0f / 120.0f);
    EXPECT_EQ(rocket->steered, 1);
    EXPECT_FLOAT_EQ(Fire("MIS_QUIET", Vec3 {}, Vec3 { 1, 0, 0 })->turnRate, pi * 1.5f);
    // The rocket's trail starts 10 units behind the launch point; the ramp of SUBTYPE 0.
    EXPECT_NEAR(rocket->trail.emitterPoint.x, -10.0f, 1e-4f);
    EXPECT_EQ(rocket->trail.rampColour[0] & 0xFFFFFF, 0xFFE0A0u);
    EXPECT_FLOAT_EQ(rocket->trail.rampTime[3], 0.7f);
    const CMissileObject* cloud = Fire("MIS_CLOUD", Vec3 {}, Vec3 { 1, 0, 0 });
    EXPECT_EQ(cloud->pointSized, 0);
    EXPECT_EQ(cloud->trail.spiral, 1);
    const CMissileObject* wanderer = Fire("MIS_WANDERER", Vec3 {}, Vec3 { 1, 0, 0 });
    EXPECT_EQ(wanderer->hovers, 1);
    EXPECT_EQ(wanderer->steered, 0);
}

TEST_F(MissileTest, ABadRowThrowsAndAnUnknownKindStopsAtItsFirstRunLoggedOncePerRow)
{
    EXPECT_THROW(g_MissileManager.CreateObject(Key(99), CTransform().matrix.m, nullptr), XRangeError);
    EXPECT_THROW(g_MissileManager.CreateObject(Key(-1), CTransform().matrix.m, nullptr), XRangeError);
    EXPECT_EQ(Count(CZJObject::kMissile), 0);
    CMissileObject* a = Fire("MIS_STRANGE", Vec3 { 0, 0, 50 }, Vec3 { 1, 0, 0 });
    CMissileObject* b = Fire("MIS_STRANGE", Vec3 { 0, 0, 50 }, Vec3 { 1, 0, 0 });
    EXPECT_EQ(LogCount("unknown kind 12"), 1);
    a->Run();
    b->Run();
    EXPECT_EQ(a->alive, 0);
    EXPECT_EQ(b->alive, 0);
    EXPECT_EQ(a->moves, 0);
    EXPECT_EQ(Count(CZJObject::kExplosion), 0);
}

TEST_F(MissileTest, WithoutATargetTheRocketWeaves)
{
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    AddGlider(Vec3 { 100, 20, 100 }); // behind it: outside the cone
    GameClock = 100.49;
    m->Run();
    EXPECT_EQ(m->target, nullptr);
    EXPECT_NEAR(m->controlX, std::sin(100.49f * 10.0f) * 0.3f, 1e-4f);
    EXPECT_NEAR(m->controlY, std::cos(100.49f * 10.0f) * 0.1f, 1e-4f);
}

TEST_F(MissileTest, TheSearchRunsOnlyAtHalfSecondMarksAndPicksTheNearestInTheCone)
{
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    AddGlider(Vec3 { 100, 400, 100 });
    TargetGlider* nearer = AddGlider(Vec3 { 110, 300, 100 });
    AddGlider(Vec3 { 100, 700, 100 }); // beyond 500
    GameClock = 100.1;
    m->Run();
    EXPECT_EQ(m->target, nullptr);
    GameClock = 100.49;
    m->Run();
    EXPECT_EQ(m->target, nearer);
    EXPECT_NE(m->controlX, 0.0f);
}

TEST_F(MissileTest, ATargetLeavingTheConeIsDroppedAtOnce)
{
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    TargetGlider* glider = AddGlider(Vec3 { 100, 300, 100 });
    m->target = glider;
    m->Run();
    EXPECT_EQ(m->target, glider);
    glider->frame.SetPosition(Vec3 { 400, 110, 100 }); // sideways
    m->Run();
    EXPECT_EQ(m->target, nullptr);
    m->target = glider;
    glider->frame.SetPosition(Vec3 { 100, 110, 400 }); // straight above
    m->Run();
    EXPECT_EQ(m->target, nullptr);
}

TEST_F(MissileTest, ALockedRocketNeverSearches)
{
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    AddGlider(Vec3 { 100, 300, 100 });
    m->targetLocked = 1;
    GameClock = 100.49;
    m->Run();
    EXPECT_EQ(m->target, nullptr);
}

TEST_F(MissileTest, ThePlayerIsSkippedWhileEvasionIsFittedAndOnAndTheDeadAlways)
{
    const struct {
        uint32_t fitted;
        uint8_t on;
        bool skipped;
    } cases[] = { { 1, 1, true }, { 1, 0, false }, { 0, 1, false } };
    for (const auto& c : cases) {
        ObjectList.Clear();
        CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
        TargetGlider* player = AddGlider(Vec3 { 100, 300, 100 });
        PlayerObject = player;
        PlayerEquipmentFlags[kEqpAntirocketSystem] = c.fitted;
        PlayerControl.AntirocketOn = c.on;
        GameClock = 100.49;
        m->Run();
        EXPECT_EQ(m->target, c.skipped ? nullptr : player) << c.fitted << int(c.on);
        PlayerObject = nullptr;
    }
    ObjectList.Clear();
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    AddGlider(Vec3 { 100, 300, 100 })->dead = 1;
    m->Run();
    EXPECT_EQ(m->target, nullptr);
}

TEST_F(MissileTest, ProximitySplitsWaitForOneAndAHalfSecondsAndTheirRange)
{
    const struct {
        const char* row;
        float distance;
        float lifeTime;
        int subs;
    } cases[] = {
        { "MIS_NEAR", 150, 3.6f, 0 }, // 1.4 s flown
        { "MIS_NEAR", 150, 3.4f, 3 },
        { "MIS_NEAR", 210, 3.4f, 0 },
        { "MIS_CLOSE", 150, 3.4f, 0 },
        { "MIS_CLOSE", 70, 3.4f, 1 },
    };
    for (const auto& c : cases) {
        ObjectList.Clear();
        CMissileObject* m = Fire(c.row, Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
        m->target = AddGlider(Vec3 { 100, 100 + c.distance, 100 });
        m->lifeTime = c.lifeTime + kDt;
        m->Run();
        SCOPED_TRACE(std::string(c.row) + " " + std::to_string(c.distance));
        int subs = 0;
        for (CZJObject* object : ObjectList.Objects())
            subs += object != m && object->type == CZJObject::kMissile ? 1 : 0;
        EXPECT_EQ(subs, c.subs);
        EXPECT_EQ(m->flying, c.subs == 0 ? 1 : 0);
    }
}

TEST_F(MissileTest, ThreeSubsTakeEqualSeededOffsetsOnTheThreeAxes)
{
    CMissileObject* m = Fire("MIS_NEAR", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    TargetGlider* target = AddGlider(Vec3 { 100, 200, 100 });
    m->owner = target;
    m->target = target;
    m->owned = 1;
    SharedRandom = XRandom();
    XRandom expected;
    m->SplitMissile(3, 60.0f, g_MissileManager.GetDesc(m->typeIndex).subMissile.Key());
    std::vector<CMissileObject*> subs;
    for (CZJObject* object : ObjectList.Objects())
        if (object != m && object->type == CZJObject::kMissile)
            subs.push_back(static_cast<CMissileObject*>(object));
    ASSERT_EQ(subs.size(), 3u);
    for (CMissileObject* sub : subs) {
        expected.Get(2.0f);
        expected.Get(2.0f);
        const float r = (expected.Get(2.0f) - 1.0f) * 60.0f;
        EXPECT_NEAR(sub->velocity.x, m->velocity.x + r, 1e-3f);
        EXPECT_NEAR(sub->velocity.y, m->velocity.y + r, 1e-3f);
        EXPECT_NEAR(sub->velocity.z, m->velocity.z + r, 1e-3f);
        EXPECT_EQ(sub->owner, target);
        EXPECT_EQ(sub->target, target);
        EXPECT_EQ(sub->targetLocked, 1);
        EXPECT_EQ(sub->remote, 1); // on the network list
    }
    EXPECT_NE(subs[0]->velocity.x, subs[1]->velocity.x);
    EXPECT_EQ(Count(CZJObject::kExplosion), 1);
}

TEST_F(MissileTest, ARemoteCopyNeverSplitsNorDamages)
{
    CMissileObject* m = Fire("MIS_NEAR", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    m->remote = 1;
    m->owned = 0;
    m->SplitMissile(3, 60.0f, g_MissileManager.GetDesc(m->typeIndex).subMissile.Key());
    EXPECT_EQ(m->flying, 0);
    EXPECT_EQ(Count(CZJObject::kMissile), 1);
    EXPECT_EQ(Count(CZJObject::kExplosion), 0);

    CMissileObject* rocket = Fire("MIS_ROCKET", Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
    rocket->remote = 1;
    TargetGlider* glider = AddGlider(Vec3 { 100, 101, 100 });
    rocket->SetColissionObject(glider, Vec3 { 0, -1, 0 }, Vec3 { 100, 101, 100 });
    EXPECT_TRUE(glider->hits.empty());
    EXPECT_EQ(rocket->flying, 0);
    EXPECT_EQ(Count(CZJObject::kExplosion), 1); // still shown here
}

TEST_F(MissileTest, HitsDamageWithTheKindsWeightAndThePiercerFliesOn)
{
    const struct {
        const char* row;
        int heavy;
        bool fliesOn;
        int explosions;
    } cases[] = {
        { "MIS_BULLET", 0, false, 1 },
        { "MIS_ROCKET", 1, false, 1 },
        { "MIS_CLOUD", 1, false, 0 },
        { "MIS_BOLT", 0, false, 0 },
        { "MIS_PIERCER", 1, true, 0 },
    };
    for (const auto& c : cases) {
        ObjectList.Clear();
        TargetGlider* shooter = AddGlider(Vec3 { 0, 0, 0 });
        CMissileObject* m = Fire(c.row, Vec3 { 100, 100, 100 }, Vec3 { 0, 1, 0 });
        m->owner = shooter;
        TargetGlider* first = AddGlider(Vec3 { 100, 103, 100 });
        TargetGlider* second = AddGlider(Vec3 { 100, 110, 100 });
        first->radius = second->radius = 2.0f;
        m->SetColissionObject(first, Vec3 { 0, -1, 0 }, Vec3 { 100, 101, 100 });
        m->SetColissionObject(second, Vec3 { 0, -1, 0 }, Vec3 { 100, 108, 100 });
        SCOPED_TRACE(c.row);
        ASSERT_EQ(first->hits.size(), 1u);
        EXPECT_EQ(first->hits[0].heavy, c.heavy);
        EXPECT_EQ(first->hits[0].attacker, shooter);
        EXPECT_EQ(first->hits[0].damageClass, -1);
        EXPECT_FLOAT_EQ(first->hits[0].amount, g_MissileManager.GetDesc(m->typeIndex).damage);
        EXPECT_EQ(second->hits.size(), c.fliesOn ? 1u : 0u);
        EXPECT_EQ(m->flying, c.fliesOn ? 1 : 0);
        EXPECT_EQ(Count(CZJObject::kExplosion), c.explosions);
    }
}

TEST_F(MissileTest, AnObjectHitMovesTheMissileToTheSphereAndExplodesThere)
{
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 100, 104, 100 }, Vec3 { 0, 1, 0 });
    m->owner = AddGlider(Vec3 {});
    CZJObject* wall = new CZJObject;
    wall->solid = 1;
    wall->radius = 5.0f;
    wall->frame.SetPosition(Vec3 { 100, 108, 100 });
    ObjectList.AddObject(wall);
    m->SetColissionObject(wall, Vec3 { 0, -1, 0 }, Vec3 { 100, 103, 100 });
    EXPECT_NEAR(m->frame.position.y, 103.0f, 0.01f);
    EXPECT_EQ(m->flying, 0);
    ASSERT_EQ(Count(CZJObject::kExplosion), 1);
    const CZJObject* explosion = ObjectList.Objects().Tail();
    EXPECT_NEAR(explosion->frame.matrix.m[6], -1.0f, 1e-5f); // heading along the normal
    EXPECT_EQ(explosion->owner, m->owner);
}

TEST_F(MissileTest, TheTerrainStopsMissilesOnFlatGroundAndSlopes)
{
    const struct {
        Vec3 start;
        Vec3 velocity;
        float groundZ;
    } cases[] = {
        { { 100, 100, -1 }, { 0, 100, -100 }, 0.0f }, // below flat ground: the crossing
        { { 500, 100, 80 }, { 0, 100, -1000 }, 90.0f }, // below the slope
        { { 100, 100, 3 }, { 0, 0, 300 }, 0.0f }, // above, rising: the ray back along the heading
        { { 100, 100, -4 }, { 0, 400, -200 }, 0.0f }, // the frame before it sat on the ground
    };
    for (const auto& c : cases) {
        ObjectList.Clear();
        CMissileObject* m = Fire("MIS_ROCKET", c.start, c.velocity);
        m->velocity = c.velocity;
        m->Run();
        SCOPED_TRACE(c.start.x + c.start.z);
        EXPECT_EQ(m->flying, 0);
        EXPECT_NEAR(m->frame.position.z, c.groundZ, 0.5f);
        ASSERT_EQ(Count(CZJObject::kExplosion), 1);
        const CZJObject* explosion = ObjectList.Objects().Tail();
        EXPECT_GT(explosion->frame.matrix.m[10], 0.85f); // heading along the ground's normal
    }
    ObjectList.Clear();
    CMissileObject* quiet = Fire("MIS_QUIET", Vec3 { 100, 100, -1 }, Vec3 { 0, 1, -1 });
    quiet->Run();
    EXPECT_EQ(quiet->flying, 0);
    EXPECT_EQ(Count(CZJObject::kExplosion), 0);
}

TEST_F(MissileTest, TheBouncingBombReflectsAndExplodesWhenItsTimeRunsOut)
{
    const struct {
        Vec3 start;
        float factor;
    } cases[] = { { { 100, 100, 0.5f }, 0.5f }, { { 500, 100, 90.5f }, 0.9f } };
    for (const auto& c : cases) {
        ObjectList.Clear();
        CMissileObject* bomb = Fire("MIS_BOMB", c.start, Vec3 { 1, 0, 0 });
        bomb->velocity = Vec3 { 0, 10, -10 };
        const Vec3 n = Physics.GetMapLNormal(c.start, false);
        const float k = Vec3Dot(n, bomb->velocity);
        const Vec3 reflected { -2 * k * n.x, 10 - 2 * k * n.y, -10 - 2 * k * n.z };
        bomb->Run();
        SCOPED_TRACE(c.factor);
        EXPECT_NEAR(bomb->velocity.x, reflected.x * c.factor, 1e-3f);
        EXPECT_NEAR(bomb->velocity.y, reflected.y * c.factor, 1e-3f);
        EXPECT_NEAR(bomb->velocity.z, reflected.z * c.factor, 1e-3f);
        EXPECT_FLOAT_EQ(bomb->lifeTime, 1.0f);
        EXPECT_EQ(bomb->flying, 1);
        // Resting on the ground it still explodes within a second.
        bomb->velocity = Vec3 {};
        int frames = 0;
        while (bomb->flying && frames < 100) {
            bomb->Run();
            ++frames;
        }
        EXPECT_EQ(bomb->flying, 0);
        EXPECT_LE(frames, 51);
        EXPECT_EQ(Count(CZJObject::kExplosion), 1);
    }
}

TEST_F(MissileTest, EndOfLifeGoesByKind)
{
    const struct {
        const char* row;
        int explosions;
        float lingers; // seconds alive after stopping, at least
    } cases[] = {
        { "MIS_BULLET", 0, 0.5f },
        { "MIS_ROCKET", 1, 0.5f }, // its trail fades first
        { "MIS_BOLT", 0, 0.0f },
        { "MIS_DROP", 0, 0.0f },
        { "MIS_PIERCER", 0, 0.0f },
    };
    for (const auto& c : cases) {
        ObjectList.Clear();
        CMissileObject* m = Fire(c.row, Vec3 { 100, 100, 200 }, Vec3 { 0, 1, 0 });
        for (int i = 0; i < 5; ++i) {
            m->SetPosition(Vec3 { 100, 102.0f + 2.0f * float(i), 200 });
            m->Run();
        }
        m->lifeTime = 0.01f;
        m->Run();
        SCOPED_TRACE(c.row);
        EXPECT_EQ(m->flying, 0);
        EXPECT_EQ(Count(CZJObject::kExplosion), c.explosions);
        float alive = 0.0f;
        while (m->alive && alive < 5.0f) {
            m->Run();
            alive += kDt;
        }
        EXPECT_EQ(m->alive, 0);
        EXPECT_GE(alive + kDt, c.lingers);
        if (std::string(c.row) == "MIS_BULLET") {
            EXPECT_NEAR(alive, 0.5f, 0.05f);
        }
        EXPECT_TRUE(m->trail.IsEmpty());
    }
}

TEST_F(MissileTest, AMissileBeyondTenViewRangesIsDeletedAtOnce)
{
    CCamera camera;
    camera.frame.SetPosition(Vec3 { 0, 0, 0 });
    CameraObject = &camera;
    VisibleRadius = 100;
    CMissileObject* near = Fire("MIS_ROCKET", Vec3 { 0, 990, 0 }, Vec3 { 0, 1, 0 });
    CMissileObject* far = Fire("MIS_ROCKET", Vec3 { 0, 1010, 0 }, Vec3 { 0, 1, 0 });
    near->Run();
    far->Run();
    EXPECT_EQ(far->alive, 0);
    EXPECT_FLOAT_EQ(far->lifeTime, 5.0f); // nothing else happened
    EXPECT_EQ(near->alive, 1);
    CameraObject = nullptr;
}

TEST_F(MissileTest, TheRecordIs125BytesAndFindsItsOwnerByNetworkId)
{
    TargetGlider* shooter = AddGlider(Vec3 { 0, 0, 0 });
    shooter->networkId = 0x00300007;
    ObjectList.AddToExtraList(shooter);
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 { 10, 20, 30 }, Vec3 { 0, 1, 0 });
    m->owner = shooter;
    uint8_t record[200] = {};
    int size = 0;
    m->PackNetState(record, &size);
    ASSERT_EQ(size, 125);
    EXPECT_EQ(m->netDirty, 0);
    EXPECT_EQ(NetWire::Get<uint32_t>(record, NetWire::Missile::kOwner), 0x00300007u);
    EXPECT_EQ(record[NetWire::Missile::kState], 1);
    NetWire::Put<uint16_t>(record, NetWire::Record::kLength, uint16_t(size));
    record[NetWire::Missile::kState] = 0;

    auto* copy = new CMissileObject;
    ObjectList.AddObject(copy);
    int read = 0;
    copy->UnpackNetState(record, &read);
    EXPECT_EQ(read, 125);
    EXPECT_EQ(copy->owner, shooter);
    EXPECT_EQ(copy->flying, 0);
    EXPECT_NEAR(copy->frame.position.y, 20.0f, 1e-4f);

    // A moving record without the extension leaves the owner and the state alone.
    auto* other = new CMissileObject;
    ObjectList.AddObject(other);
    other->flying = 1;
    NetWire::Put<uint16_t>(record, NetWire::Record::kLength, uint16_t(NetWire::Moving::kSize));
    other->UnpackNetState(record, &read);
    EXPECT_EQ(read, 120);
    EXPECT_EQ(other->owner, nullptr);
    EXPECT_EQ(other->flying, 1);
}

TEST_F(MissileTest, DeletionsClearTheOwnerAndTheTargetWithItsLock)
{
    CMissileObject* m = Fire("MIS_ROCKET", Vec3 {}, Vec3 { 0, 1, 0 });
    TargetGlider* glider = AddGlider(Vec3 { 0, 100, 0 });
    m->owner = glider;
    m->target = glider;
    m->targetLocked = 1;
    m->ProcessDelete(glider);
    EXPECT_EQ(m->owner, nullptr);
    EXPECT_EQ(m->target, nullptr);
    EXPECT_EQ(m->targetLocked, 0);
}

} // namespace

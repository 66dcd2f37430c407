// The gun tower: how it picks a target, alerts, keeps or drops it, the limits of its aim, and its
// shots through the turret model's muzzle.
#include "tests/ai/machine_fixture.h"
#include "tests/render/model_fixture.h"
#include "tests/world/objects/translation.h"

#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XRangeError.h"
#include "tools/map/map_writer.h"
#include "world/db/CTowerManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTowerObject.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <array>

#include <cmath>
#include <numbers>
#include <string>

namespace {

class TowerTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        UseTables(AllTables({
            { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=3\n" },
            { "Оборудование", EquipmentTable() },
            { "Оружие", "[GUN_L]\n[GUN_H]\n" },
            { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n" },
            { "Конфигурации", FullRow("CFG_ONE") },
            { "Tower", "[TWR_A]\nGUN=GUN_L\n" },
        }));
        ZJEngine.ZJInit();
        FrameTime = 0.1f;
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(129, 129);
        WriteBytes("Data/flat.zjp", zoq::tools::map::WriteMap(map));
        const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\flat.zjp";
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        machine.ApplyConfig(FerrovantConfigList.Find("CFG_ONE"), false, 0);
        tower = new CTowerObject;
        tower->Init(TranslationAt(kTower).m, MakeNameKey32("TWR_A"), "");
        ObjectList.AddObject(tower);
    }
    void TearDown() override
    {
        ObjectList.Clear();
        Location.ClearCellObjects();
        Location.Purge();
        MachineTest::TearDown();
    }

    CGliderObject* Glider(float away, bool armed = false)
    {
        auto* glider = new CGliderObject;
        glider->Init(TranslationAt(Vec3 { kTower.x + away, kTower.y, kTower.z }).m, MakeNameKey32("GL_A"));
        glider->AssignFerrovant(&machine);
        if (armed) {
            glider->guns[CGliderObject::kLightGun].assigned = 1;
            glider->guns[CGliderObject::kLightGun].reloadTimer = 1.0f;
        }
        ObjectList.AddObject(glider);
        return glider;
    }

    static constexpr Vec3 kTower { 600.0f, 600.0f, 10.0f };
    CFerrovant machine;
    CTowerObject* tower = nullptr;
};

TEST_F(TowerTest, RangeIsAtLeast500AndAMissingRowThrows)
{
    EXPECT_FLOAT_EQ(tower->range, 500.0f);
    EXPECT_EQ(tower->gun.owner, tower);
    CTowerObject missing;
    EXPECT_THROW(missing.Init(TranslationAt(kTower).m, MakeNameKey32("TWR_NONE"), ""), XRangeError);
}

TEST_F(TowerTest, SeekPrefersAnArmedGliderTenTimesFartherAndNeverOneAtTheRange)
{
    CGliderObject* nearUnarmed = Glider(30.0f);
    CGliderObject* farArmed = Glider(300.0f, true);
    EXPECT_EQ(tower->Seek(), farArmed);
    ObjectList.DeleteObject(farArmed);
    farArmed->alive = 0;
    EXPECT_EQ(tower->Seek(), nearUnarmed);
    nearUnarmed->alive = 0;
    Glider(500.0f);
    EXPECT_EQ(tower->Seek(), nullptr) << "exactly at the range";
}

TEST_F(TowerTest, TiesKeepTheEarlierGlider)
{
    Glider(100.0f);
    Glider(-100.0f);
    SObjectQuery order {};
    ObjectList.GetRealTimeObjectList(kTower, tower->range, CZJObject::kGlider, order);
    ASSERT_EQ(order.count, 2);
    EXPECT_EQ(tower->Seek(), order.objects[0]) << "the first in the query's order";
}

TEST_F(TowerTest, OnlyAGlidersHitAlerts)
{
    CGliderObject* glider = Glider(800.0f);
    CZJObject stone;
    stone.type = CZJObject::kStone;
    tower->Damage(1.0f, Vec3 {}, 0, &stone, -1);
    EXPECT_EQ(tower->target, nullptr);
    EXPECT_EQ(tower->alerted, 0);
    tower->Damage(1.0f, Vec3 {}, 0, glider, -1);
    EXPECT_EQ(tower->target, glider);
    EXPECT_EQ(tower->alerted, 1);
    EXPECT_FLOAT_EQ(tower->aggression, 5.0f);
    EXPECT_EQ(tower->burstReady, 0);
}

TEST_F(TowerTest, AnAlertedTowerKeepsItsTargetTo1000)
{
    CGliderObject* glider = Glider(900.0f);
    tower->Alert(glider);
    tower->Run();
    EXPECT_EQ(tower->target, glider);
    glider->SetPosition(Vec3 { kTower.x + 1001.0f, kTower.y, kTower.z });
    tower->Run();
    EXPECT_EQ(tower->target, nullptr);
}

TEST_F(TowerTest, AggressionAboveFiveAgainstAnArmedTargetAlerts)
{
    CGliderObject* glider = Glider(100.0f, true);
    tower->Run();
    ASSERT_EQ(tower->target, glider);
    EXPECT_EQ(tower->alerted, 0);
    for (int i = 0; i < 200 && !tower->alerted; ++i) {
        glider->guns[CGliderObject::kLightGun].reloadTimer = 1.0f;
        tower->Run();
    }
    EXPECT_EQ(tower->alerted, 1);
    EXPECT_GT(tower->aggression, 5.0f);
}

TEST_F(TowerTest, YawAndPitchStayWithinTheirLimits)
{
    constexpr float kPi = std::numbers::pi_v<float>;
    for (const Vec3& offset :
        { Vec3 { 20.0f, 0.0f, 400.0f }, Vec3 { -30.0f, -5.0f, -300.0f }, Vec3 { 0.0f, -40.0f, 0.0f } }) {
        CGliderObject* glider = Glider(0.0f);
        glider->SetPosition(Vec3 { kTower.x + offset.x, kTower.y + offset.y, kTower.z + offset.z });
        tower->Alert(glider);
        for (int i = 0; i < 300; ++i) {
            tower->Run();
            ASSERT_LE(std::fabs(tower->yaw), kPi);
            ASSERT_LE(std::fabs(tower->pitch), kPi / 3.0f + 1e-6f);
            ASSERT_LE(std::fabs(tower->yawRate), CTowerObject::kMaxYawRate);
        }
        glider->alive = 0;
        glider->dead = 1;
    }
}

TEST_F(TowerTest, ADeletedTargetIsForgotten)
{
    CGliderObject* glider = Glider(100.0f);
    tower->Alert(glider);
    tower->ProcessDelete(glider);
    EXPECT_EQ(tower->target, nullptr);
}

// A tower whose turret is the writer's gun model, its "FX" marker the muzzle, on a flat map with
// a wall 100 high along x 1140..1160, east of the tower beyond the gun's own 100-unit
// terrain margin (all in one cell off the grid's edge row
// and column, which rays meet only as their origin's cell).
class TowerFireTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
        WriteModel("turret.mdl", Kind("gun"));
        WriteModel("glider.mdl", Kind("glider"));
        Models({ { "MOD_TURRET", "turret.mdl", "0" }, { "MOD_GLIDER", "glider.mdl", "0" } });
        AddTable(CP1251("Глайдеры"), { { "GL_A", { { "MODEL", "MOD_GLIDER" }, { "STANDARD", "2" } } } });
        AddTable(CP1251("Оружие"),
            { { "GUN_T",
                { { "TYPE", "2" }, { "ShootType", "1" }, { "RATEOFFIRE", "60" }, { "DAMAGE", "10" } } } });
        AddTable("Tower", { { "TWR_T", { { "Model", "MOD_TURRET" }, { "GUN", "GUN_T" } } } });
        AddTable(CP1251("Организации"), { { "ORG_PLAYER", { { "ICON", "1" } } } });
        ZJEngine.ZJInit();
        FrameTime = 0.02f;
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(257, 257);
        for (int gy = 0; gy < map.height; ++gy) {
            for (int gx = 114; gx <= 116; ++gx)
                map.heights[map.PointIndex(gx, gy)] = 100.0f;
        }
        WriteBytes("wall.zjp", zoq::tools::map::WriteMap(map));
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open("wall.zjp"));
        Map::Load(Location);
        g_PakManager.CloseFile();
        ASSERT_NE(g_PakManager.OpenXFile("wall.zjp", Location.streamFile), 0);
        Location.streamOpen = 1;
        tower = new CTowerObject;
        tower->Init(TranslationAt(kTower).m, MakeNameKey32("TWR_T"), "");
        ObjectList.AddObject(tower);
    }
    void TearDown() override
    {
        ObjectList.Clear();
        Location.ClearCellObjects();
        Location.Purge();
        Location.streamFile.Close();
        Location.streamOpen = 0;
        ModelTest::TearDown();
    }

    // An armed glider at the offset from the tower.
    CGliderObject* Glider(const Vec3& offset)
    {
        auto* glider = new CGliderObject;
        glider->Init(TranslationAt(Vec3 { kTower.x + offset.x, kTower.y + offset.y, kTower.z + offset.z }).m,
            MakeNameKey32("GL_A"));
        glider->guns[CGliderObject::kLightGun].assigned = 1;
        glider->guns[CGliderObject::kLightGun].reloadTimer = 1.0f;
        ObjectList.AddObject(glider);
        return glider;
    }

    static constexpr Vec3 kTower { 1000.0f, 1000.0f, 10.0f };
    CTowerObject* tower = nullptr;
};

TEST_F(TowerFireTest, FiresThroughTheMuzzleOnlyWhenTheTargetIsNearestOnTheRay)
{
    constexpr float kPi = std::numbers::pi_v<float>;
    const struct {
        const char* name;
        Vec3 target;
        bool between; // another glider halfway
        float yaw; // the turret facing the target
        bool fires;
    } kCases[] = {
        { "clear to the north", { 0, 100, 0 }, false, 0.0f, true },
        { "behind the wall to the east", { 200, 0, 0 }, false, kPi / 2, false },
        { "another glider nearer", { 0, 100, 0 }, true, 0.0f, false },
    };
    for (const auto& c : kCases) {
        CGliderObject* target = Glider(c.target);
        CGliderObject* other
            = c.between ? Glider(Vec3 { c.target.x * 0.5f, c.target.y * 0.5f, c.target.z }) : nullptr;
        tower->target = target;
        tower->yaw = c.yaw;
        tower->pitch = 0.0f;
        tower->gun.Reset();
        tower->gun.assigned = 1;
        tower->gun.owner = tower;
        tower->Fire();
        EXPECT_EQ(tower->gun.timeSinceShot == 0.0f, c.fires) << c.name;
        if (c.fires) {
            // The shot leaves the "FX" marker (its box frame's centre) turned by the yaw.
            const Vec3 start = tower->gun.shotStarts[0];
            EXPECT_NEAR(start.x, kTower.x, 0.2f) << c.name;
            EXPECT_NEAR(start.y, kTower.y + 1.25f, 0.2f) << c.name;
            EXPECT_NEAR(start.z, kTower.z, 0.2f) << c.name;
            // It ends on the target, short of the gun's range.
            Vec3 miss;
            Vec3Sub(miss, tower->gun.shotEnds[0], target->frame.position);
            EXPECT_LE(Vec3Length(miss), target->radius + 1.0f) << c.name;
        }
        for (CGliderObject* glider : { target, other }) {
            if (glider) {
                glider->alive = 0;
                glider->dead = 1;
                ObjectList.DeleteObject(glider);
            }
        }
        ObjectList.Pack();
    }
    EXPECT_EQ(tower->target, nullptr) << "the deleted target is forgotten";
}

TEST_F(TowerFireTest, RunTurnsOntoAnArmedGliderAndFires)
{
    CGliderObject* target = Glider(Vec3 { -150.0f, 60.0f, 0.0f });
    bool fired = false;
    for (int i = 0; i < 500 && !fired; ++i) {
        target->guns[CGliderObject::kLightGun].reloadTimer = 1.0f;
        tower->Run();
        fired = tower->gun.timeSinceShot < 0.5f; // reset by the shot, then aged by the gun's run
    }
    EXPECT_TRUE(fired);
    EXPECT_EQ(tower->target, target);

    // Behind the wall it turns onto the glider but never fires.
    target->SetPosition(Vec3 { kTower.x + 200.0f, kTower.y + 60.0f, kTower.z });
    tower->gun.Reset();
    tower->gun.assigned = 1;
    tower->gun.owner = tower;
    for (int i = 0; i < 500; ++i) {
        target->guns[CGliderObject::kLightGun].reloadTimer = 1.0f;
        tower->Run();
        ASSERT_GE(tower->gun.timeSinceShot, 1.5f) << i;
    }
    EXPECT_EQ(tower->target, target);
}

} // namespace

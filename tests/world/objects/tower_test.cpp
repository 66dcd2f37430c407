// The gun tower: how it picks a target, alerts, keeps or drops it, and the limits of its aim.
#include "tests/ai/machine_fixture.h"

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

#include <cmath>
#include <numbers>
#include <string>

namespace {

Matrix4 At(const Vec3& p)
{
    Matrix4 m;
    Matrix4Identity(m);
    m.m[12] = p.x;
    m.m[13] = p.y;
    m.m[14] = p.z;
    return m;
}

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
        tower->Init(At(kTower).m, MakeNameKey32("TWR_A"), "");
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
        glider->Init(At(Vec3 { kTower.x + away, kTower.y, kTower.z }).m, MakeNameKey32("GL_A"));
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
    EXPECT_THROW(missing.Init(At(kTower).m, MakeNameKey32("TWR_NONE"), ""), XRangeError);
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

} // namespace

// The first-use preparations that read a row's model: animation channels, glider mounts and
// damage points, building doors, effect points of lanterns and towers, weapon runtime fields.
#include "tests/render/model_fixture.h"

#include "foundation/CTimer.h"
#include "foundation/XRandom.h"
#include "render/CModel.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGun.h"
#include "world/db/CGunManager.h"
#include "world/db/CLanternManager.h"
#include "world/db/CTowerManager.h"
#include "world/db/CZJEngine.h"

#include <cstring>

namespace {

using namespace zoq::tools::model;

void Rename(char (&name)[12], const char* text)
{
    std::memset(name, 0, sizeof name);
    std::strncpy(name, text, sizeof name - 1);
}

class ModelPreparationTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
        WriteModel("glider.mdl", Kind("glider"));
        SModelFile building = Kind("building");
        Rename(building.parts[0].model->channels[0].name, "OPEN");
        WriteModel("building.mdl", building);
        WriteModel("stone.mdl", Kind("stone"));
        SModelFile gun = Kind("gun");
        SModelFile glider = Kind("glider");
        gun.parts[0].model->channels
            = { glider.parts[0].model->channels[1], glider.parts[0].model->channels[2] };
        Rename(gun.parts[0].model->channels[0].name, "FIRE");
        Rename(gun.parts[0].model->channels[1].name, "OPEN");
        gun.parts[0].model->channelCount = 2;
        WriteModel("gun.mdl", gun);
        // A glider whose "FIRE" part has no marker frame (three vertices).
        SModelFile broken = Kind("stone");
        MeshBuilder tiny;
        tiny.Add({ { 0, 0, 0 }, { 0, 0, 1 }, { 0, 0 } });
        tiny.Add({ { 1, 0, 0 }, { 0, 0, 1 }, { 0, 0 } });
        tiny.Add({ { 0, 1, 0 }, { 0, 0, 1 }, { 0, 0 } });
        tiny.AddTriangle(0, 1, 2);
        broken.parts.push_back(ModelPart(modelfile::kPartModel, "FIRE", "TEX_SAMPLECOLOR", tiny.Build()));
        WriteModel("broken.mdl", broken);
        WriteModel("flash.mdl", Kind("flash"));
        Models({ { "MOD_GLIDER", "glider.mdl", "1" }, { "MOD_BUILDING", "building.mdl", "1" },
            { "MOD_STONE", "stone.mdl", "1" }, { "MOD_GUN", "gun.mdl", "1" },
            { "MOD_BROKEN", "broken.mdl", "1" }, { "MOD_FLASH", "flash.mdl", "1" } });
        AddTable(CP1251("Глайдеры"),
            { { "GL_FULL", { { "MODEL", "MOD_GLIDER" } } }, { "GL_PLAIN", { { "MODEL", "MOD_STONE" } } },
                { "GL_BROKEN", { { "MODEL", "MOD_BROKEN" } } }, { "GL_NONE", {} } });
        AddTable(CP1251("Здания"),
            { { "BLD_DOORS", { { "Model", "MOD_BUILDING" } } },
                { "BLD_PLAIN", { { "Model", "MOD_STONE" } } } });
        AddTable(CP1251("Оружие"),
            { { "GUN_FULL", { { "Model", "MOD_GUN" } } }, { "GUN_PLAIN", { { "Model", "MOD_STONE" } } },
                { "GUN_NONE", {} },
                { "GUN_LIGHT",
                    { { "Model", "MOD_GUN" }, { "FXMODEL", "MOD_FLASH" }, { "TYPE", "0" },
                        { "RColor", "1" } } },
                { "GUN_BEAM",
                    { { "Model", "MOD_GUN" }, { "FXMODEL", "MOD_FLASH" }, { "TYPE", "2" }, { "VTYPE", "1" },
                        { "ShootType", "6" }, { "XSTATE", "3" } } } });
        AddTable(CP1251("Фонари"), { { "LAMP", { { "Model", "MOD_GUN" } } } });
        AddTable("Tower",
            { { "TOWER", { { "Model", "MOD_GUN" } } }, { "TOWER_PLAIN", { { "Model", "MOD_STONE" } } } });
        g_GliderManager.Init(CP1251("Глайдеры"));
        g_BuildingManager.Init(CP1251("Здания"));
        g_GunManager.Init(CP1251("Оружие"));
        g_LanternManager.Init(CP1251("Фонари"));
        g_TowerManager.Init("Tower");
    }
};

TEST_F(ModelPreparationTest, AnimationChannelsPreferAccelOnlyWhenItComesLater)
{
    SModelFile file = Kind("glider"); // ROTATE 0, FORWARD 1, STRAFE 2, JUMP 3
    struct Case {
        int renamed;
        const char* name;
        int forward;
    };
    for (const Case& c : { Case { 3, "ACCEL", 3 }, Case { 0, "ACCEL", 1 }, Case { 1, "WALK", -1 } }) {
        SCOPED_TRACE(c.renamed);
        SModelFile copy = file;
        Rename(copy.parts[0].model->channels[size_t(c.renamed)].name, c.name);
        auto object = Load(copy);
        SAnimChannels channels {};
        GetAnimChannels(object->GetPartObject(0), channels);
        EXPECT_EQ(channels.forward, c.forward);
        EXPECT_EQ(channels.idle, -1);
    }
    SAnimChannels none {};
    GetAnimChannels(nullptr, none);
    EXPECT_EQ(none.rotate, -1);
    EXPECT_EQ(none.forward, -1);
}

TEST_F(ModelPreparationTest, AGliderRowTakesItsMountsChannelsAndDamagePoints)
{
    g_GliderManager.InitGlider(0);
    const SGliderType& full = g_GliderManager.GetDesc(0);
    EXPECT_EQ(full.prepared, 1);
    EXPECT_EQ(full.body.rotate, 0);
    EXPECT_EQ(full.body.forward, 1);
    EXPECT_EQ(full.body.strafe, 2);
    EXPECT_EQ(full.body.jump, 3);
    for (int m = 0; m < SGliderType::kMountCount; ++m)
        EXPECT_EQ(full.mounts[m].part, m + 1) << m;
    for (int m = 0; m < 3; ++m)
        EXPECT_NE(full.mountCorners[m][0], -1) << m;
    ASSERT_EQ(full.pointCount, 8);
    EXPECT_EQ(full.pointMasks[7], 0x80u);
    EXPECT_NEAR(full.points[0].x, -0.5f, 1e-5f);
    EXPECT_NEAR(full.points[0].y, -2.1f, 1e-5f);
    EXPECT_FALSE(LogExists());

    g_GliderManager.InitGlider(1);
    const SGliderType& plain = g_GliderManager.GetDesc(1);
    EXPECT_EQ(plain.prepared, 1);
    EXPECT_EQ(plain.mounts[SGliderType::kFire].part, -1);
    EXPECT_EQ(plain.pointCount, 0);
    EXPECT_FALSE(LogExists());

    g_GliderManager.InitGlider(2);
    EXPECT_EQ(g_GliderManager.GetDesc(2).mounts[SGliderType::kFire].part, 2);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "TransData error in GL_BROKEN");

    g_GliderManager.InitGlider(3); // no model: nothing
    EXPECT_EQ(g_GliderManager.GetDesc(3).prepared, 0);
    g_GliderManager.InitGlider(-1);
    EXPECT_THROW(g_GliderManager.InitGlider(4), XRangeError);
}

TEST_F(ModelPreparationTest, ABuildingRowTakesItsDoorBoxesAndAnimation)
{
    g_BuildingManager.InitBuilding(0);
    const SBuildingType& doors = g_BuildingManager.GetDesc(0);
    EXPECT_EQ(doors.prepared, 1);
    EXPECT_EQ(doors.doorAnimation, 0);
    const SDoorBox& into = doors.doors[0];
    EXPECT_LT(into.min[1], -6.0f + 1e-3f);
    EXPECT_GT(into.max[1], -6.0f - 1e-3f);
    EXPECT_LE(into.min[0], into.max[0]);
    EXPECT_NEAR((doors.doors[2].min[1] + doors.doors[2].max[1]) * 0.5f, -8.0f, 0.2f);

    g_BuildingManager.InitBuilding(1);
    const SBuildingType& plain = g_BuildingManager.GetDesc(1);
    EXPECT_EQ(plain.prepared, 1);
    EXPECT_EQ(plain.doorAnimation, -1);
    EXPECT_EQ(plain.doors[0].max[2], 0.0f);
}

TEST_F(ModelPreparationTest, AWeaponTakesItsEffectPointsMuzzleAndAnimations)
{
    g_GunManager.InitGun(0);
    const SGunType& full = g_GunManager.GetGun(0);
    EXPECT_EQ(full.prepared, 1);
    EXPECT_EQ(full.effectPoints[0], 1);
    EXPECT_EQ(full.effectPoints[1], 2);
    EXPECT_EQ(full.effectPoints[2], 3);
    EXPECT_NEAR(full.muzzleOffset.y, 1.25f, 0.1f);
    EXPECT_EQ(full.fireAnimation, 0);
    EXPECT_EQ(full.openAnimation, 1);
    EXPECT_EQ(full.hasOpenAnimation, 1);

    g_GunManager.InitGun(1);
    const SGunType& plain = g_GunManager.GetGun(1);
    EXPECT_EQ(plain.effectPoints[0], -1);
    EXPECT_EQ(plain.muzzleOffset.y, 0.0f);
    EXPECT_EQ(plain.fireAnimation, -1);
    EXPECT_EQ(plain.openAnimation, -1);
    EXPECT_EQ(plain.hasOpenAnimation, 0);

    g_GunManager.InitGun(2);
    const SGunType& none = g_GunManager.GetGun(2);
    EXPECT_EQ(none.effectPoints[0], -1);
    EXPECT_EQ(none.openAnimation, 0);
    EXPECT_EQ(none.fireAnimation, 0);
    EXPECT_THROW(g_GunManager.InitGun(5), XRangeError);
}

TEST_F(ModelPreparationTest, LanternsAndTowersTakeTheirEffectPoint)
{
    g_LanternManager.InitLantern(0);
    EXPECT_EQ(g_LanternManager.GetDesc(0).prepared, 1);
    EXPECT_EQ(g_LanternManager.GetDesc(0).fxPart, 1);
    EXPECT_NE(g_LanternManager.GetDesc(0).fxCorners[0], -1);
    g_TowerManager.InitTower(0);
    EXPECT_EQ(g_TowerManager.GetDesc(0).fxPart, 1);
    g_TowerManager.InitTower(1);
    EXPECT_EQ(g_TowerManager.GetDesc(1).prepared, 1);
    EXPECT_EQ(g_TowerManager.GetDesc(1).fxPart, -1);
    EXPECT_FALSE(LogExists());
}

TEST_F(ModelPreparationTest, AGunDrawsAtItsBarrelsAndChoosesItsFlashFrame)
{
    enum { kLight = 3, kBeam = 4 };
    CGun gun;
    gun.Reset();
    gun.Assign(SItemRecord { { kLight } });
    const Matrix4 frame { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 10, 0, 0, 1 } };
    const Matrix4 mount { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 3, 0, 1 } };
    ZJEngine.ids2[CZJEngine::kModGunCorbel] = 2;
    gun.Draw(frame, mount, -1);
    ZJEngine.ids2[CZJEngine::kModGunCorbel] = -1;
    EXPECT_FLOAT_EQ(gun.barrelMatrix.m[12], 12.0f);
    EXPECT_FLOAT_EQ(gun.mirroredMatrix.m[12], 8.0f);
    EXPECT_EQ(g_GunManager.GetGun(kLight).prepared, 1);

    // A plain weapon runs its atlas of 4 x 4 frames once in the half second of the flash.
    gun.timeSinceShot = 0.1f;
    gun.DrawEffect(false, -1);
    EXPECT_EQ(gun.lastFlashFrame, 3);
    gun.lastFlashFrame = -1;
    gun.timeSinceShot = 0.6f;
    gun.DrawEffect(false, -1);
    EXPECT_EQ(gun.lastFlashFrame, -1);

    // A beam starts, burns and dies through its frames.
    gun.Assign(SItemRecord { { kBeam } });
    gun.Draw(frame, mount, -1);
    struct Case {
        float envelope;
        int fireCounter;
        int frame;
    };
    GameClock = 1.0;
    for (const Case& c : { Case { 0.1f, 2, 1 }, Case { 0.1f, 0, 14 }, Case { 0.25f, 2, 4 + 64 % 8 } }) {
        gun.trigger = c.envelope;
        gun.fireCounter = c.fireCounter;
        gun.DrawEffect(false, -1);
        EXPECT_EQ(gun.lastFlashFrame, c.frame) << c.envelope << " " << c.fireCounter;
    }
}

TEST_F(ModelPreparationTest, AnElectricArcRunsFromTheMuzzleToTheShotEndAndKeepsTheGenerator)
{
    CGun gun;
    gun.Reset();
    gun.Assign(SItemRecord { { 4 } });
    const Matrix4 frame { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } };
    gun.Draw(frame, frame, -1);
    gun.aim = Vec3 { 0, 1, 0 };
    gun.shotLength = 50.0f;
    gun.shotEnds[0] = Vec3 { 0, 50, 0 };
    gun.timeSinceShot = 0.1f;
    const uint32_t seed = SharedRandom.seed;
    const Matrix4 point { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1 } };
    gun.DrawShoot(6, point, point);
    EXPECT_EQ(SharedRandom.seed, seed);
    ASSERT_EQ(gun.arcSegments, 6);
    EXPECT_FLOAT_EQ(gun.arcPoints[0].y, 1.0f);
    EXPECT_FLOAT_EQ(gun.arcPoints[6].y, 53.0f);
    EXPECT_FLOAT_EQ(gun.arcPoints[5].x, 0.0f); // the last inner point has no jitter
    uint32_t zWrite = 0;
    ASSERT_EQ(Device().GetRenderState(plat::gfx::RenderState::ZWriteEnable, zWrite), plat::gfx::Result::Ok);
    EXPECT_EQ(zWrite, 1u);
}

TEST_F(ModelPreparationTest, ShotLightsFollowTheWeaponClassAndBarrel)
{
    CGun gun;
    gun.Reset();
    const Matrix4 frame { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } };
    const Matrix4 mount { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 2, 0, 0, 1 } };
    struct Case {
        int gun;
        int barrel;
        bool first, second;
        float range;
    };
    for (const Case& c : { Case { 3, 0, true, true, 5.0f }, Case { 4, 0, true, false, 30.0f } }) {
        gun.Assign(SItemRecord { { uint32_t(c.gun) } });
        gun.currentBarrel = c.barrel;
        gun.trigger = 0.1f;
        g_GunManager.InitGun(c.gun);
        gun.SetShotLights(frame, mount);
        bool on = false;
        Device().GetLightEnable(10, on);
        EXPECT_EQ(on, c.first) << c.gun;
        Device().GetLightEnable(11, on);
        EXPECT_EQ(on, c.second) << c.gun;
        plat::gfx::Light light;
        Device().GetLight(10, light);
        EXPECT_FLOAT_EQ(light.range, c.range);
        EXPECT_NEAR(light.position.x, 2.0f + g_GunManager.GetGun(c.gun).muzzleOffset.x, 1e-4f);
        Device().GetLight(11, light);
        EXPECT_NEAR(light.position.x, -2.0f + g_GunManager.GetGun(c.gun).muzzleOffset.x, 1e-4f);
    }
    DisableShotLights();
    bool on = true;
    Device().GetLightEnable(10, on);
    EXPECT_FALSE(on);
}

} // namespace

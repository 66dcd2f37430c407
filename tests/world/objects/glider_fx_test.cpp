// The glider's weapons and drawing on the null device: mounts and their refusals, the bomb's
// launch values, the aim of FIXCURSOR, the nozzles of a burning hull, the morph weights and the
// hit marks' opacity.
#include "tests/render/model_fixture.h"

#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "world/db/CGliderManager.h"
#include "world/db/CGunManager.h"
#include "world/db/CMissileManager.h"
#include "world/db/CZJEngine.h"
#include "world/db/ResourceIds.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"

#include <cmath>
#include <cstring>

namespace {

class GliderFxTest : public ModelTest {
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        Start(
            { { "TEX_FIRE_GLOW2", "glow.png" }, { "TEX_FLAME", "flame.png" }, { "TEX_FORCE", "force.png" } });

        SModelFile hull = Kind("glider");
        WriteModel("glider.mdl", hull);
        std::erase_if(
            hull.parts, [](const SModelPartBlock& p) { return std::strcmp(p.record.name, "LIGHTGUN") == 0; });
        WriteModel("nolight.mdl", hull);
        WriteModel("flame.mdl", Kind("flame", "TEX_FLAME"));
        SModelFile force = Kind("thing", "TEX_FORCE");
        force.parts.front().model->frameGrid = 4;
        WriteModel("force.mdl", force);
        Models({ { "MOD_GLIDER", "glider.mdl", "0" }, { "MOD_NOLIGHT", "nolight.mdl", "0" },
            { "MOD_GL_FIRE", "flame.mdl", "1" }, { "MOD_FX_FORCE_3", "force.mdl", "2" } });
        AddTable(CP1251("Глайдеры"),
            { { "GL_A", { { "MODEL", "MOD_GLIDER" }, { "STANDARD", "2" } } },
                { "GL_NOLIGHT", { { "MODEL", "MOD_NOLIGHT" }, { "STANDARD", "2" } } } });
        AddTable(CP1251("Оружие"),
            { { "GUN_L", { { "ShootType", "2" }, { "MISSILE", "MIS_ROCKET" } } },
                { "GUN_H", { { "ShootType", "2" }, { "MISSILE", "MIS_ROCKET" } } },
                { "GUN_BOMB_LAUNCHER", { { "ShootType", "5" }, { "MISSILE", "MIS_BOMB" } } },
                { "GUN_ROCKET_LAUNCHER", { { "ShootType", "2" }, { "MISSILE", "MIS_ROCKET" } } } });
        AddTable(CP1251("Снаряды"),
            { { "MIS_ROCKET", { { "TYPE", "2" }, { "SPEED", "100" } } },
                { "MIS_BOMB", { { "TYPE", "4" }, { "SPEED", "10" }, { "EXPLO", "EXP_BIG" } } } });
        AddTable(CP1251("Взрывы"), { { "EXP_BIG", { { "RADIUS", "20" } } } });
        AddTable(CP1251("Организации"), { { "ORG_PLAYER", { { "ICON", "1" } } } });
        ZJEngine.ZJInit();
        m_savedFixCursor = g_FixCursor;
        FrameTime = 0.02f;
        GameClockF32 = 0.0f;
        machine.energy = 1.0e6f;
    }
    void TearDown() override
    {
        EffectRenderManager.ResetFrame(); // drops the entries Draw left for this glider
        ObjectList.Clear();
        PlayerObject = nullptr;
        g_FixCursor = m_savedFixCursor;
        GliderAnimation = 1;
        ModelTest::TearDown();
    }

    // A glider of the row at (x, 0, 10) facing +y, riding the test's machine, the guns of the
    // weapon rows given (nullptr: none) on mounts 0..3.
    void Make(const char* row, std::initializer_list<const char*> weapons)
    {
        const float placement[16] = { 1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 10, 1 };
        glider.Init(placement, MakeNameKey32(row));
        SItemRecord hull {};
        hull.words[0] = uint32_t(g_GliderManager.FindRow(row));
        glider.SetGliderType(hull);
        glider.ferrovant = &machine;
        int mount = 0;
        for (const char* weapon : weapons) {
            SItemRecord item {};
            item.words[0] = uint32_t(weapon ? g_GunManager.FindRow(weapon) : -1);
            glider.guns[mount].Assign(item);
            glider.guns[mount++].owner = &glider;
        }
    }
    // Draws since the mark whose first texture is the row's.
    int DrawsWith(const char* texture, size_t from)
    {
        CTexture* t = m_textures->GetTexture(FindTextureId(texture));
        const uint32_t id = t && t->GetTexture() ? t->GetTexture()->Id() : 0;
        int n = 0;
        const auto& draws = Null().Draws();
        for (size_t i = from; i < draws.size(); ++i)
            n += draws[i].textures[0] == id ? 1 : 0;
        return n;
    }

    CFerrovant machine;
    CGliderObject glider;
    uint8_t m_savedFixCursor = 1;
};

TEST_F(GliderFxTest, MountsFireOnlyWithTheirPartAndTheBombWithOneBombLeft)
{
    Make("GL_NOLIGHT", { "GUN_L", "GUN_H", nullptr, "GUN_BOMB_LAUNCHER" });
    PlayerObject = &glider;
    glider.Fire(CGliderObject::kLightGun, 1.0f);
    EXPECT_EQ(glider.guns[0].assigned, 0) << "no light-gun mount: the gun is switched off";
    EXPECT_EQ(glider.guns[0].fireCounter, 0);
    glider.Fire(CGliderObject::kHeavyGun, 1.0f);
    EXPECT_EQ(glider.guns[1].fireCounter, 2);

    CGun& bombs = glider.guns[3];
    bombs.ammo = 0.5f;
    glider.Fire(CGliderObject::kBombLauncher, 1.0f);
    EXPECT_EQ(bombs.fireCounter, 0);
    Vec3 point, velocity;
    float radius = -1.0f;
    glider.GetLaunchParams(point, velocity, radius, 2.0f);
    EXPECT_EQ(Vec3Length(velocity), 0.0f);
    EXPECT_EQ(radius, 0.0f);

    bombs.ammo = 2.0f;
    glider.GetLaunchParams(point, velocity, radius, 2.0f);
    EXPECT_NEAR(Vec3Length(velocity), 20.0f, 1e-4f); // power 2 x SPEED 10
    EXPECT_GT(velocity.z, 0.0f) << "thrown a little upwards";
    EXPECT_FLOAT_EQ(radius, 20.0f);
    glider.Fire(CGliderObject::kBombLauncher, 1.0f);
    EXPECT_EQ(bombs.fireCounter, 2);

    EXPECT_THROW(glider.Fire(4, 1.0f), XRangeError);
}

TEST_F(GliderFxTest, FixCursorAimsAlongTheHullInsteadOfTheAimDirection)
{
    Make("GL_A", { "GUN_L" });
    PlayerObject = &glider;
    glider.aimDirection = Vec3 { 1.0f, 0.0f, 0.0f };
    struct Case {
        uint8_t fix;
        Vec3 aim;
    };
    for (const Case& c : { Case { 0, { 1, 0, 0 } }, Case { 1, { 0, 1, 0 } } }) {
        SCOPED_TRACE(int(c.fix));
        g_FixCursor = c.fix;
        glider.Fire(CGliderObject::kLightGun, 1.0f);
        EXPECT_NEAR(glider.guns[0].aim.x, c.aim.x, 1e-5f);
        EXPECT_NEAR(glider.guns[0].aim.y, c.aim.y, 1e-5f);
    }
}

TEST_F(GliderFxTest, ABurningNozzleDrawsNeitherFlameNorGlow)
{
    Make("GL_A", {});
    glider.engineLevel = glider.engineLevel2 = 20.0f;
    struct Case {
        uint32_t damage;
        int nozzles;
    };
    for (const Case& c : { Case { 0, 2 }, Case { 1, 1 }, Case { 2, 1 }, Case { 3, 0 } }) {
        SCOPED_TRACE(c.damage);
        glider.nozzleDamage = c.damage;
        const size_t from = Null().Draws().size();
        glider.DrawEffect(1);
        EXPECT_EQ(DrawsWith("TEX_FIRE_GLOW2", from), c.nozzles);
        EXPECT_EQ(DrawsWith("TEX_FLAME", from), 3 * c.nozzles) << "three flame parts a nozzle";
    }
}

TEST_F(GliderFxTest, MorphWeightsFollowTheSettingAndAreScaledWhenTheyAddUpAboveOne)
{
    Make("GL_A", {});
    const SAnimChannels& channels = glider.Type()->body;
    // Fast along the hull's forward (column 2) and up (column 1) axes: both leans saturate.
    glider.velocity = Vec3 { 0.0f, 500.0f, 500.0f };
    GliderAnimation = 0;
    glider.Draw();
    for (float w : glider.morphWeights)
        EXPECT_EQ(w, 0.0f);

    GliderAnimation = 1;
    glider.Draw();
    ASSERT_GE(channels.forward, 0);
    ASSERT_GE(channels.strafe, 0);
    // The hull has no idle channel; bank is 0 for a level glider.
    ASSERT_EQ(channels.idle, -1);
    const float root = std::sqrt(2.0f);
    EXPECT_NEAR(glider.morphWeights[channels.forward], 1.0f / root, 1e-5f);
    EXPECT_NEAR(glider.morphWeights[channels.strafe], 1.0f / root, 1e-5f);
    if (channels.jump >= 0) {
        EXPECT_EQ(glider.morphWeights[channels.jump], 0.0f);
    }
}

TEST_F(GliderFxTest, AHitMarkIsOpaqueInItsFirstFrameThenFadesByItsDamage)
{
    Make("GL_A", {});
    Matrix4 identity;
    Matrix4Identity(identity);
    struct Case {
        float life;
        uint32_t alpha; // of the texture factor
    };
    // amount 50: strength 0.5; frame 1 shows (0.5 + 1) / 2.
    for (const Case& c : { Case { 0.25f, 255 }, Case { 0.25f - 1.5f / 64.0f, 191 }, Case { 0.1f, 127 } }) {
        SCOPED_TRACE(c.life);
        glider.hitMarks[0] = SGliderHitMark { identity, c.life, 1, 50.0f };
        const size_t from = Null().Draws().size();
        glider.DrawEffect(2);
        ASSERT_GT(Null().Draws().size(), from);
        const auto& draw = Null().Draws()[from];
        EXPECT_EQ(draw.render[size_t(plat::gfx::RenderState::TextureFactor)] >> 24, c.alpha);
    }
    EXPECT_THROW(glider.DrawEffect(22), XRangeError);
}

TEST_F(GliderFxTest, MorphChannelsAndTheMeshFrameOfAnElement)
{
    const float source[6] = { 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f };
    const int32_t sourceTable[5] = { 2, -1, 0, 4, 5 };
    const int32_t targetTable[5] = { 0, 1, -1, 3, 2 };
    float target[6] = { 9, 9, 9, 9, 9, 9 };
    CGliderObject::CopyMorphChannels(source, sourceTable, target, targetTable);
    EXPECT_EQ(std::vector<float>(target, target + 6), (std::vector<float> { 0.3f, 0.0f, 0.6f, 0.5f, 9, 9 }));
    const int32_t outside[5] = { 6, -1, -1, -1, -1 };
    EXPECT_THROW(CGliderObject::CopyMorphChannels(source, sourceTable, target, outside), XRangeError);

    // The glider hull's box: vertices 0, 1, 2 and 5 give a frame placed at vertex 2.
    std::unique_ptr<CComplexObject> hull = Load(Kind("glider"));
    const float none[4] = {};
    const Matrix4 frame = CGliderObject::MeshFrame(hull.get(), none);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(Vec3Length(Vec3 { frame.m[c], frame.m[4 + c], frame.m[8 + c] }), 1.0f, 1e-5f);
    EXPECT_EQ(frame.m[15], 1.0f);
    Matrix4 identity;
    Matrix4Identity(identity);
    const Matrix4 none4 = CGliderObject::MeshFrame(nullptr, none);
    EXPECT_EQ(std::vector<float>(none4.m, none4.m + 16), std::vector<float>(identity.m, identity.m + 16));
}

} // namespace

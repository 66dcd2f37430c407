// The rays of shot kinds 1 and 7 on the null device: one per barrel, kind 7 with an additive glow,
// their fade and texture repeat, and the device states put back after them.
#include "tests/render/model_fixture.h"

#include "foundation/CTimer.h"
#include "platform/gfx/device.h"
#include "platform/gfx/null/null_backend.h"
#include "world/db/CGun.h"
#include "world/db/CGunManager.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"

#include <cmath>

namespace {

using plat::gfx::Blend;
using plat::gfx::RenderState;

struct EffectVertex {
    float x, y, z;
    uint32_t diffuse;
    float u0, v0, u1, v1;
};

class GunRaysTest : public ModelTest {
protected:
    enum Gun { kLaser, kBolt, kDouble, kDoubleClass1, kPulse };

    void SetUp() override
    {
        ModelTest::SetUp();
        Start();
        AddTable(CP1251("Оружие"),
            {
                { "GUN_LASER",
                    { { "ShootType", "1" }, { "ShootScale", "10" }, { "XSTATE", "3" }, { "TYPE", "2" },
                        { "ShootTex", "TEX_SAMPLECOLOR" }, { "ShootTex1", "TEX_WIDE" } } },
                { "GUN_BOLT",
                    { { "ShootType", "7" }, { "ShootScale", "10" }, { "XSTATE", "1" }, { "TYPE", "2" } } },
                { "GUN_DOUBLE", { { "ShootType", "1" }, { "DoubleGun", "1" }, { "TYPE", "0" } } },
                { "GUN_DOUBLE_1", { { "ShootType", "1" }, { "DoubleGun", "1" }, { "TYPE", "1" } } },
                { "GUN_PULSE", { { "ShootType", "8" }, { "ShootScale", "2" }, { "TYPE", "2" } } },
            });
        g_GunManager.Init(CP1251("Оружие"));
        EffectRenderManager.Init(1);
        Device().SetTransform(plat::gfx::Transform::View, plat::gfx::Matrix::Identity());
    }
    void TearDown() override
    {
        EffectRenderManager.FreeBuffers();
        PlayerObject = nullptr;
        ModelTest::TearDown();
    }

    // Draws the gun's shot from a muzzle at (0, 1, 0) and (0, -1, 0), aimed along +x for 100;
    // the draws it made.
    size_t Shoot(int index, float trigger, int fireCounter, CZJObject* owner = nullptr)
    {
        m_gun.Reset();
        m_gun.owner = owner;
        m_gun.Assign(SItemRecord { { uint32_t(index) } });
        m_gun.aim = Vec3 { 1, 0, 0 };
        m_gun.shotLength = 100.0f;
        m_gun.shotVisibility = 1.0f;
        m_gun.trigger = trigger;
        m_gun.fireCounter = fireCounter;
        const Matrix4 one { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1 } };
        const Matrix4 two { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, 0, 1 } };
        const size_t before = Null().Draws().size();
        m_gun.DrawShoot(g_GunManager.GetGun(index).shotKind, one, two);
        return Null().Draws().size() - before;
    }
    uint32_t DrawnState(size_t back, RenderState state)
    {
        const auto& draws = Null().Draws();
        return draws[draws.size() - 1 - back].render[size_t(state)];
    }
    static const EffectVertex* Beam()
    {
        return reinterpret_cast<const EffectVertex*>(EffectRenderManager.BeamData().vertices);
    }

    CGun m_gun;
};

TEST_F(GunRaysTest, KindOneDrawsOneBlendedRayWhoseRepeatFollowsTheFan)
{
    Device().SetRenderState(RenderState::AlphaBlendEnable, 0);
    Device().SetRenderState(RenderState::DestBlend, plat::gfx::StateValue(Blend::Zero));
    ASSERT_EQ(Shoot(kLaser, 0.3f, 2), 1u);
    EXPECT_EQ(DrawnState(0, RenderState::AlphaBlendEnable), 1u);
    EXPECT_EQ(DrawnState(0, RenderState::DestBlend), plat::gfx::StateValue(Blend::InvSrcAlpha));
    EXPECT_EQ(DrawnState(0, RenderState::CullMode), plat::gfx::StateValue(plat::gfx::Cull::None));
    EXPECT_EQ(DrawnState(0, RenderState::ZWriteEnable), 0u);
    const EffectVertex* v = Beam();
    // Half-width 10 x 0.1, from the first muzzle along +x; r = 1 / (3 + 1) reaches the beam.
    EXPECT_FLOAT_EQ(v[0].x, 0.0f);
    EXPECT_FLOAT_EQ(std::fabs(v[1].z - v[0].z), 2.0f);
    EXPECT_FLOAT_EQ(v[6].x, 100.0f);
    EXPECT_FLOAT_EQ(v[6].y, 1.0f);
    EXPECT_FLOAT_EQ(v[4].v0, 100.0f / 2.0f * 0.25f);
    // Brightness 2 x 0.3 while held: pair 0 at f = 0.6.
    EXPECT_EQ(v[0].diffuse >> 24, uint32_t((0.75f - 0.6f) * 1020.0f));

    uint32_t blend = 1;
    uint32_t dest = 0;
    Device().GetRenderState(RenderState::AlphaBlendEnable, blend);
    Device().GetRenderState(RenderState::DestBlend, dest);
    EXPECT_EQ(blend, 0u);
    EXPECT_EQ(dest, plat::gfx::StateValue(Blend::Zero));

    // Released: brightness 0.5; invisible: nothing.
    ASSERT_EQ(Shoot(kLaser, 0.3f, 0), 1u);
    EXPECT_EQ(Beam()[0].diffuse >> 24, 255u);
    EXPECT_EQ(Beam()[2].diffuse >> 24, 127u);
    m_gun.shotVisibility = 0.0f;
    const size_t before = Null().Draws().size();
    m_gun.DrawShoot(1, Matrix4 {}, Matrix4 {});
    EXPECT_EQ(Null().Draws().size(), before);
}

TEST_F(GunRaysTest, KindSevenAddsAWiderAdditiveRay)
{
    ASSERT_EQ(Shoot(kBolt, 0.1f, 2), 2u);
    EXPECT_EQ(DrawnState(1, RenderState::DestBlend), plat::gfx::StateValue(Blend::InvSrcAlpha));
    EXPECT_EQ(DrawnState(0, RenderState::DestBlend), plat::gfx::StateValue(Blend::One));
    const EffectVertex* v = Beam();
    EXPECT_FLOAT_EQ(std::fabs(v[1].z - v[0].z), 2.0f * 10.0f * 0.3f);
    EXPECT_FLOAT_EQ(v[4].v0, 100.0f / 6.0f * 0.5f / 2.0f);
}

TEST_F(GunRaysTest, DoubleGunsDrawBothBarrelsUnlessOfClassOne)
{
    EXPECT_EQ(Shoot(kDouble, 0.5f, 2), 2u);
    EXPECT_FLOAT_EQ(Beam()[0].y, -1.0f);
    EXPECT_EQ(Shoot(kDoubleClass1, 0.5f, 2), 1u);
    EXPECT_FLOAT_EQ(Beam()[0].y, 1.0f);
}

TEST_F(GunRaysTest, APulsePassesItsWidthAsTheTextureRepeat)
{
    m_gun.Reset();
    m_gun.Assign(SItemRecord { { uint32_t(kPulse) } });
    m_gun.shotLength = 100.0f;
    m_gun.timeSinceShot = 0.1f;
    m_gun.shotEnds[m_gun.currentBarrel] = Vec3 { 100, 1, 0 };
    const Matrix4 one { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1 } };
    m_gun.DrawShoot(8, one, one);
    // Half-width 2, repeat 2 x 0.1, untiled from offset 0: v = 100 / 4 x 0.2 at the end.
    const EffectVertex* v = Beam();
    EXPECT_FLOAT_EQ(v[0].v0, 0.0f);
    EXPECT_FLOAT_EQ(v[4].v0, 5.0f);
    EXPECT_FLOAT_EQ(v[6].v0, 5.0f);
}

TEST_F(GunRaysTest, ThePlayersRayStartsBehindAnUnseenGlider)
{
    CZJObject glider;
    glider.visible = 0;
    glider.frame.matrix = Matrix4 { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } };
    PlayerObject = &glider;
    ASSERT_EQ(Shoot(kLaser, 0.5f, 2, &glider), 1u);
    const EffectVertex* v = Beam();
    EXPECT_FLOAT_EQ((v[0].z + v[1].z) * 0.5f, -10.0f);
    EXPECT_FLOAT_EQ((v[6].z + v[7].z) * 0.5f, 0.0f);
    glider.visible = 1;
    ASSERT_EQ(Shoot(kLaser, 0.5f, 2, &glider), 1u);
    EXPECT_FLOAT_EQ((Beam()[0].z + Beam()[1].z) * 0.5f, 0.0f);
}

} // namespace

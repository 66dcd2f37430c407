// The explosion: its area damage and impulse, who deals it, its life and light, the counts of its
// stages (sparks by camera distance, front-loaded sub-explosions, evenly spread splinters) and the
// clamps on rows that reach past what it holds.
#include "tests/world/objects/explo_fixture.h"

#include "foundation/XRangeError.h"
#include "platform/gfx/null/null_backend.h"
#include "render/CModelManager.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/Mesh.h"
#include "render/TexShaderManager.h"
#include "tests/support/device_windows.h"
#include "world/objects/CCamera.h"
#include "world/terrain/CLightWare.h"

#include <cmath>
#include <memory>
#include <string>

namespace {

const char* const kRows = "[EXP_AREA]\nDAMAGE=100\nRADIUS=20\nIMPULSE=50\n"
                          "[EXP_SHORT]\nTYPE0=1\nDURATION0=0.2\n"
                          "[EXP_LIGHT]\nLIGHTRADIUS=30\nLIGHTCOLOR=0x204080\n"
                          "[EXP_SPLINTERS]\nTYPE0=11\nNUM0=5\nDURATION0=1\nSPEED0=20\nXTYPE0=2\n"
                          "[EXP_LEAF]\n"
                          "[EXP_SUBS]\nTYPE0=10\nNUM0=10\nDURATION0=1\nID1_0=EXP_LEAF\nSCALE0=5\n"
                          "[EXP_SPARKS]\nTYPE0=5\nNUM0=16\nSPEED0=10\nXSTATE0=4\nYSTATE0=4\n"
                          "[EXP_WIDE]\nTYPE0=6\nNUM0=100\nNTEX0=50\nXSTATE0=-2\nYSTATE0=0\n"
                          "TYPE1=2\nXSTATE1=-1\nTYPE2=5\nNUM2=40\nTYPE3=7\nNUM3=40\nSPEED3=5\n"
                          "TYPE4=8\nNUM4=40\nTYPE5=9\nNUM5=40\nTYPE6=1\nNTEX6=0\n";

class ExplosionTest : public ExploTest {
protected:
    void SetUp() override
    {
        ExploTest::SetUp();
        UseExplosions(kRows);
        UseMap([](int, int) { return 0.0f; });
    }
};

TEST_F(ExplosionTest, AreaDamageIsFullNearTheCentreFallsOffAndEndsAtRadiusPlusTheGlidersRadius)
{
    // R 20, glider radius 2: full below m = 12, f = 1 - ((m - d) / m)^2 up to d < 22, none from 22.
    struct Case {
        float d;
        float f; // < 0: no hit
    };
    const Case cases[] = { { 0.0f, 1.0f }, { 11.9f, 1.0f }, { 12.0f, 1.0f }, { 17.0f, 1.0f - 25.0f / 144.0f },
        { 21.9f, 1.0f - (9.9f / 12.0f) * (9.9f / 12.0f) }, { 22.0f, -1.0f }, { 40.0f, -1.0f } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d);
        ObjectList.Clear();
        CZJObject* shooter = AddGlider(Vec3 { 100, 100, 0 }, 2.0f);
        const Vec3 centre { 300, 300, 20 };
        DamageGlider* glider = AddGlider(Vec3 { 300 + c.d * 0.6f, 300 + c.d * 0.8f, 20 }, 2.0f);
        CExploObject* explosion = Make("EXP_AREA", centre);
        explosion->owner = shooter;
        Frame();
        Frame();
        if (c.f < 0.0f) {
            EXPECT_TRUE(glider->hits.empty());
            EXPECT_TRUE(glider->impulses.empty());
            continue;
        }
        ASSERT_EQ(glider->hits.size(), 1u); // once, not every frame
        EXPECT_NEAR(glider->hits[0].amount, 100.0f * c.f, 1e-3f);
        EXPECT_EQ(glider->hits[0].heavy, 1);
        EXPECT_EQ(glider->hits[0].attacker, shooter);
        EXPECT_EQ(glider->hits[0].damageClass, -1);
        EXPECT_FLOAT_EQ(glider->hits[0].point.x, centre.x);
        ASSERT_EQ(glider->impulses.size(), 1u);
        const Vec3& push = glider->impulses[0];
        if (c.d > 0.0f) { // along the line from the centre
            EXPECT_NEAR(push.x, 0.6f * 50.0f * c.f, 1e-3f);
            EXPECT_NEAR(push.y, 0.8f * 50.0f * c.f, 1e-3f);
        }
    }
}

TEST_F(ExplosionTest, OnlyTheOwningGameDamagesAndDeadGlidersAreSpared)
{
    struct Case {
        uint8_t remote, owned, dead;
        bool hit;
    };
    for (const Case c : { Case { 0, 0, 0, true }, Case { 1, 1, 0, true }, Case { 1, 0, 0, false },
             Case { 0, 0, 1, false } }) {
        SCOPED_TRACE(testing::Message() << int(c.remote) << int(c.owned) << int(c.dead));
        ObjectList.Clear();
        DamageGlider* glider = AddGlider(Vec3 { 305, 300, 0 }, 2.0f);
        glider->dead = c.dead;
        CExploObject* explosion = Make("EXP_AREA", Vec3 { 300, 300, 0 });
        explosion->remote = c.remote;
        explosion->owned = c.owned;
        Frame();
        EXPECT_EQ(glider->hits.size(), c.hit ? 1u : 0u);
        EXPECT_EQ(glider->impulses.size(), c.hit ? 1u : 0u);
        EXPECT_EQ(explosion->damageDone, 1);
    }
}

TEST_F(ExplosionTest, ABadRowThrowsAndLeavesNothingBehind)
{
    NameKey32 key {};
    const int32_t row = g_ExploManager.RowCount();
    std::memcpy(key.text, &row, 4);
    const Matrix4 m = TranslationAt(Vec3 { 10, 10, 0 });
    EXPECT_THROW(g_ExploManager.CreateObject(key, m.m, nullptr), XRangeError);
    const int32_t none = -1;
    std::memcpy(key.text, &none, 4);
    EXPECT_THROW(g_ExploManager.CreateObject(key, m.m, nullptr), XRangeError);
    EXPECT_EQ(Count(CZJObject::kExplosion), 0);
}

TEST_F(ExplosionTest, ItLivesAtLeastHalfASecondOfExplosionTimeThenLeaves)
{
    CExploObject* explosion = Make("EXP_SHORT", Vec3 { 300, 300, 0 });
    EXPECT_FLOAT_EQ(explosion->remaining, 0.5f);
    EXPECT_GE(explosion->timeRate, 0.666f);
    EXPECT_LE(explosion->timeRate, 1.3274f);
    int frames = 0;
    while (explosion->alive && frames < 1000) {
        FrameTime = 0.02f;
        explosion->Run();
        ++frames;
    }
    EXPECT_FALSE(explosion->alive);
    EXPECT_GE(explosion->elapsed, 0.5f);
    EXPECT_LT(explosion->elapsed, 0.5f + 0.02f * 1.33f);
    ObjectList.Pack();
    EXPECT_EQ(Count(CZJObject::kExplosion), 0);
}

TEST_F(ExplosionTest, TheLightPeaksAtAFifthOfASecondAndIsOffAfterTwo)
{
    CExploObject* dark = Make("EXP_AREA", Vec3 { 300, 300, 0 });
    EXPECT_EQ(dark->effectInView, 0);
    CExploObject* explosion = Make("EXP_LIGHT", Vec3 { 300, 300, 0 });
    ASSERT_EQ(explosion->effectInView, 1);
    EXPECT_EQ(explosion->effectWhenHidden, 1);
    const plat::gfx::ColorValue colour
        = plat::gfx::ToColorValue(g_ExploManager.GetDesc(g_ExploManager.FindRow("EXP_LIGHT")).lightColor);
    struct Case {
        float elapsed;
        float intensity; // < 0: no light
    };
    for (const Case c : { Case { 0.1f, 0.25f }, Case { 0.2f, 1.0f }, Case { 0.4f, 0.25f },
             Case { 2.0f, 0.01f }, Case { 2.01f, -1.0f } }) {
        SCOPED_TRACE(c.elapsed);
        LightWare.ClearLights();
        explosion->elapsed = c.elapsed;
        explosion->PreDraw();
        if (c.intensity < 0.0f) {
            EXPECT_EQ(LightWare.Count(), 0);
            EXPECT_EQ(explosion->effectInView, 0);
            EXPECT_EQ(explosion->effectWhenHidden, 0);
            continue;
        }
        ASSERT_EQ(LightWare.Count(), 1);
        const plat::gfx::Light& light = *LightWare.lights.At(0).light;
        EXPECT_EQ(light.type, plat::gfx::LightType::Point);
        EXPECT_NEAR(light.diffuse.r, colour.r * 20.0f * c.intensity, 1e-4f);
        EXPECT_NEAR(light.ambient.b, colour.b * 20.0f * c.intensity, 1e-4f);
        EXPECT_FLOAT_EQ(light.diffuse.a, colour.a);
        EXPECT_FLOAT_EQ(light.range, 30.0f);
        EXPECT_NEAR(light.attenuation2, std::sqrt(c.intensity) * 0.04f, 1e-6f);
    }
    LightWare.ClearLights();
}

TEST_F(ExplosionTest, SplintersComeEvenlyOverTheStageAndNeverMoreThanNum)
{
    CExploObject* explosion = Make("EXP_SPLINTERS", Vec3 { 300, 300, 0 });
    explosion->baseVelocity = Vec3 { 0, 0, 100 };
    std::vector<int> counts;
    while (InList(explosion) && counts.size() < 100) {
        Frame(0.05f); // destroys it once it has gone
        counts.push_back(Count(CZJObject::kSplinter));
    }
    ASSERT_GT(counts.size(), 10u);
    EXPECT_LT(counts[2], 5);
    EXPECT_GT(counts[counts.size() / 2], 0);
    EXPECT_EQ(counts.back(), 5);
    for (CZJObject* object : ObjectList.Objects()) {
        if (object->type != CZJObject::kSplinter)
            continue;
        auto* splinter = static_cast<CSplinterObject*>(object);
        EXPECT_EQ(splinter->variant, 2); // the stage's XTYPE
        EXPECT_GT(splinter->velocity.z, 0.0f); // the base velocity lifts them all
    }
}

TEST_F(ExplosionTest, SubExplosionsComeFrontLoadedAndFollowTheOwner)
{
    CZJObject* carrier = AddGlider(Vec3 { 300, 300, 0 }, 2.0f);
    CExploObject* explosion = Make("EXP_SUBS", Vec3 { 300, 300, 0 });
    explosion->AttachTo(carrier);
    explosion->timeRate = 1.0f;
    std::vector<int> made;
    for (int k = 0; k < 60; ++k) {
        FrameTime = 0.02f;
        explosion->Run();
        int subs = 0;
        for (CZJObject* object : ObjectList.Objects())
            subs += object->type == CZJObject::kExplosion && object != explosion ? 1 : 0;
        made.push_back(subs);
    }
    // After frame k the count stands at truncate(10 sqrt(0.02 (k + 1))).
    EXPECT_EQ(made[0], 1);
    EXPECT_EQ(made[10], 4);
    EXPECT_EQ(made[23], 6);
    EXPECT_EQ(made[24], 7); // half the time, 70 % of them
    EXPECT_EQ(made.back(), 10);
    for (CZJObject* object : ObjectList.Objects()) {
        if (object->type != CZJObject::kExplosion || object == explosion)
            continue;
        auto* sub = static_cast<CExploObject*>(object);
        EXPECT_EQ(sub->typeIndex, g_ExploManager.FindRow("EXP_LEAF"));
        EXPECT_EQ(sub->owner, carrier);
        EXPECT_EQ(sub->attached, 1);
        EXPECT_LE(Vec3Length(sub->attachOffset), 5.0f + 1e-4f);
    }
    // The owner moves: the attached explosion follows; once deleted, it stays.
    carrier->frame.SetPosition(Vec3 { 310, 300, 0 });
    explosion->Run();
    EXPECT_FLOAT_EQ(explosion->frame.position.x, 310.0f);
    ObjectList.DeleteObject(carrier);
    ObjectList.NotifyDelete(carrier);
    EXPECT_EQ(explosion->owner, nullptr);
    explosion->Run();
    EXPECT_FLOAT_EQ(explosion->frame.position.x, 310.0f);
}

TEST_F(ExplosionTest, SparksThinWithTheCamerasDistance)
{
    CCamera camera;
    CameraObject = &camera;
    struct Case {
        float distance;
        int sparks;
    };
    for (const Case c : { Case { 50, 16 }, Case { 150, 8 }, Case { 250, 2 }, Case { 350, 0 } }) {
        SCOPED_TRACE(c.distance);
        camera.frame.SetPosition(Vec3 { 300 + c.distance, 300, 0 });
        CExploObject* explosion = Make("EXP_SPARKS", Vec3 { 300, 300, 0 });
        EXPECT_EQ(explosion->stageFrame[0], c.sparks);
        EXPECT_EQ(explosion->Particles(0).Count(), c.sparks);
        for (const CExploObject::SParticle& spark : explosion->Particles(0)) {
            EXPECT_GE(spark.frame, 0);
            EXPECT_LT(spark.frame, 16);
        }
    }
    CameraObject = nullptr;
}

TEST_F(ExplosionTest, RowsBeyondWhatTheObjectHoldsAreClampedAndLoggedOncePerRow)
{
    for (int k = 0; k < 3; ++k) {
        CExploObject* explosion = Make("EXP_WIDE", Vec3 { 300, 300, 0 });
        EXPECT_EQ(explosion->Particles(0).Count(), CExploObject::kMaxParticles); // NUM 100
        EXPECT_GE(explosion->stageTexture[0], 0);
        EXPECT_LT(explosion->stageTexture[0], 10); // NTEX 50
        EXPECT_EQ(explosion->stageFrame[1], 0); // a 1 x 1 sheet
        EXPECT_EQ(explosion->stageTexture[6], 0); // NTEX 0
        for (int i : { 2, 3, 4 })
            EXPECT_EQ(explosion->Particles(i).Count(), 40);
        EXPECT_GT(explosion->stageSmoke[5].Count(), 30);
        for (int f = 0; f < 20; ++f) {
            FrameTime = 0.05f;
            explosion->Run();
            explosion->DrawEffect(0);
        }
        for (int i = 0; i < CExploObject::kStages; ++i)
            for (const CExploObject::SParticle& p : explosion->Particles(i))
                EXPECT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.z));
    }
    EXPECT_EQ(LogCount("EXP_WIDE NUM 100 cut to 64"), 1);
}

TEST_F(ExplosionTest, ShellsGrowAndFadeAndTheSmokeRingLiesOnItsCircle)
{
    UseExplosions("[EXP_RING]\nTYPE0=8\nNUM0=4\nSCALE0=10\nDURATION0=1\nOPACITY0=0.5\n"
                  "TYPE1=9\nNUM1=20\nSCALE1=10\nDURATION1=1\nSPEED1=5\n");
    CExploObject* explosion = Make("EXP_RING", Vec3 { 300, 300, 0 });
    ASSERT_EQ(explosion->Particles(0).Count(), 4);
    EXPECT_FLOAT_EQ(explosion->Particles(0).At(0).alpha, 0.99f);
    EXPECT_FLOAT_EQ(explosion->Particles(0).At(3).size, 4.0f);
    explosion->timeRate = 1.0f;
    explosion->elapsed = 0.25f;
    FrameTime = 0.02f;
    explosion->Run();
    // p = 0.25: k = 0 has g = 0.3, size (0.7 x 0.5 + 0.3) x 10.
    EXPECT_NEAR(explosion->Particles(0).At(0).size, 6.5f, 1e-4f);
    EXPECT_NEAR(explosion->Particles(0).At(0).alpha, 0.75f, 1e-6f);
    const CSmoke& ring = explosion->stageSmoke[1];
    EXPECT_NEAR(ring.Count(), 20, 2);
    for (int k = 0; k < ring.Count(); ++k) {
        const Vec3& p = ring.Puff(k).position;
        const float r = std::hypot(p.x - 300.0f, p.y - 300.0f);
        EXPECT_GT(r, 9.8f); // on the chords of the circle of radius 10, pushed out by 0.1
        EXPECT_LT(r, 10.2f);
    }
}

// On the null device with the shader and model managers: every stage kind that draws itself
// submits geometry while it plays, and nothing before its delay.
class ExplosionDrawTest : public ExplosionTest {
protected:
    void SetUp() override
    {
        ExplosionTest::SetUp();
        plat::gfx::null::ResetConfig();
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 0, 1, plat::gfx::PresentInterval::Default, true, &m_window));
        m_shaders = std::make_unique<TexShaderManager>(false);
        ASSERT_TRUE(m_shaders->Init(false));
        g_TexShaderManager = m_shaders.get();
        m_models = std::make_unique<CModelManager>();
        m_models->Init();
        g_pModelManager = m_models.get();
    }
    void TearDown() override
    {
        g_pModelManager = nullptr;
        m_models.reset();
        g_TexShaderManager = nullptr;
        m_shaders.reset();
        Mesh::ResetStreamCache();
        ClearStageTextureCache();
        g_Graphic.Release();
        plat::gfx::null::ResetConfig();
        ExplosionTest::TearDown();
    }
    size_t Draws() { return plat::gfx::null::FromDevice(*g_Graphic.GetDevice())->Draws().size(); }

private:
    zoq::test::FakeWindow m_window { 640, 480 };
    std::unique_ptr<TexShaderManager> m_shaders;
    std::unique_ptr<CModelManager> m_models;
};

TEST_F(ExplosionDrawTest, EveryDrawnStageKindSubmitsWhilePlaying)
{
    std::string rows;
    for (int kind = 1; kind <= 8; ++kind)
        rows += "[EXP_K" + std::to_string(kind) + "]\nTYPE0=" + std::to_string(kind)
            + "\nDELAY0=0.5\nDURATION0=1\nSCALE0=4\nNUM0=6\nSPEED0=5\nXSTATE0=2\nYSTATE0=2\nMAPCOLOR0="
            + std::to_string(kind % 2) + "\n";
    UseExplosions(rows);
    for (int kind = 1; kind <= 8; ++kind) {
        SCOPED_TRACE(kind);
        CExploObject* explosion = Make(("EXP_K" + std::to_string(kind)).c_str(), Vec3 { 300, 300, 0 });
        FrameTime = 0.02f;
        const size_t before = Draws();
        explosion->DrawEffect(0);
        EXPECT_EQ(Draws(), before); // not yet begun
        explosion->elapsed = 0.9f;
        explosion->Run();
        explosion->DrawEffect(0);
        EXPECT_GT(Draws(), before);
    }
}

} // namespace

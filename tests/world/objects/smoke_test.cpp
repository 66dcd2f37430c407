#include "foundation/CViewFrame.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "platform/gfx/null/null_backend.h"
#include "render/CModelManager.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "tests/support/device_windows.h"
#include "tests/support/error_log_test.h"
#include "world/objects/CSmoke.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kStyles[] = { CSmoke::kStyleQuads, CSmoke::kStyleScatter, CSmoke::kStyleDrift,
    CSmoke::kStyleRamp, CSmoke::kStylePoints };

class SmokeTest : public zoq::test::WorkingDirLogTest {
protected:
    void SetUp() override
    {
        WorkingDirLogTest::SetUp();
        SeedRand(1);
        SharedRandom.seed = 1;
        m_savedView = ViewFrame;
        Camera({ 0, -100, 0 }, { 0, 1, 0 });
    }
    void TearDown() override
    {
        ViewFrame = m_savedView;
        g_Graphic.Release();
        WorkingDirLogTest::TearDown();
    }

    static void Camera(const Vec3& position, const Vec3& forward)
    {
        ViewFrame.position = position;
        ViewFrame.forward = forward;
    }

    // A puff placed by hand: age and ageRate chosen, so its opacity is known.
    static void Place(CSmoke& smoke, const Vec3& at, float strength, float age = 0.0f, float ageRate = 1.0f)
    {
        smoke.AddPuff(at, strength, 0x123456u);
        SSmokePuff& puff = smoke.puffs[(smoke.head + smoke.capacity - 1) % smoke.capacity];
        puff.age = age;
        puff.ageRate = ageRate;
    }

    static std::vector<uint32_t> QuadAlphas(const CSmoke& smoke)
    {
        std::vector<uint32_t> alphas;
        const auto* v = reinterpret_cast<const SSmokeQuadVertex*>(smoke.mesh.vertices);
        for (uint32_t i = 0; i < smoke.mesh.vertexCount; i += 4)
            alphas.push_back(v[i].colour >> 24);
        return alphas;
    }

    static Vec3 QuadCentre(const CSmoke& smoke, uint32_t quad)
    {
        const auto* v = reinterpret_cast<const SSmokeQuadVertex*>(smoke.mesh.vertices) + 4 * quad;
        return { (v[0].x + v[3].x) * 0.5f, (v[0].y + v[3].y) * 0.5f, (v[0].z + v[3].z) * 0.5f };
    }

    static plat::gfx::null::NullDevice& Null()
    {
        return *plat::gfx::null::FromDevice(*g_Graphic.GetDevice());
    }

    CViewFrame m_savedView;
    zoq::test::FakeWindow m_window;
};

TEST_F(SmokeTest, aFullRingKeepsTheNewestPuffsInEveryStyle)
{
    for (int style : kStyles) {
        // The same feed into a ring that never fills gives the puffs to expect.
        auto feed = [style](CSmoke& smoke, int capacity) {
            SeedRand(7);
            SharedRandom.seed = 7;
            smoke.Init(style, capacity, { 0, 0, 0 }, 1.0f, 100.0f, 1.0f, 2.0f);
            smoke.spiralRadius = 1.0f;
            for (int step = 1; step <= 250; ++step) {
                smoke.EmitTo({ 2.5f * float(step), 0, 0 }, 1.0f, uint32_t(step));
                smoke.Update(0.01f);
            }
        };
        CSmoke full;
        CSmoke all;
        feed(full, 300);
        feed(all, 5000);
        ASSERT_GT(all.Count(), 300) << style;
        ASSERT_EQ(full.Count(), 300) << style;
        EXPECT_FALSE(full.IsEmpty());
        EXPECT_EQ(full.tail, full.head) << "a full ring";
        const int32_t skipped = all.Count() - 300;
        for (int32_t i = 0; i < 300; ++i) {
            const SSmokePuff& kept = full.Puff(i);
            const SSmokePuff& newest = all.Puff(skipped + i);
            ASSERT_EQ(kept.colour, newest.colour) << style << " puff " << i;
            ASSERT_EQ(kept.position.x, newest.position.x) << style << " puff " << i;
            ASSERT_EQ(kept.position.y, newest.position.y) << style << " puff " << i;
        }
        if (style != CSmoke::kStyleRamp) { // the ramp recolours
            EXPECT_EQ(full.Puff(299).colour, 250u) << style;
        }
    }
}

// A batch of puffs is the same as adding them one by one: the same draws, the same ring wrapping
// round past its capacity, the generator left at the same place.
TEST_F(SmokeTest, aBatchOfPuffsEqualsThemAddedOneByOne)
{
    std::vector<Vec3> points;
    for (int i = 0; i < 700; ++i)
        points.push_back(Vec3 { float(i), 0.5f * float(i), 2.0f });
    CSmoke single;
    CSmoke batch;
    for (CSmoke* smoke : { &single, &batch })
        smoke->Init(CSmoke::kStylePoints, 300, { 0, 0, 0 }, 1.0f, 1.0f, 1.0f, 0.0f);
    SeedRand(11);
    single.AddPuff(points[0], 0.5f, 0x123456);
    for (size_t i = 1; i < points.size(); ++i)
        single.AddPuff(points[i], 0.5f, 0xFF123456);
    const int after = Rand();
    SeedRand(11);
    batch.AddPuffs(points.data(), 1, 0.5f, 0x123456);
    batch.AddPuffs(points.data() + 1, int32_t(points.size()) - 1, 0.5f, 0xFF123456);
    EXPECT_EQ(Rand(), after);
    ASSERT_EQ(batch.Count(), single.Count());
    EXPECT_EQ(batch.head, single.head);
    EXPECT_EQ(batch.tail, single.tail);
    for (int32_t i = 0; i < single.Count(); ++i) {
        const SSmokePuff& a = single.Puff(i);
        const SSmokePuff& b = batch.Puff(i);
        ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "puff " << i;
    }
}

TEST_F(SmokeTest, puffsFollowThePathOneSpacingApart)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleQuads, 100, { 0, 0, 0 }, 2.0f, 10.0f, 1.0f, 0.0f);
    smoke.EmitTo({ 2.8f, 0, 0 }, 1.0f, 0xFFFFFFu);
    smoke.EmitTo({ 2.8f, 0, 0 }, 1.0f, 0xFFFFFFu); // no move, no puff
    ASSERT_EQ(smoke.Count(), 5); // 0.5 .. 2.5
    for (int32_t i = 0; i < smoke.Count(); ++i)
        EXPECT_FLOAT_EQ(smoke.Puff(i).position.x, 0.5f * float(i + 1));
    smoke.EmitTo({ 2.8f, 2, 0 }, 1.0f, 0xFFFFFFu);
    ASSERT_EQ(smoke.Count(), 9); // the 0.3 left over is carried round the corner
    EXPECT_NEAR(smoke.Puff(5).position.x, 2.8f, 1e-5f);
    EXPECT_NEAR(smoke.Puff(5).position.y, 0.2f, 1e-5f);
    EXPECT_NEAR(smoke.Puff(8).position.y, 1.7f, 1e-5f);
    EXPECT_FLOAT_EQ(smoke.lastDirection.y, 1.0f);
    smoke.EmitTo({ 2.8f, 9, 0 }, 0.0f, 0xFFFFFFu);
    EXPECT_EQ(smoke.Count(), 9) << "no puffs at strength 0";
    EXPECT_FLOAT_EQ(smoke.emitterPoint.y, 9.0f);
}

TEST_F(SmokeTest, aJumpOverAThousandSpacingsStartsAFreshSegment)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleQuads, 500, { 0, 0, 0 }, 1.0f, 10.0f, 1.0f, 0.0f);
    smoke.EmitTo({ 10, 0, 0 }, 1.0f, 0xFFFFFFu);
    const int32_t before = smoke.Count();
    smoke.EmitTo({ 1011, 0, 0 }, 1.0f, 0xFFFFFFu);
    EXPECT_EQ(smoke.Count(), before);
    EXPECT_FLOAT_EQ(smoke.emitterPoint.x, 1011.0f);
    EXPECT_EQ(smoke.travelled, 0.0f);
    smoke.EmitTo({ 1016, 0, 0 }, 1.0f, 0xFFFFFFu);
    EXPECT_GT(smoke.Count(), before);
    for (int32_t i = 0; i < smoke.Count(); ++i) {
        const float x = smoke.Puff(i).position.x;
        EXPECT_TRUE(x <= 10.0f || x > 1011.0f) << "a puff across the jump at " << x;
    }
    // Just under a thousand spacings is still a path.
    smoke.EmitTo({ 2015, 0, 0 }, 1.0f, 0xFFFFFFu);
    EXPECT_EQ(smoke.Count(), 500);
}

TEST_F(SmokeTest, deadPuffsLeaveOnlyFromTheOldEnd)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleQuads, 10, { 0, 0, 0 }, 1.0f, 1.0f, 1.0f, 0.0f);
    Place(smoke, { 0, 0, 0 }, 1.0f, 0.0f, 0.5f); // lives 2 s
    Place(smoke, { 100, 0, 0 }, 1.0f, 0.0f, 4.0f); // lives 0.25 s
    smoke.Update(0.5f);
    EXPECT_EQ(smoke.Count(), 2) << "the dead puff behind a live one stays";
    EXPECT_FLOAT_EQ(smoke.boundsRadius, 0.0f) << "bounds hold the live puff only";
    smoke.MakeMesh();
    EXPECT_EQ(smoke.mesh.vertexCount, 4u) << "only the live puff is drawn";
    smoke.Update(2.0f);
    EXPECT_TRUE(smoke.IsEmpty());
    EXPECT_EQ(smoke.tail, smoke.head);
}

TEST_F(SmokeTest, sizeGrowsWithAgeAndBoundsHoldTheLivePuffs)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleQuads, 10, { 5, 5, 5 }, 1.0f, 2.0f, 1.0f, 3.0f);
    smoke.Update(0.1f);
    EXPECT_EQ(smoke.boundsRadius, 0.0f) << "an empty trail";
    Place(smoke, { 0, 0, 0 }, 1.0f);
    Place(smoke, { 2, 4, 4 }, 1.0f);
    smoke.Update(1.0f);
    EXPECT_FLOAT_EQ(smoke.Puff(0).size, 1.0f / 2.0f * 3.0f + 1.0f);
    EXPECT_FLOAT_EQ(smoke.boundsCentre.x, 1.0f);
    EXPECT_FLOAT_EQ(smoke.boundsCentre.z, 2.0f);
    EXPECT_FLOAT_EQ(smoke.boundsRadius, 3.0f);
    smoke.Update(5.0f);
    EXPECT_TRUE(smoke.IsEmpty());
    EXPECT_EQ(smoke.boundsRadius, 0.0f) << "a trail whose puffs died";
    smoke.MakeMesh();
    EXPECT_EQ(smoke.mesh.vertexCount, 0u);
    EXPECT_EQ(smoke.mesh.indexCount, 0u);
}

TEST_F(SmokeTest, spiralModeTurnsAboutThePathOnlyWithAxes)
{
    struct Case {
        Vec3 a, b;
        float offset;
    };
    for (const Case& c : { Case { {}, {}, 0.0f }, Case { { 0, 1, 0 }, { 0, 0, 1 }, 2.0f } }) {
        CSmoke smoke;
        smoke.Init(CSmoke::kStyleQuads, 100, { 0, 0, 0 }, 1.0f, 10.0f, 1.0f, 0.0f);
        smoke.spiral = 1;
        smoke.spiralPeriod = 7.0f;
        smoke.spiralRadius = 2.0f;
        smoke.SetSpiralAxes(c.a, c.b);
        smoke.EmitTo({ 20, 0, 0 }, 1.0f, 0xFFFFFFu);
        ASSERT_EQ(smoke.Count(), 19);
        for (int32_t i = 0; i < smoke.Count(); ++i) {
            const Vec3& p = smoke.Puff(i).position;
            EXPECT_NEAR(std::hypot(p.y, p.z), c.offset, 1e-4f) << i;
            EXPECT_FLOAT_EQ(p.x, float(i + 1));
        }
    }
}

TEST_F(SmokeTest, styleThreeColoursFollowTheRamp)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleRamp, 10, { 0, 0, 0 }, 1.0f, 10.0f, 1.0f, 0.0f);
    const uint32_t ramp[3] = { 0xFF0000u, 0x00FF00u, 0x0000FFu };
    const float times[4] = { 0.1f, 0.2f, 0.5f, 0.7f };
    std::copy(std::begin(ramp), std::end(ramp), smoke.rampColour);
    std::copy(std::begin(times), std::end(times), smoke.rampTime);
    Place(smoke, { 0, 0, 0 }, 1.0f);
    struct Case {
        float age;
        uint32_t colour;
    };
    float age = 0.0f;
    for (const Case& c : { Case { 0.05f, 0xFF0000u }, Case { 0.15f, 0x7F7F00u }, Case { 0.3f, 0x00FF00u },
             Case { 0.6f, 0x007F7Fu }, Case { 0.8f, 0x0000FFu } }) {
        smoke.Update(c.age - age);
        age = c.age;
        const uint32_t got = smoke.Puff(0).colour;
        for (int shift = 0; shift < 24; shift += 8)
            EXPECT_NEAR(int((got >> shift) & 0xFF), int((c.colour >> shift) & 0xFF), 1) << "at " << c.age;
        EXPECT_EQ(got >> 24, 0u);
    }
}

TEST_F(SmokeTest, styleTwoPuffsDriftAndTakeTheirFrameFromAge)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleDrift, 10, { 0, 0, 0 }, 1.0f, 2.0f, 1.0f, 0.0f);
    smoke.spiralRadius = 3.0f;
    smoke.EmitTo({ 0, 0, 1.5f }, 1.0f, 0xFFFFFFu);
    ASSERT_EQ(smoke.Count(), 1);
    const SSmokePuff born = smoke.Puff(0);
    EXPECT_EQ(born.frame, 0);
    EXPECT_NEAR(born.position.z, 1.0f, 1e-5f) << "the sideways velocity is across the path";
    EXPECT_LE(std::fabs(born.velocity.x) + std::fabs(born.velocity.y), 6.0f);
    smoke.puffs[0].ageRate = 0.25f; // lives 8 s
    smoke.Update(1.0f);
    const SSmokePuff& moved = smoke.Puff(0);
    EXPECT_NEAR(moved.position.x, born.position.x - born.velocity.x * 0.5f, 1e-5f);
    EXPECT_NEAR(moved.position.y, born.position.y - born.velocity.y * 0.5f, 1e-5f);
    EXPECT_EQ(moved.frame, 7); // 1 / 2 x 15
}

TEST_F(SmokeTest, driftAndPushMoveThePuffs)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleQuads, 10, { 0, 0, 0 }, 1.0f, 10.0f, 1.0f, 0.0f);
    Place(smoke, { 3, 0, 0 }, 1.0f);
    Place(smoke, { 0, -2, 0 }, 1.0f);
    smoke.PushFrom(1.0f, { 0, 0, 0 });
    EXPECT_FLOAT_EQ(smoke.Puff(0).position.x, 4.0f);
    EXPECT_FLOAT_EQ(smoke.Puff(1).position.y, -3.0f);
    smoke.Drift({ 0, 0, 2 });
    EXPECT_FLOAT_EQ(smoke.Puff(0).position.z, 2.0f);
    EXPECT_FLOAT_EQ(smoke.Puff(1).position.z, 2.0f);
    EXPECT_FLOAT_EQ(smoke.emitterPoint.z, 2.0f);
}

TEST_F(SmokeTest, opacityIsStrengthTimesTheSquareOfLifeLeft)
{
    struct Case {
        float strength, age, ageRate;
        uint32_t alpha;
    };
    for (int style : { int(CSmoke::kStyleQuads), int(CSmoke::kStylePoints) }) {
        for (const Case& c : { Case { 1.0f, 0.0f, 1.0f, 127 }, Case { 0.5f, 0.5f, 1.0f, 15 },
                 Case { 1.0f, 0.25f, 2.0f, 31 }, Case { 3.0f, 0.0f, 1.0f, 255 } }) {
            CSmoke smoke;
            smoke.Init(style, 4, { 0, 0, 0 }, 1.0f, 1.0f, 1.0f, 0.0f);
            Place(smoke, { 0, 0, 0 }, c.strength, c.age, c.ageRate);
            smoke.MakeMesh();
            ASSERT_EQ(smoke.mesh.vertexCount, style == CSmoke::kStylePoints ? 1u : 4u);
            const uint32_t colour = style == CSmoke::kStylePoints
                ? reinterpret_cast<const SSmokePointVertex*>(smoke.mesh.vertices)->colour
                : reinterpret_cast<const SSmokeQuadVertex*>(smoke.mesh.vertices)->colour;
            EXPECT_EQ(colour >> 24, c.alpha) << style << " strength " << c.strength << " age " << c.age;
            EXPECT_EQ(colour & 0xFFFFFFu, 0x123456u);
        }
    }
}

TEST_F(SmokeTest, puffsNearTheCameraAreNotDrawn)
{
    for (int style : kStyles) {
        CSmoke smoke;
        smoke.Init(style, 8, { 0, 0, 0 }, 1.0f, 10.0f, 1.0f, 0.0f);
        Camera({ 0, 0, 0 }, { 1, 0, 0 });
        Place(smoke, { 1.7f, 0, 0 }, 1.0f); // 2.89 < 3
        Place(smoke, { 0, 1.74f, 0 }, 1.0f); // 3.03 > 3
        Place(smoke, { 0, 0, -1.0f }, 1.0f);
        smoke.MakeMesh();
        EXPECT_EQ(smoke.mesh.vertexCount, style == CSmoke::kStylePoints ? 1u : 4u) << style;
        EXPECT_EQ(smoke.mesh.indexCount, style == CSmoke::kStylePoints ? 0u : 6u) << style;
    }
}

TEST_F(SmokeTest, quadsGoFarToNearFacingTheCameraWithTheirSheetCell)
{
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleQuads, 8, { 0, 0, 0 }, 1.0f, 10.0f, 2.0f, 0.0f);
    Camera({ 0, -10, 0 }, { 0, 1, 0 });
    Place(smoke, { 0, 0, 0 }, 1.0f);
    Place(smoke, { 0, 20, 0 }, 1.0f);
    Place(smoke, { 0, 5, 0 }, 1.0f);
    smoke.puffs[1].frame = 6; // column 2, row 1
    smoke.MakeMesh();
    ASSERT_EQ(smoke.mesh.vertexCount, 12u);
    EXPECT_FLOAT_EQ(QuadCentre(smoke, 0).y, 20.0f);
    EXPECT_FLOAT_EQ(QuadCentre(smoke, 1).y, 5.0f);
    EXPECT_FLOAT_EQ(QuadCentre(smoke, 2).y, 0.0f);
    const auto* v = reinterpret_cast<const SSmokeQuadVertex*>(smoke.mesh.vertices);
    for (int c = 0; c < 4; ++c) {
        EXPECT_FLOAT_EQ(v[c].y, 20.0f) << "the quad faces the camera";
        EXPECT_FLOAT_EQ(std::fabs(v[c].x), 1.0f) << "side size x pointSize";
        EXPECT_FLOAT_EQ(std::fabs(v[c].z), 1.0f);
        EXPECT_GE(v[c].u, 0.5f);
        EXPECT_LE(v[c].u, 0.75f);
        EXPECT_GE(v[c].v, 0.25f);
        EXPECT_LE(v[c].v, 0.5f);
        EXPECT_EQ(v[c].u, v[c].u2);
    }
    const uint16_t* i = smoke.mesh.indices;
    EXPECT_EQ(i[6], 4);
    EXPECT_EQ(i[11], 7);
}

TEST_F(SmokeTest, styleTwoPoolsFaintPuffsWhenSeenAlongItsLength)
{
    struct Case {
        Vec3 forward;
        size_t quads;
        uint32_t alpha;
    };
    // Along the trail k = 12.7: ten puffs of 12.7 pool into six quads of 20. Across it k = 127.
    for (const Case& c : { Case { { 1, 0, 0 }, 6, 20 }, Case { { 0, 1, 0 }, 10, 127 } }) {
        CSmoke smoke;
        smoke.Init(CSmoke::kStyleDrift, 16, { 0, 0, 0 }, 1.0f, 10.0f, 1.0f, 0.0f);
        smoke.EmitTo({ 0.5f, 0, 0 }, 0.0f, 0); // sets lastDirection only
        Camera({ -50, 0, 0 }, c.forward);
        for (int i = 0; i < 10; ++i)
            Place(smoke, { float(i), 0, 0 }, 1.0f);
        smoke.MakeMesh();
        const std::vector<uint32_t> alphas = QuadAlphas(smoke);
        ASSERT_EQ(alphas.size(), c.quads);
        for (uint32_t a : alphas)
            EXPECT_EQ(a, c.alpha);
    }
    // A strong puff is drawn on its own even along the trail.
    CSmoke smoke;
    smoke.Init(CSmoke::kStyleDrift, 4, { 0, 0, 0 }, 1.0f, 10.0f, 1.0f, 0.0f);
    smoke.EmitTo({ 0.5f, 0, 0 }, 0.0f, 0);
    Camera({ -50, 0, 0 }, { 1, 0, 0 });
    Place(smoke, { 0, 0, 0 }, 3.0f);
    smoke.MakeMesh();
    EXPECT_EQ(QuadAlphas(smoke), std::vector<uint32_t> { 38 });
}

TEST_F(SmokeTest, aTrailWithoutPuffsToMakeStaysEmpty)
{
    CSmoke unset; // owners may feed a trail they never set up
    unset.EmitTo({ 5, 0, 0 }, 1.0f, 0);
    unset.AddPuff({ 1, 0, 0 }, 1.0f, 0);
    unset.Update(0.1f);
    unset.MakeMesh();
    EXPECT_TRUE(unset.IsEmpty());
    EXPECT_EQ(unset.mesh.vertexCount, 0u);
    for (float density : { 0.0f, -1.0f }) {
        CSmoke smoke;
        smoke.Init(CSmoke::kStyleQuads, 10, { 0, 0, 0 }, density, 1.0f, 1.0f, 0.0f);
        smoke.EmitTo({ 50, 0, 0 }, 1.0f, 0);
        EXPECT_TRUE(smoke.IsEmpty()) << density;
        EXPECT_FLOAT_EQ(smoke.emitterPoint.x, 50.0f);
    }
}

TEST_F(SmokeTest, initRejectsACapacityTheMeshCannotIndex)
{
    CSmoke smoke;
    EXPECT_THROW(smoke.Init(CSmoke::kStyleQuads, 0, { 0, 0, 0 }, 1.0f, 1.0f, 1.0f, 0.0f), XRangeError);
    EXPECT_THROW(smoke.Init(CSmoke::kStyleQuads, 16385, { 0, 0, 0 }, 1.0f, 1.0f, 1.0f, 0.0f), XRangeError);
    EXPECT_FALSE(smoke.ready);
    smoke.Init(CSmoke::kStylePoints, 20000, { 0, 0, 0 }, 1.0f, 1.0f, 1.0f, 0.0f);
    EXPECT_TRUE(smoke.ready);
    EXPECT_EQ(smoke.mesh.vertexCapacity, 20000u);
}

TEST_F(SmokeTest, renderDrawsThroughTheSharedEffectBuffers)
{
    ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
    ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
        plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
    TexShaderManager shaders(true);
    ASSERT_TRUE(shaders.Init(false));
    g_TexShaderManager = &shaders;
    CModelManager models;
    models.Init();
    g_pModelManager = &models;
    using plat::gfx::RenderState;
    for (int style : kStyles) {
        CSmoke smoke;
        smoke.Init(style, 8, { 0, 0, 0 }, 1.0f, 10.0f, 4.0f, 0.0f);
        const size_t before = Null().Draws().size();
        smoke.Render(-1);
        EXPECT_EQ(Null().Draws().size(), before) << "an empty trail draws nothing";
        Place(smoke, { 0, 0, 0 }, 1.0f);
        Place(smoke, { 0, 3, 0 }, 1.0f);
        smoke.Render(-1);
        ASSERT_EQ(Null().Draws().size(), before + 1) << style;
        const plat::gfx::null::DrawRecord& draw = Null().Draws().back();
        const bool points = style == CSmoke::kStylePoints;
        EXPECT_EQ(draw.call.primitiveCount, points ? 2u : 4u) << style;
        EXPECT_EQ(draw.call.indexed, !points) << style;
        EXPECT_EQ(draw.render[size_t(RenderState::PointSpriteEnable)], points ? 1u : 0u) << style;
        uint32_t sprites = 1;
        ASSERT_EQ(g_Graphic.GetDevice()->GetRenderState(RenderState::PointSpriteEnable, sprites),
            plat::gfx::Result::Ok);
        EXPECT_EQ(sprites, 0u) << "switched off after";
    }
    g_pModelManager = nullptr;
    g_TexShaderManager = nullptr;
}

} // namespace

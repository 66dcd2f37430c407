// Sky and fog: the fog states for a record, the background clear by the camera's view, the sky
// meshes and the horizon split.
#include "tests/world/terrain/environment_fixture.h"

#include "render/Mesh.h"
#include "render/TexShaderManager.h"
#include "world/terrain/CLocation.h"

#include <bit>
#include <cmath>

namespace {

class SkyTest : public EnvironmentTest {
protected:
    static uint32_t State(plat::gfx::RenderState state)
    {
        uint32_t value = 0;
        g_Graphic.GetDevice()->GetRenderState(state, value);
        return value;
    }
    static float FloatState(plat::gfx::RenderState state) { return std::bit_cast<float>(State(state)); }
};

TEST_F(SkyTest, fogFollowsTheRecordTheViewRangeAndTheDevice)
{
    using plat::gfx::RenderState;
    ASSERT_TRUE(CreateDevice());
    LookAlong({ 1.0f, 0.0f, 0.0f });
    Environment.sunVector = { 1.0f, 0.0f, 0.0f };
    Environment.current.fogToward1 = 0xFFFFFFFFu;
    Environment.current.fogAway1 = 0xFF000000u;
    Environment.current.fogMode = 0;
    Environment.current.fogDensity = 0.0f;
    g_Graphic.MutableCaps().fogTable = true;
    Environment.SetFog(true, 2.0f, 0.001f);
    EXPECT_EQ(Environment.current.fogMode, 2);
    EXPECT_FLOAT_EQ(Environment.current.fogDensity, 0.0002f);
    // View range 256: at least 0.00025 x 2.
    EXPECT_FLOAT_EQ(FloatState(RenderState::FogDensity), 0.0005f * 2.0f + 0.001f);
    EXPECT_EQ(State(RenderState::FogTableMode), 2u);
    EXPECT_EQ(State(RenderState::FogVertexMode), 0u);
    EXPECT_EQ(State(RenderState::FogEnable), 1u);
    EXPECT_EQ(State(RenderState::FogColor), 0xFFFFFFFFu); // looking into the sun

    LookAlong({ -1.0f, 0.0f, 0.0f });
    g_Graphic.MutableCaps().fogTable = false;
    VisibleRadius = 1024;
    Environment.current.fogDensity = 0.001f;
    Environment.SetFog(true, 1.0f, 0.0f);
    EXPECT_EQ(Environment.current.fogMode, 3);
    EXPECT_EQ(State(RenderState::FogVertexMode), 3u);
    EXPECT_EQ(State(RenderState::FogTableMode), 0u);
    EXPECT_NEAR(FloatState(RenderState::FogStart), std::sqrt(std::log(10.0f / 9.0f)) / 0.001f + 1.0f, 0.01f);
    EXPECT_NEAR(FloatState(RenderState::FogEnd), std::sqrt(std::log(100.0f)) / 0.001f + 1.0f, 0.01f);
    EXPECT_EQ(State(RenderState::FogColor), 0xFF000000u); // the sun behind
    LookAlong({ 0.0f, 1.0f, 0.0f });
    Environment.SetFog(true, 1.0f, 0.0f);
    EXPECT_EQ(State(RenderState::FogColor), 0xFF7F7F7Fu);

    Environment.SetFog(false, 1.0f, 0.0f);
    EXPECT_EQ(State(RenderState::FogEnable), 0u);
    EXPECT_EQ(FloatState(RenderState::FogEnd), 100000.0f);
}

TEST_F(SkyTest, theBackgroundIsClearedUnlessTheWholeViewLooksBelowTheHorizon)
{
    ASSERT_TRUE(CreateDevice());
    Environment.skyColour = 0xFF204060u;
    struct Row {
        float fovY; // degrees, with a 4:3 field across
        float pitch; // degrees
        bool cleared;
    };
    const Row rows[] = {
        { 73.74f, -8.0f, true }, // the sky shows above the horizon in the upper third
        { 73.74f, -45.0f, false },
        { 73.74f, 90.0f, true },
        { 73.74f, -90.0f, false },
        { 50.0f, -20.0f, true },
        { 50.0f, -30.0f, false },
        { 0.001f, -2.3f, true }, // a pinhole view keeps the forward vector's limit of -0.05
        { 0.001f, -3.5f, false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.fovY << " " << row.pitch);
        g_Graphic.SetProjection(14000.0f, 1.0f, row.fovY * 4.0f / 3.0f, row.fovY, true);
        const float p = row.pitch * 3.14159265f / 180.0f;
        LookAlong({ std::cos(p), 0.0f, std::sin(p) });
        const size_t before = Null().Clears().size();
        Environment.ClearBackground();
        ASSERT_EQ(Null().Clears().size(), before + (row.cleared ? 1 : 0));
        if (row.cleared) {
            EXPECT_EQ(Null().Clears().back().call.color, 0xFF204060u);
        }
    }
}

TEST_F(SkyTest, skyMeshesHaveTheirShapes)
{
    Environment.InitSky();
    ASSERT_NE(Environment.cloudDome, nullptr);
    EXPECT_EQ(Environment.cloudDome->vertexCount, 400u);
    EXPECT_EQ(Environment.cloudDome->indexCount, 2166u);
    EXPECT_EQ(Environment.backdrop->vertexCount, 44u);
    EXPECT_EQ(Environment.backdrop->indexCount, 66u);
    const auto* dome = reinterpret_cast<const float*>(Environment.cloudDome->vertexData);
    // Vertex 0 (column 0, row 0): the far corner, x and y x 4, z doubled and x 4.
    EXPECT_FLOAT_EQ(dome[0], -30000.0f);
    EXPECT_FLOAT_EQ(dome[2], (200.0f - 2.0f * 7500.0f * 7500.0f * 0.00002f) * 8.0f);
    EXPECT_EQ(Environment.cloudDome->indexData[2165], 399u);
    EXPECT_EQ(Environment.backdrop->indexData[65], 4u + 36u + 2u);
}

TEST_F(SkyTest, theHorizonSplitsByTheScreensAspect)
{
    EXPECT_FLOAT_EQ(CEnvironment::SplitAngle(800, 600), 85.0f);
    EXPECT_FLOAT_EQ(CEnvironment::SplitAngle(1280, 1024), 83.0f);
    EXPECT_FLOAT_EQ(CEnvironment::SplitAngle(1920, 1080), 89.9f);

    const float factor = 1.0f / std::tan(85.0f * 3.14159265f / 180.0f);
    // One triangle ahead along each axis, and one straddling +x and +y.
    const std::vector<Vec3> positions { { 100, 0, 0 }, { 100, 5, 0 }, { 100, -5, 10 }, { 0, 100, 0 },
        { 5, 100, 0 }, { -5, 100, 10 }, { -100, 0, 0 }, { -100, 5, 0 }, { -100, -5, 10 }, { 0, -100, 0 },
        { 5, -100, 0 }, { -5, -100, 10 } };
    const std::vector<uint16_t> indices { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 3, 4 };
    const auto split = CEnvironment::SplitHorizon(positions, indices, factor);
    const std::vector<uint16_t> expected[4]
        = { { 0, 1, 2, 0, 3, 4 }, { 3, 4, 5, 0, 3, 4 }, { 6, 7, 8 }, { 9, 10, 11 } };
    for (size_t side = 0; side < 4; ++side)
        EXPECT_EQ(split[side], expected[side]) << side;
}

TEST_F(SkyTest, underwaterTheBackgroundTakesTheWatersColour)
{
    ASSERT_TRUE(CreateDevice());
    MapSurface surface {};
    surface.waterLevel = 10.0f;
    Location.blocksX = Location.blocksY = 1;
    Location.Cell(0, 0).surface = &surface;
    Environment.fogColour = 0x00405060u;
    struct Row {
        Vec3 camera;
        bool cleared;
    };
    const Row rows[] = { { { 100, 100, 5 }, true }, { { 100, 100, 15 }, false }, { { 700, 100, 5 }, false },
        { { -100, 100, 5 }, false } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.camera.x + row.camera.z);
        const size_t before = Null().Clears().size();
        ViewFrame.SetViewPosition(row.camera);
        ViewFrame.Apply(true);
        Environment.ClearUnderwater();
        ASSERT_EQ(Null().Clears().size(), before + (row.cleared ? 1 : 0));
        if (row.cleared) { // no texture to average: the fog colour of the moment
            EXPECT_EQ(Null().Clears().back().call.color, 0xFF405060u);
        }
    }
    Location.Cell(0, 0).surface = nullptr;
    Location.blocksX = Location.blocksY = 0;
}

TEST_F(SkyTest, theSkyDrawsWhatTheViewAndTheRecordAllow)
{
    ASSERT_TRUE(CreateDevice());
    TexShaderManager shaders(true);
    ASSERT_TRUE(shaders.Init(false));
    g_TexShaderManager = &shaders;
    Environment.InitSky();
    Environment.current.cloud1.index = 5;
    Environment.current.cloud2.index = 6;
    Environment.sunVector = { 0.0f, 0.6f, 0.8f };
    Environment.moonVector = { 0.0f, 0.0f, -1.0f };
    auto draws = [&](const Vec3& forward, int32_t sun) {
        Environment.current.sun.index = sun;
        LookAlong(forward);
        const size_t before = Null().Draws().size();
        Environment.RenderEnv();
        return Null().Draws().size() - before;
    };
    const size_t upright = draws({ 0.0f, 1.0f, 0.0f }, 7);
    const size_t up = draws({ 0.0f, 0.0f, 1.0f }, 7);
    const size_t sunless = draws({ 0.0f, 1.0f, 0.0f }, -1);
    EXPECT_GT(up, 0u); // clouds and the sun still drawn
    EXPECT_GT(upright, up); // the backdrop
    EXPECT_LT(sunless, upright); // no disc

    Environment.sunGlare = 0.5f;
    auto flare = [&](int32_t sun) {
        Environment.current.sun.index = sun;
        const size_t before = Null().Draws().size();
        Environment.RenderFX(true);
        return Null().Draws().size() - before;
    };
    EXPECT_GT(flare(7), 0u);
    EXPECT_EQ(flare(-1), 0u);
    g_TexShaderManager = nullptr;
}

// The dome is seen from below, so its triangles face away from the camera: both layers are drawn
// without culling even after the backdrop's and the sun's shaders turned it back on, and culling
// is on again once the sky is done.
TEST_F(SkyTest, theCloudLayersAreDrawnWithoutCulling)
{
    ASSERT_TRUE(CreateDevice());
    TexShaderManager shaders(true);
    ASSERT_TRUE(shaders.Init(false));
    g_TexShaderManager = &shaders;
    Environment.InitSky();
    Environment.current.cloud1.index = 5;
    Environment.current.cloud2.index = 6;
    Environment.current.sun.index = 7;
    Environment.sunVector = { 0.0f, 0.6f, 0.8f };
    Environment.moonVector = { 0.0f, 0.0f, -1.0f };
    LookAlong({ 0.0f, 1.0f, 0.0f });
    const size_t before = Null().Draws().size();
    Environment.RenderEnv();
    const uint32_t domeTriangles = 19 * 19 * 2;
    int layers = 0;
    for (size_t i = before; i < Null().Draws().size(); ++i) {
        const plat::gfx::null::DrawRecord& draw = Null().Draws()[i];
        if (draw.call.primitiveCount != domeTriangles)
            continue;
        ++layers;
        EXPECT_EQ(draw.render[size_t(plat::gfx::RenderState::CullMode)], uint32_t(plat::gfx::Cull::None))
            << "layer " << layers;
    }
    EXPECT_EQ(layers, 2);
    EXPECT_EQ(State(plat::gfx::RenderState::CullMode), uint32_t(plat::gfx::Cull::Ccw));
    g_TexShaderManager = nullptr;
}

} // namespace

// The terrain pass drawn by the OpenGL backend on the offscreen driver (±2 a channel): a near cell
// shows its texture times its vertex colour, a far cell its bare vertex colour, and the horizon
// bend lowers a far cell's edge on screen.
#include "tests/world/terrain/render_fixture.h"

#include "platform/gfx/device.h"
#include "tests/support/gl_environment.h"

#include <cstdio>
#include <cstring>

namespace {

using plat::gfx::RenderState;

constexpr uint32_t kSize = 64;
constexpr uint32_t kClear = 0xFF0000FFu; // blue
constexpr uint32_t kGround = 0xFFA08060u;

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

::testing::AssertionResult RgbNear(uint32_t actual, uint32_t expected)
{
    for (int shift : { 0, 8, 16 }) {
        if (std::abs(int((actual >> shift) & 255) - int((expected >> shift) & 255)) > 2)
            return ::testing::AssertionFailure() << Hex(actual) << " is not " << Hex(expected) << " (±2)";
    }
    return ::testing::AssertionSuccess();
}

class TerrainGlTest : public TerrainRenderTest {
protected:
    void SetUp() override
    {
        TerrainRenderTest::SetUp();
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        Start("gl", plat::gfx::CapsProfile::Full, kSize, kSize);
    }

    // A flat grass map of one column of cells, every point of the given colour.
    void LoadFlat(int rows)
    {
        LocationMap map = LocationMap::Flat(65, 64 * rows + 1);
        for (size_t i = 0; i < map.materials.size(); ++i) {
            map.materials[i] = kGrass;
            map.colours[i] = kGround;
        }
        Load(map);
    }

    // One pass lit by a white ambient and no lights, into a target cleared blue.
    void Draw(float fov)
    {
        plat::gfx::Device& device = *g_Graphic.GetDevice();
        g_Graphic.SetProjection(10000.0f, 1.0f, fov, fov, true);
        ViewFrame.Apply(true);
        device.SetRenderState(RenderState::Lighting, 1);
        device.SetRenderState(RenderState::Ambient, 0xFFFFFFFFu);
        device.Clear(0, nullptr, plat::gfx::clear::kTarget | plat::gfx::clear::kZBuffer, kClear, 1.0f, 0);
        ASSERT_EQ(device.BeginScene(), plat::gfx::Result::Ok);
        Location.CycleRender();
        ASSERT_EQ(device.EndScene(), plat::gfx::Result::Ok);
    }

    // A left-handed look-at camera, as the device's culling expects: right = up x forward.
    static void LookAt(const Vec3& eye, const Vec3& forward, const Vec3& up)
    {
        Vec3 right;
        Vec3Cross(right, up, forward);
        const float length = Vec3Length(right);
        right = Vec3 { right.x / length, right.y / length, right.z / length };
        Vec3 top;
        Vec3Cross(top, forward, right);
        ViewFrame.matrix = Matrix4 { { right.x, top.x, forward.x, 0, right.y, top.y, forward.y, 0, right.z,
            top.z, forward.z, 0, 0, 0, 0, 1 } };
        ViewFrame.SetViewPosition(eye);
        ViewFrame.adjustment = Matrix4 { { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 } };
        ViewFrame.Apply(true);
        Location.SetViewRanges(VisibleRadius);
        Location.cameraCell = Vec3 { eye.x * 0.1f / 64.0f, eye.y * 0.1f / 64.0f, 0.0f };
        Location.cameraHeight = eye.z * 0.1f / 64.0f;
    }

    uint32_t Pixel(uint32_t x, uint32_t y)
    {
        plat::gfx::Surface* target = g_Graphic.RenderTarget();
        plat::gfx::LockedRect locked;
        EXPECT_EQ(target->LockRect(locked, nullptr, plat::gfx::lock::kReadOnly), plat::gfx::Result::Ok);
        uint32_t value = 0;
        std::memcpy(&value, static_cast<const uint8_t*>(locked.bits) + y * uint32_t(locked.pitch) + 4 * x, 4);
        target->UnlockRect();
        return value;
    }

    // The topmost row of the middle column that is not the clear colour; kSize when none.
    uint32_t TopOfGround()
    {
        for (uint32_t y = 0; y < kSize; ++y) {
            if (!RgbNear(Pixel(kSize / 2, y), kClear))
                return y;
        }
        return kSize;
    }

    // The colour word of a mesh's first vertex at the byte offset.
    static uint32_t VertexColour(const MapMesh& mesh, uint32_t offset)
    {
        uint32_t colour = 0;
        std::memcpy(&colour, mesh.data.vertices + offset, 4);
        return colour;
    }

    zoq::test::GlEnvironment m_gl;
};

uint32_t Modulate(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift : { 0, 8, 16 })
        out |= (((a >> shift) & 255) * ((b >> shift) & 255) / 255) << shift;
    return out;
}

TEST_F(TerrainGlTest, ANearCellShowsItsTextureTimesItsVertexColour)
{
    LoadFlat(1);
    LookAt(Vec3 { 320, 320, 100 }, Vec3 { 0, 0, -1 }, Vec3 { 0, 1, 0 });
    Visible({ { 0, 0, kNearLevel } });
    Draw(90);
    const MapQuad& quad = Location.Cell(0, 0).full->quads[0];
    ASSERT_EQ(quad.level, 1);
    const uint32_t colour = VertexColour(*quad.meshes[0], 24);
    ASSERT_EQ(colour >> 24, 255u) << "the layer is drawn opaque";
    // TEX_GRASS_FULL is (0x30, 0x90, 0x10).
    EXPECT_TRUE(RgbNear(Pixel(kSize / 2, kSize / 2), Modulate(0x309010u, colour)));
    EXPECT_TRUE(RgbNear(Pixel(4, 60), Modulate(0x309010u, colour)));
}

TEST_F(TerrainGlTest, AFarCellShowsItsBareVertexColour)
{
    LoadFlat(1);
    LookAt(Vec3 { 320, 320, 100 }, Vec3 { 0, 0, -1 }, Vec3 { 0, 1, 0 });
    Location.bendHorizon = 0;
    Visible({ { 0, 0, kFarLevel } });
    Draw(90);
    const uint32_t colour = VertexColour(*Location.Cell(0, 0).half->farMesh, 36);
    EXPECT_TRUE(RgbNear(Pixel(kSize / 2, kSize / 2), colour));
    EXPECT_TRUE(RgbNear(Pixel(60, 4), colour));
}

TEST_F(TerrainGlTest, TheBendLowersAFarCellsEdgeOnScreen)
{
    LoadFlat(5);
    // Looking along +y over the column; its last cell lies beyond the bend's end.
    LookAt(Vec3 { 320, 10, 600 }, Vec3 { 0, 1, 0 }, Vec3 { 0, 0, 1 });
    // The last cell alone, whose far edge is the top of the ground either way.
    Visible({ { 0, 4, kFarLevel } });
    Location.bendHorizon = 0;
    Draw(60);
    const uint32_t straight = TopOfGround();
    Location.bendHorizon = 1;
    Draw(60);
    const uint32_t bent = TopOfGround();
    ASSERT_LT(straight, kSize);
    EXPECT_GT(bent, straight + 3) << "straight " << straight << ", bent " << bent;
}

} // namespace

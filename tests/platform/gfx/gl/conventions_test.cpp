// How D3D's conventions land on GL: pixel centres, row order, winding, depth range, viewport
// clipping, matrices on row vectors, texture-coordinate transforms and generation, vertex
// blending, point size and clip planes.
#include "tests/platform/gfx/gl/gl_fixture.h"

#include <cmath>
#include <cstring>
#include <tuple>

namespace plat::gfx::gltest {
namespace {

constexpr Color kRed = 0xFFFF0000u;
constexpr Color kGreen = 0xFF00FF00u;
constexpr Color kBlue = 0xFF0000FFu;
constexpr Color kBlack = 0xFF000000u;

Matrix Translation(float x, float y, float z)
{
    Matrix m = Matrix::Identity();
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

class ConventionsTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
    }

    // A quad of untransformed coloured vertices over [x0, x1] x [y0, y1] at depth z.
    void WorldQuad(float x0, float y0, float x1, float y1, float z, Color color)
    {
        ColorVertex v[4] = { { x0, y1, z, color, 0, 0 }, { x1, y1, z, color, 1, 0 },
            { x0, y0, z, color, 0, 1 }, { x1, y0, z, color, 1, 1 } };
        ASSERT_EQ(m_device->SetVertexShader(kColorFvf), Result::Ok);
        ASSERT_EQ(
            m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColorVertex)), Result::Ok);
    }

    void Unlit()
    {
        m_device->SetRenderState(RenderState::Lighting, 0);
        m_device->SetRenderState(RenderState::CullMode, uint32_t(Cull::None));
    }
};

TEST_F(ConventionsTest, aScreenQuadAtPixelCornersReproducesAnEightByEightTextureExactly)
{
    std::vector<uint32_t> texels(64);
    for (uint32_t i = 0; i < 64; ++i)
        texels[i] = 0xFF000000u | (i * 4) << 16 | (255 - i * 3) << 8 | (i * 37 % 256);
    Texture* texture = MakeTexture(8, 8, texels);
    ASSERT_NE(texture, nullptr);
    for (TextureFilter filter : { TextureFilter::Point, TextureFilter::Linear }) {
        m_device->SetTexture(0, texture);
        m_device->SetTextureStageState(0, StageState::MagFilter, uint32_t(filter));
        m_device->SetTextureStageState(0, StageState::MinFilter, uint32_t(filter));
        m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
        Begin();
        ClearTarget(kBlack);
        ScreenQuad(0, 0, 8, 8, 0xFFFFFFFFu);
        End();
        std::vector<uint32_t> pixels = Read();
        for (uint32_t y = 0; y < 8; ++y)
            for (uint32_t x = 0; x < 8; ++x)
                ASSERT_EQ(pixels[y * 16 + x], texels[y * 8 + x])
                    << "filter " << int(filter) << " at " << x << "," << y;
        EXPECT_EQ(pixels[8], kBlack);
        EXPECT_EQ(pixels[8 * 16], kBlack);
    }
}

TEST_F(ConventionsTest, lockedRowsComeTopFirstAndATargetDrawnThenSampledIsUpright)
{
    Texture* target = nullptr;
    ASSERT_EQ(
        m_device->CreateTexture(8, 8, 1, usage::kRenderTarget, Format::A8R8G8B8, Pool::Default, &target),
        Result::Ok);
    m_owned.push_back(target);
    Surface* level = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), Result::Ok);
    Surface* back = nullptr;
    ASSERT_EQ(m_device->GetRenderTarget(&back), Result::Ok);

    Begin();
    ASSERT_EQ(m_device->SetRenderTarget(level, nullptr), Result::Ok);
    ClearTarget(kBlue);
    ScreenQuad(0, 0, 8, 2, kRed); // the top two rows
    ASSERT_EQ(m_device->SetRenderTarget(back, nullptr), Result::Ok);
    ClearTarget(kBlack);
    ScreenQuad(0, 0, 16, 3, kGreen); // the top three rows of the back buffer
    m_device->SetTexture(0, target);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    ScreenQuad(8, 8, 16, 16, 0xFFFFFFFFu);
    End();

    std::vector<uint32_t> pixels = Read();
    EXPECT_EQ(pixels[0], kGreen);
    EXPECT_EQ(pixels[2 * 16], kGreen);
    EXPECT_EQ(pixels[3 * 16], kBlack);
    EXPECT_EQ(pixels[8 * 16 + 8], kRed);
    EXPECT_EQ(pixels[9 * 16 + 15], kRed);
    EXPECT_EQ(pixels[10 * 16 + 8], kBlue);
    EXPECT_EQ(pixels[15 * 16 + 15], kBlue);
    level->Release();
    back->Release();
}

TEST_F(ConventionsTest, cullModesJudgeWindingOnScreenWithYDown)
{
    struct Case {
        Cull cull;
        bool clockwiseDrawn;
        bool counterClockwiseDrawn;
    };
    const Case cases[]
        = { { Cull::None, true, true }, { Cull::Cw, false, true }, { Cull::Ccw, true, false } };
    for (const Case& c : cases) {
        m_device->SetRenderState(RenderState::CullMode, uint32_t(c.cull));
        for (bool clockwise : { true, false }) {
            // On screen, y down: top left, top right, bottom left runs clockwise.
            std::vector<ScreenVertex> v = { { 0, 0, 0.5f, 1, kGreen, 0, 0 }, { 16, 0, 0.5f, 1, kGreen, 0, 0 },
                { 0, 16, 0.5f, 1, kGreen, 0, 0 } };
            if (!clockwise)
                std::swap(v[1], v[2]);
            Begin();
            ClearTarget(kBlack);
            DrawScreen(v, PrimitiveType::TriangleList);
            End();
            bool drawn = Pixel(2, 2) == kGreen;
            EXPECT_EQ(drawn, clockwise ? c.clockwiseDrawn : c.counterClockwiseDrawn)
                << "cull " << int(c.cull) << (clockwise ? " clockwise" : " counter-clockwise");
        }
    }
}

TEST_F(ConventionsTest, depthRunsFromZeroAtTheNearPlaneToOneAtTheFarPlane)
{
    Unlit();
    const float nearZ = 1, farZ = 10;
    m_device->SetTransform(Transform::Projection, Perspective(1.5707964f, 1, nearZ, farZ));
    struct Case {
        float z;
        bool drawn;
    };
    // Just before the near plane is clipped (z' = 2z - w); just inside either plane is drawn.
    const Case cases[] = { { 0.9f, false }, { 1.1f, true }, { 9.9f, true }, { 10.5f, false } };
    for (const Case& c : cases) {
        Begin();
        ClearTarget(kBlack);
        WorldQuad(-c.z, -c.z, c.z, c.z, c.z, kGreen);
        End();
        EXPECT_EQ(Pixel(8, 8) == kGreen, c.drawn) << "view z " << c.z;
    }
}

TEST_F(ConventionsTest, theViewportDepthRangeMapsDepth)
{
    Unlit();
    m_device->SetRenderState(RenderState::ZFunc, uint32_t(Compare::LessEqual));
    Begin();
    ClearTarget(kBlack);
    // z 1 into 0..0.25 lands at 0.25; z 0 into 0.5..1 lands at 0.5, behind it.
    m_device->SetViewport({ 0, 0, 16, 16, 0.0f, 0.25f });
    WorldQuad(-1, -1, 1, 1, 1.0f, kGreen);
    m_device->SetViewport({ 0, 0, 16, 16, 0.5f, 1.0f });
    WorldQuad(-1, -1, 1, 1, 0.0f, kRed);
    End();
    EXPECT_EQ(Pixel(8, 8), kGreen);
}

TEST_F(ConventionsTest, theViewportClipsAScreenQuadAndBoundsClear)
{
    Begin();
    ClearTarget(kBlack);
    m_device->SetViewport({ 4, 4, 8, 8, 0, 1 });
    ASSERT_EQ(m_device->Clear(0, nullptr, clear::kTarget, kBlue, 1, 0), Result::Ok);
    ScreenQuad(0, 0, 16, 8, kGreen); // absolute coordinates, cut by the viewport
    End();
    std::vector<uint32_t> p = Read();
    EXPECT_EQ(p[3 * 16 + 3], kBlack);
    EXPECT_EQ(p[3 * 16 + 8], kBlack);
    EXPECT_EQ(p[4 * 16 + 4], kGreen);
    EXPECT_EQ(p[7 * 16 + 11], kGreen);
    EXPECT_EQ(p[8 * 16 + 8], kBlue);
    EXPECT_EQ(p[11 * 16 + 11], kBlue);
    EXPECT_EQ(p[12 * 16 + 12], kBlack);
    EXPECT_EQ(p[5 * 16 + 12], kBlack);
}

TEST_F(ConventionsTest, theWorldMatrixTranslatesThroughItsFourthRow)
{
    Unlit();
    m_device->SetTransform(Transform::World, Translation(1, -1, 0));
    Begin();
    ClearTarget(kBlack);
    WorldQuad(-1, 0, 0, 1, 0.5f, kGreen); // the top left quarter, moved to the bottom right
    End();
    EXPECT_EQ(Pixel(4, 4), kBlack);
    EXPECT_EQ(Pixel(12, 12), kGreen);
    EXPECT_EQ(Pixel(4, 12), kBlack);
}

TEST_F(ConventionsTest, textureTransformsAndGeneratedCoordinates)
{
    Unlit();
    // Left half red, right half blue; wrapping.
    Texture* texture = MakeTexture(2, 1, { kRed, kBlue });
    m_device->SetTexture(0, texture);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));

    struct ProjectedVertex {
        float x, y, z;
        float u, v, w;
    };
    constexpr uint32_t kProjectedFvf = fvf::kXyz | fvf::kTex1 | fvf::TexCoordSize3(0);

    // COUNT2 on a 2-D set: (u, v, 1, 0), so the third row translates.
    {
        Matrix m = Matrix::Identity();
        m.m[2][0] = 0.5f;
        m_device->SetTransform(Transform::Texture0, m);
        m_device->SetTextureStageState(
            0, StageState::TextureTransformFlags, uint32_t(TextureTransform::Count2));
        Begin();
        ClearTarget(kBlack);
        ColorVertex v[4]
            = { { -1, 1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f }, { 1, 1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f },
                  { -1, -1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f }, { 1, -1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f } };
        m_device->SetVertexShader(kColorFvf);
        m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColorVertex));
        End();
        EXPECT_EQ(Pixel(8, 8), kBlue) << "COUNT2, third-row translation";
    }
    // COUNT3 | PROJECTED divides by the third component.
    {
        m_device->SetTransform(Transform::Texture0, Matrix::Identity());
        m_device->SetTextureStageState(0, StageState::TextureTransformFlags,
            uint32_t(TextureTransform::Count3) | kTextureTransformProjected);
        for (auto [u, w, expected] : { std::tuple { 1.0f, 4.0f, kRed }, std::tuple { 3.0f, 4.0f, kBlue } }) {
            ProjectedVertex v[4] = { { -1, 1, 0.5f, u, 0.5f, w }, { 1, 1, 0.5f, u, 0.5f, w },
                { -1, -1, 0.5f, u, 0.5f, w }, { 1, -1, 0.5f, u, 0.5f, w } };
            Begin();
            ClearTarget(kBlack);
            m_device->SetVertexShader(kProjectedFvf);
            m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ProjectedVertex));
            End();
            EXPECT_EQ(Pixel(8, 8), expected) << "COUNT3|PROJECTED u " << u;
        }
    }
    // Camera-space position as coordinates: x of the view-space position picks the half.
    {
        Matrix scale = Matrix::Identity();
        scale.m[0][0] = 0.5f; // u = x / 2 + 0.5 over x in -1..1
        scale.m[3][0] = 0.5f;
        m_device->SetTransform(Transform::Texture0, scale);
        m_device->SetTextureStageState(
            0, StageState::TextureTransformFlags, uint32_t(TextureTransform::Count2));
        m_device->SetTextureStageState(0, StageState::TexCoordIndex, kTexCoordCameraSpacePosition);
        Begin();
        ClearTarget(kBlack);
        WorldQuad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
        End();
        EXPECT_EQ(Pixel(2, 8), kRed);
        EXPECT_EQ(Pixel(13, 8), kBlue);
        m_device->SetTextureStageState(0, StageState::TexCoordIndex, 0);
        m_device->SetTextureStageState(0, StageState::TextureTransformFlags, 0);
    }
}

TEST_F(ConventionsTest, reflectionVectorsMirrorTheViewRayOnTwoStages)
{
    Unlit();
    // u = R.z / 4 + 0.5: a surface facing the camera sends the ray back (R.z < 0), red.
    Texture* halves = MakeTexture(2, 1, { kRed, kBlue });
    Texture* white = MakeTexture(1, 1, { 0xFFFFFFFFu });
    Matrix m;
    m.m[2][0] = 0.25f;
    m.m[3][0] = 0.5f;
    for (uint32_t stage = 0; stage < 2; ++stage) {
        m_device->SetTexture(stage, stage == 0 ? halves : white);
        m_device->SetTransform(TextureTransformOf(stage), m);
        m_device->SetTextureStageState(
            stage, StageState::TexCoordIndex, kTexCoordCameraSpaceReflectionVector);
        m_device->SetTextureStageState(
            stage, StageState::TextureTransformFlags, uint32_t(TextureTransform::Count2));
    }
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(1, StageState::ColorOp, uint32_t(TextureOp::Modulate));
    struct Vertex {
        float x, y, z, nx, ny, nz;
    } v[4] = { { -1, 1, 0.5f, 0, 0, -1 }, { 1, 1, 0.5f, 0, 0, -1 }, { -1, -1, 0.5f, 0, 0, -1 },
        { 1, -1, 0.5f, 0, 0, -1 } };
    Begin();
    ClearTarget(kBlack);
    m_device->SetVertexShader(fvf::kXyz | fvf::kNormal);
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(Vertex)), Result::Ok);
    End();
    EXPECT_EQ(Pixel(8, 8), kRed);
    EXPECT_EQ(Pixel(1, 1), kRed);
    EXPECT_EQ(gl::GetStats(Gl()).skippedDraws, 0u);
}

TEST_F(ConventionsTest, blendWeightsMixWorldMatrices)
{
    Unlit();
    // Four matrices move a point at the centre to distinct places; the weights pick the mix.
    m_device->SetTransform(WorldMatrix(0), Translation(-0.5f, 0.5f, 0));
    m_device->SetTransform(WorldMatrix(1), Translation(0.5f, 0.5f, 0));
    m_device->SetTransform(WorldMatrix(2), Translation(-0.5f, -0.5f, 0));
    m_device->SetTransform(WorldMatrix(3), Translation(0.5f, -0.5f, 0));
    struct Vertex {
        float x, y, z;
        float weights[3];
        Color diffuse;
    };
    struct Case {
        uint32_t fvf;
        VertexBlendMode mode;
        float weights[3];
        float x, y; // expected centre in NDC
    };
    const Case cases[] = {
        { fvf::kXyzB1, VertexBlendMode::Weights1, { 1, 0, 0 }, -0.5f, 0.5f },
        { fvf::kXyzB1, VertexBlendMode::Weights1, { 0, 0, 0 }, 0.5f, 0.5f },
        { fvf::kXyzB2, VertexBlendMode::Weights2, { 0.5f, 0, 0 }, -0.5f, 0.0f }, // half of 0, half of 2
        { fvf::kXyzB3, VertexBlendMode::Weights3, { 0, 0, 0 }, 0.5f, -0.5f },
        { fvf::kXyzB3, VertexBlendMode::Weights3, { 0, 1, 0 }, 0.5f, 0.5f },
    };
    for (const Case& c : cases) {
        uint32_t weights = (c.fvf - 4) / 2;
        uint32_t size = 12 + 4 * weights;
        std::vector<uint8_t> bytes;
        const float corners[4][2] = { { -0.2f, 0.2f }, { 0.2f, 0.2f }, { -0.2f, -0.2f }, { 0.2f, -0.2f } };
        for (auto& corner : corners) {
            std::vector<uint8_t> v(size + 4);
            float pos[3] = { corner[0], corner[1], 0.5f };
            std::memcpy(v.data(), pos, 12);
            for (uint32_t i = 0; i < weights && i < 3; ++i)
                std::memcpy(v.data() + 12 + 4 * i, &c.weights[i], 4);
            Color green = kGreen;
            std::memcpy(v.data() + size, &green, 4);
            bytes.insert(bytes.end(), v.begin(), v.end());
        }
        m_device->SetRenderState(RenderState::VertexBlend, uint32_t(c.mode));
        Begin();
        ClearTarget(kBlack);
        m_device->SetVertexShader(c.fvf | fvf::kDiffuse);
        m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, bytes.data(), size + 4);
        End();
        int px = int((c.x + 1) * 8), py = int((1 - c.y) * 8);
        EXPECT_EQ(Pixel(px, py), kGreen)
            << "fvf " << c.fvf << " weights " << c.weights[0] << "," << c.weights[1];
        EXPECT_EQ(Pixel(px < 8 ? 15 : 0, py < 8 ? 15 : 0), kBlack);
    }
    m_device->SetRenderState(RenderState::VertexBlend, 0);
}

TEST_F(ConventionsTest, scaledPointSizeAtDistanceTen)
{
    m_device->Release();
    m_device = nullptr;
    CreateDevice(64, 64);
    Unlit();
    m_device->SetTransform(Transform::Projection, Perspective(1.5707964f, 1, 1, 100));
    const float size = 1.5f;
    m_device->SetRenderState(RenderState::PointSize, FloatBits(size));
    m_device->SetRenderState(RenderState::PointScaleEnable, 1);
    m_device->SetRenderState(RenderState::PointScaleA, FloatBits(0.1f));
    m_device->SetRenderState(RenderState::PointScaleB, FloatBits(0.0f));
    m_device->SetRenderState(RenderState::PointScaleC, FloatBits(1.0f));
    struct PointVertex {
        float x, y, z;
        Color diffuse;
    };
    PointVertex point { 0, 0, 10, kGreen };
    Begin();
    ClearTarget(kBlack);
    m_device->SetVertexShader(fvf::kXyz | fvf::kDiffuse);
    ASSERT_EQ(m_device->DrawPrimitiveUP(PrimitiveType::PointList, 1, &point, sizeof point), Result::Ok);
    End();
    std::vector<uint32_t> p = Read();
    int row = 0;
    for (int x = 0; x < 64; ++x)
        row += p[32 * 64 + x] == kGreen ? 1 : 0;
    float expected = 64 * size * std::sqrt(1.0f / (0.1f + 100.0f)); // 9.6
    EXPECT_GE(row, int(std::floor(expected)));
    EXPECT_LE(row, int(std::ceil(expected)));
}

TEST_F(ConventionsTest, pointSpritesSpanTheTextureFromTheTopLeft)
{
    Texture* quadrants = MakeTexture(2, 2, { kRed, kGreen, kBlue, 0xFFFFFFFFu });
    m_device->SetTexture(0, quadrants);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetRenderState(RenderState::PointSpriteEnable, 1);
    m_device->SetRenderState(RenderState::PointSize, FloatBits(8.0f));
    Begin();
    ClearTarget(kBlack);
    DrawScreen({ { 8, 8, 0.5f, 1, 0xFFFFFFFFu, 0, 0 } }, PrimitiveType::PointList);
    End();
    std::vector<uint32_t> p = Read();
    EXPECT_EQ(p[5 * 16 + 5], kRed);
    EXPECT_EQ(p[5 * 16 + 10], kGreen);
    EXPECT_EQ(p[10 * 16 + 5], kBlue);
    EXPECT_EQ(p[10 * 16 + 10], 0xFFFFFFFFu);
    EXPECT_EQ(p[2 * 16 + 2], kBlack);
    m_device->SetRenderState(RenderState::PointSpriteEnable, 0);
}

TEST_F(ConventionsTest, pointSizesStayWithinTheProfilesMaximum)
{
    for (CapsProfile profile : { CapsProfile::Full, CapsProfile::Minimal }) {
        m_device->Release();
        m_device = nullptr;
        m_adapter->SetCapsProfile(profile);
        CreateDevice(16, 16);
        m_device->SetRenderState(RenderState::PointSize, FloatBits(4.0f));
        Begin();
        ClearTarget(kBlack);
        DrawScreen({ { 8, 8, 0.5f, 1, kGreen, 0, 0 } }, PrimitiveType::PointList);
        End();
        std::vector<uint32_t> p = Read();
        int lit = 0;
        for (uint32_t c : p)
            lit += c == kGreen ? 1 : 0;
        EXPECT_EQ(lit, profile == CapsProfile::Full ? 16 : 1)
            << (profile == CapsProfile::Full ? "full" : "minimal");
    }
}

TEST_F(ConventionsTest, anEnabledClipPlaneCutsInWorldSpace)
{
    Unlit();
    const float plane[4] = { 1, 0, 0, -0.5f }; // keeps x >= 0.5 in world space
    m_device->SetClipPlane(0, plane);
    m_device->SetRenderState(RenderState::ClipPlaneEnable, 1);
    m_device->SetTransform(Transform::View, Translation(-0.5f, 0, 0)); // the cut lands at the centre
    Begin();
    ClearTarget(kBlack);
    WorldQuad(-2, -1, 2, 1, 0.5f, kGreen);
    End();
    EXPECT_EQ(Pixel(4, 8), kBlack);
    EXPECT_EQ(Pixel(12, 8), kGreen);
    m_device->SetRenderState(RenderState::ClipPlaneEnable, 0);
    Begin();
    ClearTarget(kBlack);
    WorldQuad(-2, -1, 2, 1, 0.5f, kGreen);
    End();
    EXPECT_EQ(Pixel(4, 8), kGreen);
}

} // namespace
} // namespace plat::gfx::gltest

namespace plat::gfx::gltest {
namespace {

class StageConventionsTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        CreateDevice(16, 16);
        m_device->SetRenderState(RenderState::Lighting, 0);
        m_device->SetRenderState(RenderState::CullMode, uint32_t(Cull::None));
    }
};

TEST_F(StageConventionsTest, count2TextureTransformsWorkOnStagesZeroToTwo)
{
    // The stage under test samples red | blue at u 0.25 and is moved to the blue half by its
    // matrix; the other stages multiply by white.
    Texture* halves = MakeTexture(2, 1, { kRed, kBlue });
    Texture* white = SolidTexture(0xFFFFFFFFu);
    Matrix shift = Matrix::Identity();
    shift.m[2][0] = 0.5f;
    for (uint32_t tested = 0; tested < 3; ++tested) {
        SCOPED_TRACE(tested);
        for (uint32_t stage = 0; stage < 3; ++stage) {
            m_device->SetTexture(stage, stage == tested ? halves : white);
            m_device->SetTextureStageState(stage, StageState::MagFilter, uint32_t(TextureFilter::Point));
            m_device->SetTextureStageState(stage, StageState::MinFilter, uint32_t(TextureFilter::Point));
            m_device->SetTextureStageState(stage, StageState::TexCoordIndex, 0);
            m_device->SetTextureStageState(stage, StageState::ColorArg1, uint32_t(TextureArg::Texture));
            m_device->SetTextureStageState(stage, StageState::ColorArg2, uint32_t(TextureArg::Current));
            m_device->SetTextureStageState(stage, StageState::ColorOp,
                uint32_t(stage == 0 ? TextureOp::SelectArg1 : TextureOp::Modulate));
            m_device->SetTransform(TextureTransformOf(stage), stage == tested ? shift : Matrix::Identity());
            m_device->SetTextureStageState(stage, StageState::TextureTransformFlags,
                uint32_t(stage == tested ? TextureTransform::Count2 : TextureTransform::Disable));
        }
        Begin();
        ClearTarget(kBlack);
        ColorVertex v[4]
            = { { -1, 1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f }, { 1, 1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f },
                  { -1, -1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f }, { 1, -1, 0.5f, 0xFFFFFFFF, 0.25f, 0.5f } };
        m_device->SetVertexShader(kColorFvf);
        ASSERT_EQ(
            m_device->DrawPrimitiveUP(PrimitiveType::TriangleStrip, 2, v, sizeof(ColorVertex)), Result::Ok);
        End();
        EXPECT_EQ(Pixel(8, 8), kBlue);
    }
}

TEST_F(StageConventionsTest, mipMapLodBiasMovesSamplingToACoarserLevel)
{
    // Level 0 red, level 1 green, level 2 blue; drawn one texel a pixel, so level 0 unless biased.
    Texture* texture = nullptr;
    ASSERT_EQ(m_device->CreateTexture(4, 4, 3, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    m_owned.push_back(texture);
    const Color levels[3] = { kRed, kGreen, kBlue };
    for (uint32_t level = 0; level < 3; ++level) {
        LockedRect locked;
        ASSERT_EQ(texture->LockRect(level, locked, nullptr, 0), Result::Ok);
        const uint32_t side = 4u >> level;
        for (uint32_t y = 0; y < side; ++y)
            for (uint32_t x = 0; x < side; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.bits) + size_t(y) * size_t(locked.pitch) + 4 * x,
                    &levels[level], 4);
        ASSERT_EQ(texture->UnlockRect(level), Result::Ok);
    }
    m_device->SetTexture(0, texture);
    m_device->SetTextureStageState(0, StageState::ColorOp, uint32_t(TextureOp::SelectArg1));
    m_device->SetTextureStageState(0, StageState::MagFilter, uint32_t(TextureFilter::Point));
    m_device->SetTextureStageState(0, StageState::MinFilter, uint32_t(TextureFilter::Point));
    m_device->SetTextureStageState(0, StageState::MipFilter, uint32_t(TextureFilter::Point));
    for (const auto& [bias, expected] : { std::pair { 0.0f, kRed }, std::pair { 1.0f, kGreen },
             std::pair { 2.0f, kBlue }, std::pair { -1.0f, kRed } }) {
        uint32_t bits = 0;
        std::memcpy(&bits, &bias, 4);
        m_device->SetTextureStageState(0, StageState::MipMapLodBias, bits);
        Begin();
        ClearTarget(kBlack);
        ScreenQuad(0, 0, 4, 4, 0xFFFFFFFFu);
        End();
        EXPECT_EQ(Pixel(1, 1), expected) << "bias " << bias;
    }
}

} // namespace
} // namespace plat::gfx::gltest

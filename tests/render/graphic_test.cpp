#include "tests/render/render_fixture.h"

#include "foundation/CViewFrame.h"
#include "foundation/XRangeError.h"

#include <cmath>
#include <functional>

using namespace plat::gfx;

namespace {

struct CreationCase {
    const char* name;
    std::function<void(null::Config&)> configure;
    bool windowed;
    int32_t bitsPerPixel;
    bool created;
    Format backBuffer;
    Format depth;
    bool hal;
};

const CreationCase kCreationCases[] = {
    { "A8R8G8B8 desktop in a window", [](null::Config& c) { c.desktop.format = Format::A8R8G8B8; }, true, 32,
        true, Format::X8R8G8B8, Format::D24S8, true },
    { "16-bit full screen", [](null::Config&) {}, false, 16, true, Format::R5G6B5, Format::D16, true },
    { "only D24X8",
        [](null::Config& c) {
            c.hal.refusedFormats = { Format::D24S8, Format::D16 };
        },
        true, 32, true, Format::X8R8G8B8, Format::D24X8, true },
    { "no depth format on HAL goes to REF",
        [](null::Config& c) {
            c.hal.refusedFormats = { Format::D24S8, Format::D24X8, Format::D16 };
            c.ref.available = true;
        },
        true, 32, true, Format::X8R8G8B8, Format::D24S8, false },
    { "HAL creation fails without trying REF",
        [](null::Config& c) {
            c.hal.failCreateDevice = true;
            c.ref.available = true;
        },
        true, 32, false, Format::Unknown, Format::Unknown, true },
    { "no device type at all", [](null::Config& c) { c.hal.available = false; }, true, 32, false,
        Format::Unknown, Format::Unknown, true },
};

class GraphicTest : public RenderTest { };

} // namespace

TEST_F(GraphicTest, deviceCreationChoosesFormatsAndDeviceType)
{
    for (const CreationCase& row : kCreationCases) {
        SCOPED_TRACE(row.name);
        null::ResetConfig();
        row.configure(null::GetConfig());
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        bool created = g_Graphic.CreateDevice(0, 640, 480, row.bitsPerPixel, Format::Unknown, 60, 1,
            row.windowed, MultiSample::None, 1, 1, PresentInterval::One, false, &m_window);
        EXPECT_EQ(created, row.created);
        if (created) {
            EXPECT_EQ(g_Graphic.BackBufferFormat(), row.backBuffer);
            EXPECT_EQ(g_Graphic.DepthFormat(), row.depth);
            EXPECT_EQ(g_Graphic.Caps().isHal, row.hal);
            ASSERT_NE(g_Graphic.RenderTarget(), nullptr);
            EXPECT_EQ(g_Graphic.RenderTarget()->GetFormat(), row.backBuffer);
            ASSERT_NE(g_Graphic.DepthSurface(), nullptr);
            EXPECT_EQ(g_Graphic.DepthSurface()->GetFormat(), row.depth);
        } else {
            EXPECT_EQ(g_Graphic.GetDevice(), nullptr);
        }
        g_Graphic.Release();
    }
    EXPECT_FALSE(LogExists());
}

TEST_F(GraphicTest, windowedScreenSizeIsTheClientRectangle)
{
    m_window.size = { 800, 500 };
    ASSERT_TRUE(CreateGraphic());
    EXPECT_EQ(g_Graphic.ScreenWidth(), 800);
    EXPECT_EQ(g_Graphic.ScreenHeight(), 500);
    EXPECT_FALSE(g_Graphic.Caps().fullscreenGamma);
    g_Graphic.SetFullViewport();
    Viewport viewport;
    Device().GetViewport(viewport);
    EXPECT_EQ(viewport.width, 800u);
    EXPECT_EQ(viewport.height, 500u);
}

TEST_F(GraphicTest, anisotropyIsLimitedByTheDeviceOnStagesZeroToThree)
{
    null::GetConfig().hal.caps.maxAnisotropy = 4;
    ASSERT_TRUE(CreateGraphic(2, 16));
    for (uint32_t stage = 0; stage < 4; ++stage) {
        uint32_t value = 0;
        Device().GetTextureStageState(stage, StageState::MaxAnisotropy, value);
        EXPECT_EQ(value, 4u) << stage;
        Device().GetTextureStageState(stage, StageState::MinFilter, value);
        EXPECT_EQ(value, StateValue(TextureFilter::Anisotropic));
        Device().GetTextureStageState(stage, StageState::MipFilter, value);
        EXPECT_EQ(value, StateValue(TextureFilter::Linear));
    }
    uint32_t stage4 = 0;
    Device().GetTextureStageState(4, StageState::MaxAnisotropy, stage4);
    EXPECT_EQ(stage4, 1u);
}

TEST_F(GraphicTest, filterModesSetTheirFilters)
{
    const struct {
        uint32_t mode;
        TextureFilter mip;
    } rows[] = { { 0, TextureFilter::Point }, { 1, TextureFilter::Linear }, { 7, TextureFilter::Point } };
    for (const auto& row : rows) {
        ASSERT_TRUE(CreateGraphic(row.mode));
        for (uint32_t stage = 0; stage < 4; ++stage) {
            uint32_t mag = 0, mip = 0;
            Device().GetTextureStageState(stage, StageState::MagFilter, mag);
            Device().GetTextureStageState(stage, StageState::MipFilter, mip);
            EXPECT_EQ(mag, StateValue(TextureFilter::Linear));
            EXPECT_EQ(mip, StateValue(row.mip)) << row.mode;
        }
        g_Graphic.Release();
    }
}

TEST_F(GraphicTest, capsDigestFollowsTheProfile)
{
    ASSERT_TRUE(CreateGraphic());
    const GraphicCaps& full = g_Graphic.Caps();
    EXPECT_TRUE(full.dxt5Textures);
    EXPECT_TRUE(full.reflectionTexture);
    EXPECT_TRUE(full.secondWaterTexture);
    EXPECT_TRUE(full.hasPixelShader);
    g_Graphic.Release();

    Caps caps = MinimalCaps(null::FullCaps(DeviceType::Hal));
    null::GetConfig().hal.caps = caps;
    ASSERT_TRUE(CreateGraphic());
    const GraphicCaps& minimal = g_Graphic.Caps();
    EXPECT_FALSE(minimal.dxt5Textures);
    EXPECT_FALSE(minimal.reflectionTexture);
    EXPECT_FALSE(minimal.secondWaterTexture);
    EXPECT_FALSE(minimal.hasPixelShader);
    EXPECT_EQ(minimal.maxBlendStages, 2u);
}

TEST_F(GraphicTest, gammaRampsFollowTheirFormulas)
{
    const struct {
        int32_t level;
        double exponent;
    } rows[] = { { 0, 1.0 }, { 5, std::pow(2.0, -0.5) }, { -5, 2.0 } };
    for (const auto& row : rows) {
        GammaRamp ramp;
        Graphic::BuildGammaRamp(ramp, row.level);
        EXPECT_EQ(ramp.red[0], 0);
        EXPECT_EQ(ramp.blue[255], 65535);
        for (int i : { 1, 64, 128, 200 })
            EXPECT_EQ(ramp.green[i], uint16_t(65535.0 * std::pow(i / 255.0, row.exponent))) << row.level;
    }
    GammaRamp bright, dark;
    Graphic::BuildGammaRamp(bright, 5);
    Graphic::BuildGammaRamp(dark, -5);
    EXPECT_GT(bright.red[100], dark.red[100]);

    GammaRamp base, scaled;
    Graphic::BuildGammaRamp(base, 0);
    Graphic::ScaleGammaRamp(scaled, base, 0.0f);
    EXPECT_EQ(scaled.red[255], uint16_t(65535 * 0.05f));
    Graphic::ScaleGammaRamp(scaled, base, 0.5f);
    EXPECT_EQ(scaled.green[255], 32767);

    GammaRamp same, white;
    Graphic::BrightenGammaRamp(same, base, 0.0f);
    Graphic::BrightenGammaRamp(white, base, 1.0f);
    for (int i = 0; i < 256; ++i) {
        EXPECT_NEAR(same.red[i], base.red[i], 1);
        EXPECT_EQ(white.blue[i], 65535);
    }
}

TEST_F(GraphicTest, projectionIsTheLeftHandedPerspective)
{
    ASSERT_TRUE(CreateGraphic());
    g_Graphic.SetProjection(1000.0f, 2.0f, 90.0f, 60.0f, true);
    const Matrix4& m = g_Graphic.GetProjection();
    const float q = 1000.0f / 998.0f;
    EXPECT_NEAR(m.m[0], 1.0f, 1e-6f);
    EXPECT_NEAR(m.m[5], 1.0f / std::tan(30.0 * 3.14159265358979 / 180.0), 1e-5f);
    EXPECT_FLOAT_EQ(m.m[10], q);
    EXPECT_FLOAT_EQ(m.m[11], 1.0f);
    EXPECT_FLOAT_EQ(m.m[14], -q * 2.0f);
    EXPECT_EQ(m.m[15], 0.0f);
    Matrix device;
    Device().GetTransform(Transform::Projection, device);
    EXPECT_EQ(device, ToDeviceMatrix(m));

    // Without store the device changes and the kept matrix stays; RestoreProjection returns to it.
    g_Graphic.SetProjection(10.0f, 1.0f, 60.0f, 60.0f, false);
    EXPECT_FLOAT_EQ(g_Graphic.GetProjection().m[10], q);
    g_Graphic.ApplyGammaRamp();
    Device().GetTransform(Transform::Projection, device);
    EXPECT_EQ(device, ToDeviceMatrix(m));
}

TEST_F(GraphicTest, renderTargetStackRestoresPairsAndRefusesUnderflow)
{
    ASSERT_TRUE(CreateGraphic());
    Surface* target = nullptr;
    Surface* depth = nullptr;
    ASSERT_EQ(
        Device().CreateRenderTarget(64, 64, Format::X8R8G8B8, MultiSample::None, false, &target), Result::Ok);
    ASSERT_EQ(Device().CreateDepthStencilSurface(64, 64, Format::D16, MultiSample::None, &depth), Result::Ok);

    EXPECT_EQ(g_Graphic.PushRenderTarget(target, depth), 0);
    Surface* current = nullptr;
    Device().GetRenderTarget(&current);
    EXPECT_EQ(current, target);
    current->Release();
    g_Graphic.PopRenderTarget();
    Device().GetRenderTarget(&current);
    EXPECT_EQ(current, g_Graphic.RenderTarget());
    current->Release();
    EXPECT_EQ(g_Graphic.CurrentDepth(), g_Graphic.DepthSurface());

    // A refused target answers negative and stays pushed, so the caller's pop balances it.
    Surface* image = nullptr;
    ASSERT_EQ(Device().CreateImageSurface(8, 8, Format::X8R8G8B8, &image), Result::Ok);
    EXPECT_LT(g_Graphic.PushRenderTarget(image, nullptr), 0);
    g_Graphic.PopRenderTarget();
    EXPECT_EQ(g_Graphic.CurrentTarget(), g_Graphic.RenderTarget());

    EXPECT_THROW(g_Graphic.PopRenderTarget(), XRangeError);
    ASSERT_EQ(LogMessages().size(), 1u);
    EXPECT_EQ(LogMessages()[0], "XStaticFIFO::Pop index is out of range");
    EXPECT_NE(std::string(CallTraceText()).find("Graphic::PopRenderTarget"), std::string::npos);
    image->Release();
    target->Release();
    depth->Release();
}

TEST_F(GraphicTest, afterAResetThePushedPairReturnsToTheNewBackBuffer)
{
    ASSERT_TRUE(CreateGraphic());
    const uint32_t oldBackBuffer = g_Graphic.RenderTarget()->Id();
    g_Graphic.ReleaseTargetSurfaces();
    ASSERT_EQ(Device().Reset(g_Graphic.PresentParams()), Result::Ok);
    g_Graphic.AcquireTargetSurfaces();
    ASSERT_NE(g_Graphic.RenderTarget(), nullptr);
    ASSERT_NE(g_Graphic.RenderTarget()->Id(), oldBackBuffer) << "the reset made a new back buffer";
    EXPECT_EQ(g_Graphic.CurrentTarget(), g_Graphic.RenderTarget());
    EXPECT_EQ(g_Graphic.CurrentDepth(), g_Graphic.DepthSurface());

    Surface* target = nullptr;
    ASSERT_EQ(
        Device().CreateRenderTarget(64, 64, Format::X8R8G8B8, MultiSample::None, false, &target), Result::Ok);
    EXPECT_EQ(g_Graphic.PushRenderTarget(target, nullptr), 0);
    g_Graphic.PopRenderTarget();
    Surface* current = nullptr;
    ASSERT_EQ(Device().GetRenderTarget(&current), Result::Ok);
    EXPECT_EQ(current->Id(), g_Graphic.RenderTarget()->Id());
    current->Release();
    Surface* depth = nullptr;
    ASSERT_EQ(Device().GetDepthStencilSurface(&depth), Result::Ok);
    EXPECT_EQ(depth, g_Graphic.DepthSurface());
    depth->Release();
    target->Release();
}

TEST_F(GraphicTest, worldStackSetsTheWorldTransform)
{
    ASSERT_TRUE(CreateGraphic());
    EXPECT_THROW(g_Graphic.WorldTop(), XRangeError);
    ASSERT_EQ(LogMessages().size(), 1u);
    EXPECT_EQ(LogMessages()[0], "XStaticFIFO::Last stack is empty");

    Matrix4 a, b, c;
    Matrix4Identity(a, 2.0f);
    Matrix4Identity(b, 3.0f);
    Matrix4Identity(c, 4.0f);
    Matrix world;
    g_Graphic.SetWorldMatrix(a);
    EXPECT_EQ(g_Graphic.WorldDepth(), 1);
    g_Graphic.SetWorldMatrix(b);
    EXPECT_EQ(g_Graphic.WorldDepth(), 1);
    EXPECT_EQ(g_Graphic.WorldTop().m[0], 3.0f);
    g_Graphic.PushWorldMatrix(c);
    Device().GetTransform(Transform::World, world);
    EXPECT_EQ(world, ToDeviceMatrix(c));
    g_Graphic.PopWorldMatrix();
    Device().GetTransform(Transform::World, world);
    EXPECT_EQ(world, ToDeviceMatrix(b));
    g_Graphic.ResetWorldStack();
    EXPECT_EQ(g_Graphic.WorldDepth(), 0);
    for (int i = 0; i < Graphic::kWorldStackSize; ++i)
        g_Graphic.PushWorldMatrix(a);
    EXPECT_THROW(g_Graphic.PushWorldMatrix(a), XRangeError);
}

TEST_F(GraphicTest, materialAndFrameCountersAreKept)
{
    ASSERT_TRUE(CreateGraphic());
    Material material;
    material.diffuse = { 0.5f, 0.25f, 1, 1 };
    material.power = 7;
    g_Graphic.SetMaterial(material);
    EXPECT_EQ(g_Graphic.GetMaterial().power, 7.0f);
    Material device;
    Device().GetMaterial(device);
    EXPECT_EQ(device.diffuse.g, 0.25f);

    g_Graphic.ResetFrameCounters(); // the global counts what earlier tests drew
    g_Graphic.CountDraw(10);
    g_Graphic.CountDraw(5);
    EXPECT_EQ(g_Graphic.DrawCalls(), 2u);
    EXPECT_EQ(g_Graphic.Primitives(), 15u);
    g_Graphic.ResetFrameCounters();
    EXPECT_EQ(g_Graphic.DrawCalls(), 0u);
    EXPECT_EQ(g_Graphic.Primitives(), 0u);
}

TEST_F(GraphicTest, releaseUnbindsAndDropsEverything)
{
    ASSERT_TRUE(CreateGraphic());
    Texture* texture = nullptr;
    ASSERT_EQ(Device().CreateTexture(4, 4, 1, 0, Format::A8R8G8B8, Pool::Managed, &texture), Result::Ok);
    Device().SetTexture(2, texture);
    texture->Release();
    g_Graphic.Release();
    EXPECT_EQ(g_Graphic.GetDevice(), nullptr);
    EXPECT_EQ(g_Graphic.GetDirect3D(), nullptr);
    EXPECT_EQ(g_Graphic.RenderTarget(), nullptr);
    g_Graphic.Release();
}

TEST(IntLog2Test, countsHalvings)
{
    const int32_t rows[][2] = { { -4, 0 }, { 0, 0 }, { 1, 0 }, { 2, 1 }, { 3, 1 }, { 4, 2 }, { 255, 7 },
        { 256, 8 }, { 8192, 13 } };
    for (const auto& row : rows)
        EXPECT_EQ(IntLog2(row[0]), row[1]) << row[0];
}

TEST_F(GraphicTest, theViewFrameSetsTheViewTransformWhileADeviceExists)
{
    ASSERT_TRUE(CreateGraphic());
    ViewFrame.SetPosition(Vec3 { 1, 2, 3 });
    ViewFrame.Apply(true);
    Matrix view;
    Device().GetTransform(Transform::View, view);
    EXPECT_EQ(view, ToDeviceMatrix(ViewFrame.matrix));
    g_Graphic.Release();
    ViewFrame.Apply(true); // no device: the maths only
}

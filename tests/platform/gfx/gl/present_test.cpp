// Present's final pass into a real (offscreen) window: the gamma ramp in a window and in full
// screen, the picture scaled into the output rectangle with black bars, read-backs unaffected.
// Pictures shown into the window with and without a device.
#include "tests/platform/gfx/gl/gl_fixture.h"

#include "platform/gfx/picture.h"
#include "platform/gfx/window.h"
#include "platform/window/display.h"
#include "platform/window/window.h"

namespace plat::gfx::gltest {
namespace {

GammaRamp Scaled(float scale)
{
    GammaRamp ramp;
    for (int i = 0; i < 256; ++i) {
        auto value = uint16_t(std::min(65535.0f, float(i) * 257.0f * scale + 0.5f));
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = value;
    }
    return ramp;
}

class PresentTest : public GlTest {
protected:
    void TearDown() override
    {
        GlTest::TearDown();
        plat::window::ClearDisplayModeOverride();
    }

    void Open(bool fullScreen, uint32_t width, uint32_t height)
    {
        plat::window::WindowDesc desc;
        desc.className = "ZOQTEST";
        desc.title = "gl present";
        desc.width = 48;
        desc.height = 48;
        desc.style = fullScreen ? plat::window::Style::FullScreen : plat::window::Style::None;
        m_deviceWindow = m_gl->OpenWindow(desc);
        ASSERT_NE(m_deviceWindow, nullptr);
        m_window = &m_deviceWindow->Window();
        if (fullScreen)
            plat::window::OverrideDisplayModes(
                { { int(width), int(height), 60, plat::window::DisplayFormat::X8R8G8B8 } },
                { int(width), int(height), 60, plat::window::DisplayFormat::X8R8G8B8 });
        m_params = PresentParameters {};
        m_params.windowed = !fullScreen;
        m_params.backBufferWidth = width;
        m_params.backBufferHeight = height;
        m_params.backBufferFormat = Format::X8R8G8B8;
        m_params.flags = present::kLockableBackBuffer;
        m_params.window = m_deviceWindow;
        ASSERT_EQ(m_adapter->CreateDevice(0, DeviceType::Hal, m_deviceWindow,
                      create::kHardwareVertexProcessing, m_params, &m_device),
            Result::Ok);
        gl::CaptureWindow(Gl(), true);
    }

    std::vector<uint32_t> PresentColour(Color color, const GammaRamp& ramp, int& width, int& height)
    {
        m_device->SetGammaRamp(0, ramp);
        Begin();
        ClearTarget(color);
        End();
        EXPECT_EQ(m_device->Present(), Result::Ok);
        return gl::CapturedWindow(Gl(), width, height);
    }

    plat::window::Window* m_window = nullptr;
    zoq::test::LayerWindow* m_deviceWindow = nullptr;
};

TEST_F(PresentTest, presentWaitsForVerticalSyncUnlessAskedNotTo)
{
    struct Row {
        bool fullScreen;
        PresentInterval interval;
        int swapInterval;
    };
    const Row rows[] = {
        { false, PresentInterval::Default, 1 },
        { false, PresentInterval::Immediate, 0 },
        { true, PresentInterval::One, 1 },
        { true, PresentInterval::Immediate, 0 },
    };
    Open(false, 16, 16);
    const plat::window::DisplayMode mode { 16, 16, 60, plat::window::DisplayFormat::X8R8G8B8 };
    plat::window::OverrideDisplayModes({ mode }, mode);
    for (const Row& row : rows) {
        m_params.windowed = !row.fullScreen;
        m_params.presentationInterval = row.interval;
        ASSERT_EQ(m_device->Reset(m_params), Result::Ok);
        EXPECT_EQ(m_window->SwapInterval(), row.swapInterval)
            << (row.fullScreen ? "full screen, " : "window, ") << int(row.interval);
    }
}

TEST_F(PresentTest, aHalvedRampHalvesTheWindowsPixelsAndTheIdentityLeavesThem)
{
    Open(false, 48, 48);
    int w = 0, h = 0;
    std::vector<uint32_t> window = PresentColour(0xFF8040C0u, Scaled(0.5f), w, h);
    ASSERT_EQ(w, 48);
    ASSERT_EQ(h, 48);
    EXPECT_PIXEL(window[24 * 48 + 24], 0xFF402060u);
    EXPECT_PIXEL(window[0], 0xFF402060u);
    // The back buffer itself keeps the colour: read-backs never see the ramp.
    EXPECT_EQ(Pixel(0, 0), 0xFF8040C0u);
    window = PresentColour(0xFF8040C0u, GammaRamp::Identity(), w, h);
    EXPECT_EQ(window[24 * 48 + 24], 0xFF8040C0u);
}

TEST_F(PresentTest, fullScreenScalesTheBackBufferIntoTheOutputRectangleWithTheRamp)
{
    Open(true, 32, 16);
    int w = 0, h = 0;
    // The top half of the back buffer white, the bottom half blue: the picture stays upright.
    m_device->SetGammaRamp(0, Scaled(0.5f));
    Begin();
    ClearTarget(0xFF0000FFu);
    Rect top { 0, 0, 32, 8 };
    m_device->Clear(1, &top, clear::kTarget, 0xFFFFFFFFu, 1, 0);
    End();
    ASSERT_EQ(m_device->Present(), Result::Ok);
    std::vector<uint32_t> window = gl::CapturedWindow(Gl(), w, h);
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);
    plat::window::Rect out = m_window->OutputRect();
    ASSERT_GT(out.width, 0);
    int cx = out.x + out.width / 2;
    EXPECT_PIXEL(window[size_t(out.y + out.height / 4) * size_t(w) + size_t(cx)], 0xFF808080u);
    EXPECT_PIXEL(window[size_t(out.y + out.height * 3 / 4) * size_t(w) + size_t(cx)], 0xFF000080u);
    // Outside the rectangle the bars are black.
    if (out.y > 0) {
        EXPECT_EQ(window[size_t(cx)], 0xFF000000u);
    }
    if (out.x > 0) {
        EXPECT_EQ(window[size_t(out.y + out.height / 2) * size_t(w)], 0xFF000000u);
    }
    EXPECT_TRUE(out.x > 0 || out.y > 0) << "a 2:1 picture in a " << w << "x" << h << " window";
}

// Two rows of two pixels: red, green over blue, white.
const uint32_t kQuadrants[4] = { 0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu };

uint32_t At(const std::vector<uint32_t>& window, int width, int x, int y)
{
    return window.at(size_t(y) * size_t(width) + size_t(x));
}

TEST_F(PresentTest, aDevicePictureFillsTheWindowsWidthUprightThroughTheRamp)
{
    Open(false, 48, 48);
    m_device->SetGammaRamp(0, Scaled(0.5f));
    // Two rows of four, red over blue: 48 x 24 in the middle of the window, nearest.
    uint32_t pixels[8]
        = { 0xFF0000u, 0xFF0000u, 0xFF0000u, 0xFF0000u, 0x0000FFu, 0x0000FFu, 0x0000FFu, 0x0000FFu };
    ASSERT_EQ(PresentPicture(m_device, nullptr, { pixels, 4, 2, 16 }), Result::Ok);
    int w = 0, h = 0;
    std::vector<uint32_t> window = gl::CapturedWindow(Gl(), w, h);
    ASSERT_EQ(w, 48);
    ASSERT_EQ(h, 48);
    for (int x : { 0, 24, 47 }) {
        EXPECT_EQ(At(window, w, x, 11), 0xFF000000u) << x;
        EXPECT_PIXEL(At(window, w, x, 12), 0xFF800000u);
        EXPECT_PIXEL(At(window, w, x, 23), 0xFF800000u);
        EXPECT_PIXEL(At(window, w, x, 24), 0xFF000080u);
        EXPECT_PIXEL(At(window, w, x, 35), 0xFF000080u);
        EXPECT_EQ(At(window, w, x, 36), 0xFF000000u) << x;
    }
    m_device->SetForcedLoss(true);
    EXPECT_EQ(PresentPicture(m_device, nullptr, { pixels, 4, 2, 16 }), Result::DeviceLost);
}

TEST_F(PresentTest, aPictureLeavesWhatTheDeviceKnowsOfGlValid)
{
    Open(false, 48, 48);
    const std::vector<uint32_t> texels = { 0x80FF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x40FFFFFFu };
    // A frame with a viewport, blending, culling and a texture on stage 0.
    auto frame = [&](Texture* texture) {
        Begin();
        ClearTarget(0xFF204060u);
        Viewport viewport { 4, 6, 36, 30, 0, 1 };
        m_device->SetViewport(viewport);
        m_device->SetRenderState(RenderState::AlphaBlendEnable, 1);
        m_device->SetRenderState(RenderState::SrcBlend, StateValue(Blend::SrcAlpha));
        m_device->SetRenderState(RenderState::DestBlend, StateValue(Blend::InvSrcAlpha));
        m_device->SetTexture(0, texture);
        m_device->SetTextureStageState(0, StageState::ColorOp, StateValue(TextureOp::Modulate));
        m_device->SetTextureStageState(0, StageState::AlphaOp, StateValue(TextureOp::SelectArg1));
        ScreenQuad(0, 0, 48, 48, 0xFFFFFFFFu);
        End();
        return Read();
    };
    Texture* texture = MakeTexture(2, 2, texels);
    std::vector<uint32_t> before = frame(texture);
    // A picture of another size (linear scaling) on the same context, then the same frame: what
    // the backend thinks is still set must be set.
    std::vector<uint32_t> picture(5 * 3, 0x123456u);
    ASSERT_EQ(PresentPicture(m_device, nullptr, { picture.data(), 5, 3, 20 }), Result::Ok);
    std::vector<uint32_t> after = frame(texture);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_EQ(before[i], after[i]) << "pixel " << i % 48 << ", " << i / 48;
    EXPECT_NE(before[20 * 48 + 20], 0xFF204060u) << "the quad was drawn";
}

// Pictures without a device, on the gl backend whatever ZOQ_GFX says.
class WindowPictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        m_gl.CaptureWindowPictures();
    }

    zoq::test::LayerWindow& Open(int width, int height)
    {
        plat::window::WindowDesc desc;
        desc.className = "ZOQTEST";
        desc.title = "pictures";
        desc.width = width;
        desc.height = height;
        zoq::test::LayerWindow* window = m_gl.OpenWindow(desc);
        EXPECT_NE(window, nullptr);
        return *window;
    }

    zoq::test::GlEnvironment m_gl;
};

TEST_F(WindowPictureTest, withoutADeviceThePictureFillsTheWindowsHeightUpright)
{
    zoq::test::LayerWindow& window = Open(48, 32);
    ASSERT_EQ(PresentPicture(nullptr, &window, { kQuadrants, 2, 2, 8 }), Result::Ok);
    int w = 0, h = 0;
    std::vector<uint32_t> shown = gl::CapturedWindowPicture(w, h);
    ASSERT_EQ(w, 48);
    ASSERT_EQ(h, 32);
    // 32 x 32 from x = 8, whole pixels of 16.
    EXPECT_EQ(At(shown, w, 12, 4), 0xFFFF0000u);
    EXPECT_EQ(At(shown, w, 36, 4), 0xFF00FF00u);
    EXPECT_EQ(At(shown, w, 12, 28), 0xFF0000FFu);
    EXPECT_EQ(At(shown, w, 36, 28), 0xFFFFFFFFu);
    EXPECT_EQ(At(shown, w, 7, 16), 0xFF000000u);
    EXPECT_EQ(At(shown, w, 40, 16), 0xFF000000u);

    // Another window gets the output next; the first one's window gone, nothing to draw on.
    zoq::test::LayerWindow& other = Open(20, 20);
    ASSERT_EQ(PresentPicture(nullptr, &other, { kQuadrants, 2, 2, 8 }), Result::Ok);
    shown = gl::CapturedWindowPicture(w, h);
    ASSERT_EQ(w, 20);
    EXPECT_EQ(At(shown, w, 15, 15), 0xFFFFFFFFu);
    m_gl.WindowAt(0).Destroy();
    EXPECT_EQ(PresentPicture(nullptr, &window, { kQuadrants, 2, 2, 8 }), Result::NotAvailable);
}

} // namespace
} // namespace plat::gfx::gltest

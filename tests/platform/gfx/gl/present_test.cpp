// Present's final pass into a real (offscreen) window: the gamma ramp in a window and in full
// screen, the picture scaled into the output rectangle with black bars, read-backs unaffected.
#include "gl_fixture.h"

#include "platform/gfx/window.h"
#include "platform/window/display.h"
#include "platform/window/window.h"

#include <memory>

namespace plat::gfx::gltest {
namespace {

// The device's view of a window-layer window; always focused, so full screen is never lost.
class LayerWindow final : public DeviceWindow {
public:
    explicit LayerWindow(plat::window::Window& window) : m_window(window) {}
    bool IsMinimised() const override { return m_window.IsMinimised(); }
    bool IsFocused() const override { return true; }
    WindowSize ClientSize() const override
    {
        plat::window::Size size = m_window.ClientSize();
        return {uint32_t(size.width), uint32_t(size.height)};
    }
    void* NativeHandle() const override { return &m_window; }

private:
    plat::window::Window& m_window;
};

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
        m_deviceWindow.reset();
        m_window.reset();
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
        m_window = plat::window::Window::Create(desc);
        ASSERT_NE(m_window, nullptr);
        m_deviceWindow = std::make_unique<LayerWindow>(*m_window);
        if (fullScreen)
            plat::window::OverrideDisplayModes({{int(width), int(height), 60, plat::window::DisplayFormat::X8R8G8B8}},
                {int(width), int(height), 60, plat::window::DisplayFormat::X8R8G8B8});
        m_params = PresentParameters{};
        m_params.windowed = !fullScreen;
        m_params.backBufferWidth = width;
        m_params.backBufferHeight = height;
        m_params.backBufferFormat = Format::X8R8G8B8;
        m_params.flags = present::kLockableBackBuffer;
        m_params.window = m_deviceWindow.get();
        ASSERT_EQ(m_adapter->CreateDevice(0, DeviceType::Hal, m_deviceWindow.get(), create::kHardwareVertexProcessing,
                      m_params, &m_device),
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

    std::unique_ptr<plat::window::Window> m_window;
    std::unique_ptr<LayerWindow> m_deviceWindow;
};

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
    Rect top{0, 0, 32, 8};
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

} // namespace
} // namespace plat::gfx::gltest

// A played clip shown through the graphics layer's presenter, read back from the real
// (offscreen) window: centred 1:1 in a window-sized area, or an 800 x 600 area scaled into the
// window; without a device and on one.
#include "platform/gfx/adapter.h"
#include "platform/gfx/device.h"
#include "platform/gfx/gl/gl_backend.h"
#include "platform/video/gfx_presenter.h"
#include "platform/video/surface.h"
#include "platform/video/video_file.h"
#include "platform/window/window.h"
#include "tests/support/gl_environment.h"
#include "tools/audio/theora_writer.h"

#include <gtest/gtest.h>

#include <vector>

using namespace plat::video;
namespace gfx = plat::gfx;
namespace writer = zoq::tools::audio;

namespace {

constexpr uint32_t kColour = 0x2080C0;

void ExpectColour(uint32_t actual, uint32_t expected)
{
    for (int shift : { 16, 8, 0 })
        EXPECT_NEAR(int((actual >> shift) & 0xFF), int((expected >> shift) & 0xFF), 4) << std::hex << actual;
}

class GfxPresenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        plat::window::WindowDesc desc;
        desc.className = "ZOQWC0";
        desc.title = "video";
        desc.width = 320;
        desc.height = 240;
        m_layer = m_gl.OpenWindow(desc);
        ASSERT_NE(m_layer, nullptr);
        m_gl.CaptureWindowPictures();
    }
    void TearDown() override
    {
        if (m_device)
            m_device->Release();
        if (m_adapter)
            m_adapter->Release();
    }

    void CreateDevice()
    {
        m_adapter = gfx::CreateAdapter("gl", gfx::CapsProfile::Full);
        ASSERT_NE(m_adapter, nullptr);
        gfx::PresentParameters params;
        params.windowed = true;
        params.backBufferFormat = gfx::Format::X8R8G8B8;
        ASSERT_EQ(m_adapter->CreateDevice(0, gfx::DeviceType::Hal, m_layer,
                      gfx::create::kHardwareVertexProcessing, params, &m_device),
            gfx::Result::Ok);
        gfx::gl::CaptureWindow(*gfx::gl::FromDevice(*m_device), true);
    }

    // Plays the clip into a surface of the area's size at its centre, as the video player does.
    void Play(uint32_t areaWidth, uint32_t areaHeight, const Presenter& presenter)
    {
        const auto clip = writer::EncodeSolidClip({ 64, 48, 25, 1, 48 }, std::vector<uint32_t>(12, kColour));
        VideoFile video;
        ASSERT_TRUE(video.OpenMemory(clip));
        Surface surface(areaWidth, areaHeight, presenter);
        for (uint32_t frame = 1; frame <= video.FrameCount(); ++frame) {
            ASSERT_TRUE(video.DoFrame());
            uint8_t* bits = nullptr;
            uint32_t pitch = 0;
            ASSERT_EQ(surface.Lock(bits, pitch), SurfaceResult::Ok);
            video.CopyToBuffer(
                bits, pitch, areaHeight, int32_t(areaWidth - 64) / 2, int32_t(areaHeight - 48) / 2);
            surface.Unlock();
            video.NextFrame();
        }
    }

    std::vector<uint32_t> Shown(int& width, int& height)
    {
        if (m_device)
            return gfx::gl::CapturedWindow(*gfx::gl::FromDevice(*m_device), width, height);
        return gfx::gl::CapturedWindowPicture(width, height);
    }

    zoq::test::GlEnvironment m_gl;
    zoq::test::LayerWindow* m_layer = nullptr;
    gfx::Adapter* m_adapter = nullptr;
    gfx::Device* m_device = nullptr;
};

TEST_F(GfxPresenterTest, aPlayedClipsColourReadsBackAtTheWindowsCentre)
{
    struct Case {
        const char* what;
        bool device;
        uint32_t areaWidth, areaHeight;
        int insideX, outsideX; // on the window's middle row
    };
    // Windowed, the clip is 1:1 at x 128..191; the 800 x 600 area is scaled by 0.4, the clip
    // to x 147..172.
    const Case cases[] = {
        { "window, no device", false, 320, 240, 129, 127 },
        { "full-screen area, no device", false, 800, 600, 150, 145 },
        { "window, device", true, 320, 240, 190, 192 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.device)
            CreateDevice();
        Play(c.areaWidth, c.areaHeight, GfxPresenter(*m_layer, [this] { return m_device; }));
        int width = 0, height = 0;
        std::vector<uint32_t> shown = Shown(width, height);
        ASSERT_EQ(width, 320);
        ASSERT_EQ(height, 240);
        ExpectColour(shown[120 * 320 + 160], kColour);
        ExpectColour(shown[120 * 320 + size_t(c.insideX)], kColour);
        EXPECT_EQ(shown[120 * 320 + size_t(c.outsideX)], 0xFF000000u) << c.outsideX;
        EXPECT_EQ(shown[0], 0xFF000000u);
    }
}

} // namespace

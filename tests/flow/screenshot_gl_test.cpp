// The save picture and the tunnel ride on the OpenGL backend (offscreen driver): the picture
// copied out matches a read-back of the 256 x 256 target it was drawn into, the camera returns to
// the chase mode or into the glider, a copy that fails twice leaves the old picture with one log
// line, and the ride draws its frames and switches its fog off at the end.
#include "app/CInput.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "foundation/CTimer.h"
#include "platform/gfx/device.h"
#include "platform/gfx/resource.h"
#include "platform/sound/device.h"
#include "platform/window/display.h"
#include "platform/window/keys.h"
#include "platform/window/message.h"
#include "render/Graphic.h"
#include "tests/app/app_fixture.h"
#include "tests/app/fake_input.h"
#include "tests/support/gl_environment.h"
#include "tests/support/log_lines.h"
#include "world/objects/CCamera.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/PlayerGlobals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace plat::gfx;

constexpr uint32_t kOldPicture = 0xFF5A3C1Eu;

class ScreenShotGlTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        ASSERT_TRUE(zoq::test::GlEnvironment::DriverReady());
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);
        plat::window::ClearMessages();
        const plat::window::DisplayMode mode { 800, 600, 60, plat::window::DisplayFormat::X8R8G8B8 };
        plat::window::OverrideDisplayModes({ mode }, mode);
        std::string error;
        ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error)) << error;
        app.Init("", 0, CZJApp::kTitle);
        ASSERT_NE(g_Graphic.GetDevice(), nullptr);
        ASSERT_NE(app.shotTarget, nullptr);
        camera = std::make_unique<CCamera>();
        glider = std::make_unique<CGliderObject>();
        CameraObject = camera.get();
        PlayerGlider = glider.get();
        PlayerObject = glider.get();
    }
    void TearDown() override
    {
        CameraObject = nullptr;
        PlayerGlider = nullptr;
        PlayerObject = nullptr;
        camera.reset();
        glider.reset();
        app.Shutdown();
        g_Input.Release();
        plat::window::ClearMessages();
        plat::window::ClearDisplayModeOverride();
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Default);
        apptest::TempDirTest::TearDown();
    }

    // An image surface of the side filled with the old picture's colour.
    Surface* Picture(uint32_t side)
    {
        Surface* surface = nullptr;
        EXPECT_EQ(
            g_Graphic.GetDevice()->CreateImageSurface(side, side, Format::X8R8G8B8, &surface), Result::Ok);
        if (!surface)
            return nullptr;
        LockedRect locked;
        EXPECT_EQ(surface->LockRect(locked, nullptr, 0), Result::Ok);
        for (uint32_t y = 0; y < side; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.bits) + y * locked.pitch);
            std::fill(row, row + side, kOldPicture);
        }
        surface->UnlockRect();
        return surface;
    }
    static std::vector<uint32_t> Pixels(Surface* surface, uint32_t side)
    {
        std::vector<uint32_t> pixels(size_t(side) * side);
        LockedRect locked;
        EXPECT_EQ(surface->LockRect(locked, nullptr, lock::kReadOnly), Result::Ok);
        for (uint32_t y = 0; y < side; ++y)
            std::memcpy(pixels.data() + y * side, static_cast<const uint8_t*>(locked.bits) + y * locked.pitch,
                size_t(side) * 4);
        surface->UnlockRect();
        for (uint32_t& pixel : pixels)
            pixel &= 0xFFFFFF;
        return pixels;
    }

    zoq::test::GlEnvironment m_gl;
    CZJApp app;
    std::unique_ptr<CCamera> camera;
    std::unique_ptr<CGliderObject> glider;
};

TEST_F(ScreenShotGlTest, theCopiedPictureIsTheTargetsAndTheCameraReturns)
{
    struct SCase {
        int32_t mode;
        int32_t after;
        uint8_t gliderVisible;
    };
    for (const SCase c :
        { SCase { CCamera::kChase, CCamera::kChase, 1 }, SCase { CCamera::kOrbit, CCamera::kAttached, 0 },
            SCase { CCamera::kAttached, CCamera::kAttached, 0 } }) {
        SCOPED_TRACE(c.mode);
        CameraMode = c.mode;
        Surface* picture = Picture(CZJApp::kShotSize);
        ASSERT_NE(picture, nullptr);
        Surface* const screen = g_Graphic.CurrentTarget();
        app.MakeScreenShot(picture);

        const std::vector<uint32_t> copied = Pixels(picture, CZJApp::kShotSize);
        EXPECT_EQ(copied, Pixels(app.shotTarget, CZJApp::kShotSize));
        EXPECT_NE(copied, std::vector<uint32_t>(copied.size(), kOldPicture & 0xFFFFFF)) << "drawn anew";
        EXPECT_EQ(g_Graphic.CurrentTarget(), screen) << "the screen's target again";
        EXPECT_EQ(app.savedCameraMode, c.mode);
        EXPECT_EQ(CameraMode, c.after);
        EXPECT_EQ(glider->visible, c.gliderVisible);
        if (c.after == CCamera::kAttached)
            EXPECT_EQ(camera->attachedTarget, glider.get());
        else
            EXPECT_EQ(camera->lookTarget, glider.get());
        picture->Release();
    }
    EXPECT_EQ(LogLineCount("Can`t copt save screenshot from texture"), 0);
}

TEST_F(ScreenShotGlTest, aPictureThatCannotTakeTheCopyKeepsItsContents)
{
    Surface* small = Picture(64);
    ASSERT_NE(small, nullptr);
    app.MakeScreenShot(small);
    EXPECT_EQ(Pixels(small, 64), std::vector<uint32_t>(64 * 64, kOldPicture & 0xFFFFFF));
    EXPECT_EQ(LogLineCount("Can`t copt save screenshot from texture"), 1);
    small->Release();
}

// The ride on a device: frames drawn and presented with the tunnel's fog, which is off again after
// Escape ends it.
TEST_F(ScreenShotGlTest, theRideDrawsItsFramesAndLeavesTheFogOff)
{
    FakeInput input;
    g_InputConfig.SetInput(input);
    int64_t ticks = 0;
    FrameTimer = CTimer([&] { return ticks += 20; }, 1000);
    for (int i = 0; i < 4; ++i)
        input.frames.push_back([](FakeInput&) {});
    input.frames.push_back([](FakeInput& i) { i.Key(plat::window::key::Escape, true); });
    app.TunnelTransition();
    FrameTimer = CTimer();
    g_InputConfig.SetInput(g_Input);
    EXPECT_EQ(input.reads, 5);
    uint32_t fog = 1;
    ASSERT_EQ(g_Graphic.GetDevice()->GetRenderState(RenderState::FogEnable, fog), Result::Ok);
    EXPECT_EQ(fog, 0u);
    uint32_t fogColour = 0;
    ASSERT_EQ(g_Graphic.GetDevice()->GetRenderState(RenderState::FogColor, fogColour), Result::Ok);
    EXPECT_EQ(fogColour, 0xFFFFFFFFu);
}

} // namespace

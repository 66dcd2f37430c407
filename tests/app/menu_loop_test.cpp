// Menus on the running application (null backend): input pushed as SDL events into the window
// layer's queue frame by frame, a close request or a termination signal ending the modal loop with
// 0, and a lost device that skips frames while the menu's resources are released and made again.
#include "app/CZJApp.h"
#include "foundation/CTimer.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/win/clock.h"
#include "platform/window/display.h"
#include "platform/window/message.h"
#include "render/Graphic.h"
#include "tests/app/app_fixture.h"
#include "tests/platform/window/sdl_events.h"
#include "ui/CBaseMenu.h"
#include "ui/CTextButton.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

// Frame n's events are pushed at the start of its ProcessMessages, then the base runs.
class EventMenu : public CBaseMenu {
public:
    void ProcessMessages() override
    {
        if (size_t(pumps) < frames.size() && frames[size_t(pumps)])
            frames[size_t(pumps)]();
        ++pumps;
        CBaseMenu::ProcessMessages();
        if (pumps > kMaxFrames)
            endRequested = 1;
    }
    void ProcessCommand(int id) override
    {
        commands.push_back(id);
        result = uint32_t(id);
        endRequested = 1;
    }
    void PreProcess() override
    {
        ++preProcesses;
        CBaseMenu::PreProcess();
    }
    void ReleaseResources(bool discard) override
    {
        ++releases;
        CBaseMenu::ReleaseResources(discard);
    }

    static constexpr int kMaxFrames = 200;
    std::vector<std::function<void()>> frames;
    std::vector<int> commands;
    int pumps = 0;
    int preProcesses = 0;
    int releases = 0;
};

class MenuLoopTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        setenv("ZOQ_GFX", "null", 1);
        plat::gfx::null::ResetConfig();
        plat::window::ClearMessages();
        // Full screen on a display that shows it, so that minimising loses the device.
        const plat::window::DisplayMode mode { 640, 480, 60, plat::window::DisplayFormat::X8R8G8B8 };
        plat::window::OverrideDisplayModes({ mode }, mode);
        std::string error;
        ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(false), error)) << error;
        app.Init("", 0, CZJApp::kTitle);
        ASSERT_NE(app.GetWindow(), nullptr);
        test::Focus(*app.GetWindow());
        app.CheckDevice(nullptr);
        FrameTimer = CTimer([this] { return m_ticks += 20; }, 1000);
    }
    void TearDown() override
    {
        FrameTimer = CTimer();
        app.Shutdown();
        plat::window::ClearMessages();
        plat::window::ClearDisplayModeOverride();
        apptest::TempDirTest::TearDown();
    }
    plat::window::Window& Window() { return *app.GetWindow(); }

    CZJApp app;
    EventMenu menu;
    int64_t m_ticks = 0;
};

TEST_F(MenuLoopTest, aClickPushedAsSdlEventsPressesAndReleasesAButton)
{
    menu.AddControl(new CTextButton(100, 100, 200, 140, nullptr, -1, 0, 0, 100, 40, 50, 20, 256, 0));
    menu.frames.resize(3);
    menu.frames[0] = [this] { test::PushMotion(Window(), 20, 20, 0, 0); };
    menu.frames[1] = [this] {
        test::PushMotion(Window(), 150, 120, 130, 100);
        test::PushButton(Window(), SDL_BUTTON_LEFT, true, 150, 120);
        test::PushButton(Window(), SDL_BUTTON_LEFT, false, 150, 120);
    };
    EXPECT_EQ(app.RunModalMenu(&menu, true), 256);
    EXPECT_EQ(menu.commands, (std::vector<int> { 256 }));
    EXPECT_EQ(menu.pumps, 3) << "the events of frame 2 count in frame 3";
}

TEST_F(MenuLoopTest, aCloseRequestEndsTheMenuWithZero)
{
    menu.frames.resize(3);
    menu.frames[2] = [this] {
        menu.result = 9;
        plat::window::Message m;
        m.window = &Window();
        m.kind = plat::window::MessageKind::SysCommand;
        m.wParam = uint32_t(plat::window::SysCommand::Close);
        plat::window::PostMessage(m);
    };
    EXPECT_EQ(app.RunModalMenu(&menu, true), 0);
    EXPECT_EQ(menu.pumps, 3);
    EXPECT_TRUE(app.IsQuitting());
}

TEST_F(MenuLoopTest, aTerminationSignalEndsTheMenuWithZero)
{
    menu.frames.resize(2);
    menu.frames[1] = [] { CApplication::RequestQuit(); };
    EXPECT_EQ(app.RunModalMenu(&menu, true), 0);
    EXPECT_EQ(menu.pumps, 2);
    app.ProcessMessages();
    EXPECT_EQ(app.StartupQuit(), true) << "the request is left for the main loop";
}

TEST_F(MenuLoopTest, aLostDeviceSkipsFramesAndReleasesAndRemakesTheMenusResources)
{
    menu.ownsRenderTarget = 1;
    menu.frames.resize(4);
    menu.frames[1] = [this] { test::PushWindowEvent(Window(), SDL_WINDOWEVENT_MINIMIZED); };
    menu.frames[2] = [this] {
        EXPECT_EQ(menu.releases, 1) << "released while the device was lost";
        EXPECT_EQ(menu.preProcesses, 2) << "and made again after the reset";
        EXPECT_NE(menu.targetTexture.get(), nullptr);
        menu.endRequested = 1;
    };
    std::thread restore([this] {
        plat::win::Sleep(100);
        test::PushWindowEvent(Window(), SDL_WINDOWEVENT_RESTORED);
        test::PushWindowEvent(Window(), SDL_WINDOWEVENT_FOCUS_GAINED);
    });
    app.RunModalMenu(&menu, true);
    restore.join();
    EXPECT_EQ(menu.pumps, 3);
    EXPECT_EQ(menu.releases, 2);
    EXPECT_EQ(menu.targetTexture.get(), nullptr);
}

} // namespace

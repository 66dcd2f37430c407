#include "app/CApplication.h"
#include "app/CInput.h"
#include "platform/window/keys.h"
#include "platform/window/message.h"
#include "tests/app/app_fixture.h"
#include "tests/platform/window/sdl_events.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

using plat::window::Message;
using plat::window::MessageKind;

class PumpTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        app.Create("", 0, "pump");
        ASSERT_NE(app.GetWindow(), nullptr);
        plat::window::DrainEvents();
        plat::window::ClearMessages();
    }
    void TearDown() override
    {
        g_Input.Release();
        app.JoinSecondaryThread();
        plat::window::ClearMessages();
        apptest::TempDirTest::TearDown();
    }
    void Post(MessageKind kind, uint32_t wParam = 0)
    {
        Message m;
        m.window = app.GetWindow();
        m.kind = kind;
        m.wParam = wParam;
        plat::window::PostMessage(m);
    }
    // Takes what the pump left; the kinds in order.
    std::vector<MessageKind> Left()
    {
        std::vector<MessageKind> kinds;
        Message m;
        while (plat::window::PeekMessage(m, true))
            kinds.push_back(m.kind);
        return kinds;
    }

    CApplication app;
};

TEST_F(PumpTest, aBurstGoesTenMessagesAPass)
{
    for (int i = 0; i < 30; ++i)
        Post(MessageKind::Size);
    app.ProcessMessages();
    app.ProcessMessages();
    EXPECT_EQ(Left().size(), 10u);
    for (int i = 0; i < 30; ++i)
        Post(MessageKind::Size);
    for (int i = 0; i < 3; ++i)
        app.ProcessMessages();
    EXPECT_TRUE(Left().empty());
}

TEST_F(PumpTest, keysOutsideTextModeAreDroppedAndEndThePass)
{
    Post(MessageKind::KeyDown, 0x11);
    Post(MessageKind::Size);
    Post(MessageKind::SysKeyDown, 0x3E); // Alt+F4 closes nothing
    app.ProcessMessages();
    EXPECT_EQ(Left(), (std::vector<MessageKind> { MessageKind::Size, MessageKind::SysKeyDown }));
    EXPECT_FALSE(app.IsQuitting());
    EXPECT_TRUE(app.GetWindow()->IsAlive());
}

TEST_F(PumpTest, inTextModeKeysPassAndACharacterIsStored)
{
    app.SetTextInput(true);
    Post(MessageKind::KeyDown, 0x11);
    Post(MessageKind::Char, 0xE0);
    Post(MessageKind::Size);
    app.ProcessMessages();
    EXPECT_EQ(app.LastChar(), 0xE0);
    EXPECT_EQ(Left(), (std::vector<MessageKind> { MessageKind::Size }));
}

TEST_F(PumpTest, typedTextArrivesAsWindows1251Characters)
{
    app.SetTextInput(true);
    test::PushText(*app.GetWindow(), "ж");
    app.ProcessMessages();
    EXPECT_EQ(app.LastChar(), 0xE6);
}

TEST_F(PumpTest, closeCommandQuitsWithoutReachingTheWindow)
{
    Post(MessageKind::SysCommand, uint32_t(plat::window::SysCommand::Close));
    Post(MessageKind::Size);
    app.ProcessMessages();
    EXPECT_TRUE(app.IsQuitting());
    EXPECT_TRUE(app.GetWindow()->IsAlive());
    EXPECT_EQ(Left().size(), 1u);
}

TEST_F(PumpTest, quitMessageSetsTheFlag)
{
    plat::window::PostQuitMessage(0);
    app.ProcessMessages();
    EXPECT_TRUE(app.IsQuitting());
}

TEST_F(PumpTest, aQuitRequestFromOutsideBecomesAQuitMessage)
{
    CApplication::RequestQuit();
    app.ProcessMessages();
    EXPECT_TRUE(app.IsQuitting());
}

TEST_F(PumpTest, betweenStartUpStepsEveryCloseRequestSetsTheQuitFlag)
{
    const std::pair<const char*, std::function<void()>> requests[] = {
        { "window close", [&] { test::PushWindowEvent(*app.GetWindow(), SDL_WINDOWEVENT_CLOSE); } },
        { "quit event", [] { test::PushQuit(); } },
        { "termination signal", [] { CApplication::RequestQuit(); } },
    };
    EXPECT_FALSE(app.StartupQuit());
    for (const auto& [name, request] : requests) {
        SCOPED_TRACE(name);
        app.SetQuit(0);
        Post(MessageKind::KeyDown, plat::window::key::Escape);
        request();
        EXPECT_TRUE(app.StartupQuit());
        EXPECT_TRUE(app.IsQuitting());
        plat::window::DrainEvents();
        plat::window::ClearMessages();
    }
}

TEST_F(PumpTest, activationAcquiresTheInputDevicesAgain)
{
    test::Focus(*app.GetWindow());
    g_Input.Init(app.GetWindow(), true, false);
    plat::window::ClearMessages();
    ASSERT_TRUE(g_Input.Keyboard()->IsAcquired());
    test::Focus(*app.GetWindow(), false);
    app.ProcessMessages();
    EXPECT_FALSE(g_Input.Keyboard()->IsAcquired());
    test::PushWindowEvent(*app.GetWindow(), SDL_WINDOWEVENT_FOCUS_GAINED);
    app.ProcessMessages();
    EXPECT_TRUE(g_Input.Keyboard()->IsAcquired());
}

TEST_F(PumpTest, theLoopRunsFramesUntilQuit)
{
    struct Counting : CApplication {
        int frames = 0;
        void ProcessFrame() override
        {
            if (++frames == 3)
                plat::window::PostQuitMessage(0);
        }
    } counting;
    counting.Create("", 0, "loop");
    EXPECT_EQ(counting.MainLoop(), 1u);
    EXPECT_EQ(counting.frames, 3);
    counting.JoinSecondaryThread();
}

} // namespace

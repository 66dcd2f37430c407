#include "platform/win/instance.h"
#include "platform/win/text.h"
#include "platform/window/cursor.h"
#include "platform/window/keys.h"
#include "platform/window/window.h"
#include "tests/platform/window/sdl_events.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using namespace plat::window;

struct Expected {
    MessageKind kind;
    uint32_t wParam;
    bool operator==(const Expected&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Expected& e)
{
    return out << "{kind " << int(e.kind) << ", " << e.wParam << "}";
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearMessages();
        ResetCursor();
        SetRaiseRequestSource(nullptr);
        WindowDesc desc;
        desc.className = "ZOQWC0";
        desc.title = CP1251("Окно");
        desc.width = 640;
        desc.height = 480;
        desc.procedure = [this](Window& w, const Message& m) {
            received.push_back({ m.kind, m.wParam });
            if (m.kind == MessageKind::Destroy)
                PostQuitMessage(0);
            return DefaultWindowProc(w, m);
        };
        window = Window::Create(desc);
        ASSERT_TRUE(window);
        DrainEvents();
        ClearMessages();
    }

    void TearDown() override
    {
        window.reset();
        SetRaiseRequestSource(nullptr);
        ClearMessages();
    }

    static std::vector<Expected> TakeAll()
    {
        std::vector<Expected> out;
        Message m;
        while (PeekMessage(m, true))
            out.push_back({ m.kind, m.wParam });
        return out;
    }

    std::unique_ptr<Window> window;
    std::vector<Expected> received;
};

using K = MessageKind;

TEST_F(WindowTest, keysShouldGiveMessagesAndCharactersOnlyWhileTextInputIsOn)
{
    struct Case {
        const char* name;
        bool textInput;
        SDL_Scancode scancode;
        Uint16 mod;
        const char* text; // pushed between down and up, as SDL does
        std::vector<Expected> expected;
    };
    const uint32_t a = key::A;
    const Case cases[] = {
        { "letter, text off", false, SDL_SCANCODE_A, 0, "a", { { K::KeyDown, a }, { K::KeyUp, a } } },
        { "letter, text on", true, SDL_SCANCODE_A, 0, "a",
            { { K::KeyDown, a }, { K::Char, 'a' }, { K::KeyUp, a } } },
        { "backspace, text on", true, SDL_SCANCODE_BACKSPACE, 0, nullptr,
            { { K::KeyDown, key::Backspace }, { K::Char, 8 }, { K::KeyUp, key::Backspace } } },
        { "backspace, text off", false, SDL_SCANCODE_BACKSPACE, 0, nullptr,
            { { K::KeyDown, key::Backspace }, { K::KeyUp, key::Backspace } } },
        { "tab", true, SDL_SCANCODE_TAB, 0, nullptr,
            { { K::KeyDown, key::Tab }, { K::Char, 9 }, { K::KeyUp, key::Tab } } },
        { "enter", true, SDL_SCANCODE_RETURN, 0, nullptr,
            { { K::KeyDown, key::Enter }, { K::Char, 13 }, { K::KeyUp, key::Enter } } },
        { "keypad enter", true, SDL_SCANCODE_KP_ENTER, 0, nullptr,
            { { K::KeyDown, key::NumEnter }, { K::Char, 13 }, { K::KeyUp, key::NumEnter } } },
        { "escape", true, SDL_SCANCODE_ESCAPE, 0, nullptr,
            { { K::KeyDown, key::Escape }, { K::Char, 27 }, { K::KeyUp, key::Escape } } },
        { "F10 is a system key", false, SDL_SCANCODE_F10, 0, nullptr,
            { { K::SysKeyDown, key::F10 }, { K::SysKeyUp, key::F10 } } },
        { "a key with Alt held", false, SDL_SCANCODE_F4, KMOD_LALT, nullptr,
            { { K::SysKeyDown, key::F4 }, { K::SysKeyUp, key::F4 } } },
        { "a key outside the table", true, SDL_SCANCODE_F24, 0, nullptr, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        window->SetTextInput(c.textInput);
        test::PushKey(*window, c.scancode, true, c.mod);
        if (c.text)
            test::PushText(*window, c.text);
        test::PushKey(*window, c.scancode, false, c.mod);
        EXPECT_EQ(TakeAll(), c.expected);
    }
}

TEST_F(WindowTest, textShouldArriveAsWindows1251BytesDroppingWhatHasNone)
{
    window->SetTextInput(true);
    test::PushText(*window, "a\xD0\x96\xE4\xB8\xAD\xE2\x82\xAC"); // a, Ж, a CJK character, €
    EXPECT_EQ(TakeAll(), (std::vector<Expected> { { K::Char, 'a' }, { K::Char, 0xC6 }, { K::Char, 0x88 } }));
}

TEST_F(WindowTest, autoRepeatShouldGiveKeyMessagesMarkedAsRepeats)
{
    test::PushKey(*window, SDL_SCANCODE_A, true);
    test::PushKey(*window, SDL_SCANCODE_A, true, 0, true);
    Message first;
    Message second;
    ASSERT_TRUE(PeekMessage(first, true));
    ASSERT_TRUE(PeekMessage(second, true));
    EXPECT_EQ(first.lParam & kKeyRepeat, 0);
    EXPECT_EQ(second.kind, K::KeyDown);
    EXPECT_EQ(second.lParam & kKeyRepeat, kKeyRepeat);
}

TEST_F(WindowTest, windowEventsShouldBecomeTheirMessages)
{
    struct Case {
        const char* name;
        SDL_WindowEventID event;
        std::vector<Expected> expected;
    };
    const Case cases[] = {
        { "close", SDL_WINDOWEVENT_CLOSE, { { K::SysCommand, uint32_t(SysCommand::Close) } } },
        { "focus gained", SDL_WINDOWEVENT_FOCUS_GAINED, { { K::Activate, 1 }, { K::ActivateApp, 1 } } },
        { "focus gained again", SDL_WINDOWEVENT_FOCUS_GAINED, {} },
        { "focus lost", SDL_WINDOWEVENT_FOCUS_LOST, { { K::Activate, 0 }, { K::ActivateApp, 0 } } },
        { "minimised", SDL_WINDOWEVENT_MINIMIZED, { { K::Size, uint32_t(SizeKind::Minimised) } } },
        { "restored", SDL_WINDOWEVENT_RESTORED, { { K::Size, uint32_t(SizeKind::Restored) } } },
        { "restored again (a maximised window)", SDL_WINDOWEVENT_RESTORED, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::PushWindowEvent(*window, c.event);
        EXPECT_EQ(TakeAll(), c.expected);
    }
}

TEST_F(WindowTest, stateShouldFollowFocusAndMinimiseEvents)
{
    EXPECT_FALSE(window->IsFocused());
    test::Focus(*window);
    EXPECT_TRUE(window->IsFocused());
    ClearMessages();
    test::PushWindowEvent(*window, SDL_WINDOWEVENT_MINIMIZED);
    DrainEvents();
    EXPECT_TRUE(window->IsMinimised());
    Message size;
    ASSERT_TRUE(PeekMessage(size, true));
    EXPECT_EQ(size.lParam, 640 | (480 << 16));
}

TEST_F(WindowTest, anIconShouldBeKeptOnlyWhenItHasPixels)
{
    EXPECT_EQ(window->IconSize(), (Size { 0, 0 })) << "a new window has none";
    const std::vector<uint32_t> pixels(32 * 16, 0x80FF8000u);
    EXPECT_TRUE(window->SetIcon(pixels.data(), 32, 16));
    EXPECT_EQ(window->IconSize(), (Size { 32, 16 }));
    EXPECT_FALSE(window->SetIcon(nullptr, 32, 16));
    EXPECT_FALSE(window->SetIcon(pixels.data(), 0, 16));
    EXPECT_EQ(window->IconSize(), (Size { 32, 16 })) << "a refused icon leaves the one before";
}

TEST_F(WindowTest, sdlQuitShouldBecomeQuit)
{
    test::PushQuit();
    EXPECT_EQ(TakeAll(), (std::vector<Expected> { { K::Quit, 0 } }));
}

TEST_F(WindowTest, waitingShouldEndAtAPendingEventWhichStaysForTheDrainOrAtTheTimeout)
{
    DrainEvents();
    ClearMessages();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(WaitForEvents(60));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    test::PushQuit();
    EXPECT_TRUE(WaitForEvents(-1));
    EXPECT_EQ(TakeAll(), (std::vector<Expected> { { K::Quit, 0 } }));
}

TEST_F(WindowTest, closeThroughTheDefaultProcedureShouldDestroyTheWindowAndPostQuit)
{
    test::PushWindowEvent(*window, SDL_WINDOWEVENT_CLOSE);
    Message m;
    ASSERT_TRUE(PeekMessage(m, true));
    DispatchMessage(m);
    EXPECT_FALSE(window->IsAlive());
    EXPECT_EQ(received,
        (std::vector<Expected> {
            { K::SysCommand, uint32_t(SysCommand::Close) }, { K::Close, 0 }, { K::Destroy, 0 } }));
    EXPECT_EQ(TakeAll(), (std::vector<Expected> { { K::Quit, 0 } }));
}

TEST_F(WindowTest, altF4ShouldCloseOnlyWhenDispatched)
{
    test::PushKey(*window, SDL_SCANCODE_F4, true, KMOD_LALT);
    Message m;
    ASSERT_TRUE(PeekMessage(m, true));
    EXPECT_EQ(m.kind, K::SysKeyDown);
    EXPECT_TRUE(window->IsAlive()); // dropped, as outside text-input mode
    DispatchMessage(m);
    EXPECT_FALSE(window->IsAlive());
}

// The pump of the application shell: at most 10 dispatched messages a pass.
int PumpPass()
{
    int dispatched = 0;
    Message m;
    while (dispatched < 10 && PeekMessage(m, true)) {
        TranslateMessage(m);
        DispatchMessage(m);
        ++dispatched;
    }
    return dispatched;
}

TEST_F(WindowTest, thirtyKeysShouldComeOutInOrderTenAPass)
{
    auto keys = Keys();
    for (int i = 0; i < 30; ++i)
        test::PushKey(*window, SDL_Scancode(ScancodeOfKeyCode(keys[size_t(i)].code)), true);
    EXPECT_EQ(PumpPass(), 10);
    EXPECT_EQ(PumpPass(), 10);
    EXPECT_EQ(PumpPass(), 10);
    EXPECT_EQ(PumpPass(), 0);
    ASSERT_EQ(received.size(), 30u);
    for (int i = 0; i < 30; ++i)
        EXPECT_EQ(received[size_t(i)], (Expected { K::KeyDown, keys[size_t(i)].code }));
}

TEST_F(WindowTest, aRaiseRequestShouldRestoreAndFocusTheWindowWithinOneDrain)
{
    setenv("ZOQ_INSTANCE_SCOPE", ("window-test-" + std::to_string(getpid())).c_str(), 1);
    plat::win::SingleInstance running;
    ASSERT_TRUE(running.Acquire("ZOQWC0"));
    SetRaiseRequestSource(running);
    window->Minimise();
    ASSERT_TRUE(window->IsMinimised());
    ASSERT_FALSE(window->IsFocused());
    ClearMessages();

    plat::win::SingleInstance second;
    EXPECT_FALSE(second.Acquire("ZOQWC0")); // sends the raise request
    DrainEvents();
    EXPECT_FALSE(window->IsMinimised());
    EXPECT_TRUE(window->IsFocused());
    EXPECT_EQ(TakeAll(),
        (std::vector<Expected> {
            { K::Size, uint32_t(SizeKind::Restored) }, { K::Activate, 1 }, { K::ActivateApp, 1 } }));
    SetRaiseRequestSource(nullptr);
}

TEST_F(WindowTest, minimiseAndRestoreShouldActAtOnceLikeTheDefaultProcedure)
{
    test::Focus(*window);
    ClearMessages();
    Message m;
    m.kind = K::SysCommand;
    m.wParam = uint32_t(SysCommand::Minimise);
    SendMessage(*window, m);
    EXPECT_TRUE(window->IsMinimised());
    EXPECT_FALSE(window->IsFocused());
    m.wParam = uint32_t(SysCommand::Restore);
    SendMessage(*window, m);
    EXPECT_FALSE(window->IsMinimised());
    EXPECT_EQ(TakeAll(),
        (std::vector<Expected> { { K::Size, uint32_t(SizeKind::Minimised) }, { K::Activate, 0 },
            { K::ActivateApp, 0 }, { K::Size, uint32_t(SizeKind::Restored) } }));
}

TEST_F(WindowTest, anOpenGlContextShouldBeMadeOnTheWindow)
{
    ASSERT_TRUE(window->HasGl());
    auto context = window->CreateGlContext(3, 3);
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->MakeCurrent());
    EXPECT_NE(GlContext::ProcAddress("glClear"), nullptr);
    EXPECT_EQ(window->DrawableSize(), (Size { 640, 480 }));
}

TEST_F(WindowTest, styleShouldTrackFullScreenAndVisibility)
{
    window->SetStyle(Style::Borderless | Style::FullScreen);
    EXPECT_TRUE(window->IsFullScreen());
    EXPECT_TRUE(window->IsVisible());
    window->SetStyle(Style::Hidden);
    EXPECT_FALSE(window->IsFullScreen());
    EXPECT_FALSE(window->IsVisible());
}

} // namespace

namespace {

TEST(MainWindow, aHiddenHelperWindowShouldNotTakeTheMainWindowsPlace)
{
    WindowDesc hidden;
    hidden.width = 1;
    hidden.height = 1;
    hidden.style = Style::Hidden;
    auto helper = Window::Create(hidden);
    ASSERT_TRUE(helper);
    EXPECT_EQ(MainWindow(), helper.get());
    auto main = Window::Create(WindowDesc {});
    ASSERT_TRUE(main);
    EXPECT_EQ(MainWindow(), main.get());
    EXPECT_EQ(FindWindow(helper->Id()), helper.get());
    helper->BringToFront();
    EXPECT_FALSE(helper->IsVisible());
    main.reset();
    EXPECT_EQ(MainWindow(), helper.get());
    uint32_t id = helper->Id();
    helper->Destroy();
    EXPECT_EQ(FindWindow(id), nullptr);
    EXPECT_EQ(MainWindow(), nullptr);
}

} // namespace

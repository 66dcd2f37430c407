#include "tests/settings/settings_fixture.h"

#include "platform/input/input.h"
#include "platform/window/cursor.h"
#include "platform/window/message.h"
#include "platform/window/window.h"
#include "settings/CKeySetDlg.h"
#include "tests/platform/window/sdl_events.h"

#include <SDL2/SDL.h>

namespace {

using ETick = CKeySetDlg::ETick;

class CaptureTest : public zoq::test::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        plat::window::ClearMessages();
        plat::window::ResetCursor();
        plat::window::WindowDesc desc;
        desc.className = "TunvardCapture";
        desc.width = 320;
        desc.height = 200;
        window = plat::window::Window::Create(desc);
        ASSERT_TRUE(window);
        input = std::make_unique<plat::input::Input>();
    }

    void TearDown() override
    {
        dialog.reset();
        if (joystick)
            SDL_JoystickClose(joystick);
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickIsVirtual(i))
                SDL_JoystickDetachVirtual(i);
        }
        input.reset();
        window.reset();
        plat::window::ClearMessages();
        plat::window::ResetCursor();
        SettingsTest::TearDown();
    }

    void AttachJoystick()
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = 2;
        desc.nbuttons = 8;
        desc.name = "virtual";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);
        ASSERT_TRUE(joystick);
    }

    void Start(const KeyCodeTable& table)
    {
        dialog = std::make_unique<CKeySetDlg>(table);
        ASSERT_TRUE(dialog->InitInput(*window));
        test::Focus(*window);
    }

    ETick Tick()
    {
        plat::window::DrainEvents();
        return dialog->Tick();
    }

    static void Load(KeyCodeTable& table, const std::string& text) { table.Parse(text, {}); }

    std::unique_ptr<plat::window::Window> window;
    std::unique_ptr<plat::input::Input> input;
    SDL_Joystick* joystick = nullptr;
    std::unique_ptr<CKeySetDlg> dialog;
};

TEST_F(CaptureTest, aHeldMouseButtonWinsOverAKey)
{
    KeyCodeTable table;
    Load(table, zoq::test::kDICode);
    Start(table);
    EXPECT_EQ(Tick(), ETick::None);
    test::PushKey(*window, SDL_SCANCODE_W, true);
    test::PushButton(*window, SDL_BUTTON_MIDDLE, true);
    ASSERT_EQ(Tick(), ETick::Ok);
    EXPECT_EQ(dialog->Target(), "Mouse3");
    test::PushButton(*window, SDL_BUTTON_MIDDLE, false);
    ASSERT_EQ(Tick(), ETick::Ok);
    EXPECT_EQ(dialog->Target(), "W");
}

TEST_F(CaptureTest, escapeCancelsAndNeverBinds)
{
    KeyCodeTable table;
    Load(table, zoq::test::kDICode);
    Start(table);
    test::PushKey(*window, SDL_SCANCODE_ESCAPE, true);
    EXPECT_EQ(Tick(), ETick::Cancel);
    EXPECT_EQ(dialog->Target(), "");
}

TEST_F(CaptureTest, aKeyMissingFromTheTableBindsNothingOnThatTick)
{
    KeyCodeTable table;
    Load(table, zoq::test::kDICode);
    Start(table);
    test::PushKey(*window, SDL_SCANCODE_Q, true);
    EXPECT_EQ(Tick(), ETick::None);
    test::PushKey(*window, SDL_SCANCODE_Q, false);
    test::PushKey(*window, SDL_SCANCODE_SPACE, true);
    ASSERT_EQ(Tick(), ETick::Ok);
    EXPECT_EQ(dialog->Target(), "Space");
}

TEST_F(CaptureTest, aJoystickButtonBindsJoyAndItsNumber)
{
    AttachJoystick();
    KeyCodeTable table;
    Load(table, zoq::test::kDICode);
    Start(table);
    ASSERT_TRUE(dialog->HasJoystick());
    EXPECT_EQ(Tick(), ETick::None);
    SDL_JoystickSetVirtualButton(joystick, 2, SDL_PRESSED);
    test::PushKey(*window, SDL_SCANCODE_W, true);
    ASSERT_EQ(Tick(), ETick::Ok);
    EXPECT_EQ(dialog->Target(), "Joy3");
}

TEST_F(CaptureTest, withoutAJoystickKeysAndMouseStillBind)
{
    KeyCodeTable table;
    Load(table, zoq::test::kDICode);
    Start(table);
    EXPECT_FALSE(dialog->HasJoystick());
    test::PushButton(*window, SDL_BUTTON_LEFT, true);
    ASSERT_EQ(Tick(), ETick::Ok);
    EXPECT_EQ(dialog->Target(), "Mouse1");
}

TEST_F(CaptureTest, anEmptyTableCapturesOnlyEscapeAndJoystickNames)
{
    AttachJoystick();
    KeyCodeTable table;
    Start(table);
    test::PushButton(*window, SDL_BUTTON_LEFT, true);
    test::PushKey(*window, SDL_SCANCODE_W, true);
    EXPECT_EQ(Tick(), ETick::None);
    SDL_JoystickSetVirtualButton(joystick, 0, SDL_PRESSED);
    ASSERT_EQ(Tick(), ETick::Ok);
    EXPECT_EQ(dialog->Target(), "Joy1");
    SDL_JoystickSetVirtualButton(joystick, 0, SDL_RELEASED);
    test::PushKey(*window, SDL_SCANCODE_W, false);
    test::PushKey(*window, SDL_SCANCODE_ESCAPE, true);
    EXPECT_EQ(Tick(), ETick::Cancel);
}

TEST_F(CaptureTest, aLostMouseIsAcquiredOncePerTick)
{
    KeyCodeTable table;
    Load(table, zoq::test::kDICode);
    Start(table);
    test::Focus(*window, false);
    test::PushButton(*window, SDL_BUTTON_LEFT, true);
    // Without the focus no device can be acquired: the tick gives up instead of looping.
    EXPECT_EQ(Tick(), ETick::None);
    test::Focus(*window);
    ASSERT_EQ(Tick(), ETick::Ok);
    EXPECT_EQ(dialog->Target(), "Mouse1");
}

} // namespace

#include "app/CInput.h"
#include "app/CInputConfig.h"
#include "platform/input/recording_haptic.h"
#include "platform/window/cursor.h"
#include "platform/window/message.h"
#include "tests/app/app_fixture.h"
#include "tests/platform/window/sdl_events.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kW = 0x11;

class CInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::window::ClearMessages();
        plat::window::WindowDesc desc;
        desc.className = "ZOQWC0";
        window = plat::window::Window::Create(desc);
        ASSERT_TRUE(window);
        test::Focus(*window);
        input.Init(window.get(), true, true);
        ASSERT_NE(input.Keyboard(), nullptr);
        ASSERT_NE(input.Mouse(), nullptr);
    }
    void TearDown() override
    {
        input.Release();
        window.reset();
        plat::window::ClearMessages();
    }
    void Frame()
    {
        plat::window::DrainEvents();
        input.GetData();
    }

    std::unique_ptr<plat::window::Window> window;
    CInput input;
};

TEST_F(CInputTest, aKeyPressedAndReleasedInOneFrameWentDownButIsUp)
{
    test::PushKey(*window, SDL_SCANCODE_W, true);
    test::PushKey(*window, SDL_SCANCODE_W, false);
    Frame();
    EXPECT_EQ(input.KeyState(kW), 0);
    EXPECT_EQ(input.KeyEvents(kW), 0x80);

    test::PushKey(*window, SDL_SCANCODE_W, true);
    Frame();
    EXPECT_EQ(input.KeyState(kW), 0x80);
    EXPECT_EQ(input.PrevKeyState(kW), 0);
    Frame();
    EXPECT_EQ(input.KeyEvents(kW), 0);
    EXPECT_EQ(input.PrevKeyState(kW), 0x80);
}

TEST_F(CInputTest, mouseButtonsAndMotionSumOverTheFrame)
{
    test::PushButton(*window, SDL_BUTTON_LEFT, true);
    test::PushButton(*window, SDL_BUTTON_LEFT, false);
    test::PushButton(*window, SDL_BUTTON_RIGHT, true);
    test::PushMotion(*window, 10, 10, 3, -2);
    test::PushMotion(*window, 12, 9, 2, -1);
    Frame();
    EXPECT_EQ(input.MouseEvents(0), 0xC0);
    EXPECT_EQ(input.MouseButton(0), 0);
    EXPECT_EQ(input.MouseEvents(1), 0x80);
    EXPECT_EQ(input.MouseButton(1), 1);
    EXPECT_EQ(input.MouseDX(), 5);
    EXPECT_EQ(input.MouseDY(), -3);
    Frame();
    EXPECT_EQ(input.MouseEvents(1), 0);
    EXPECT_EQ(input.MouseButton(1), 1);
    EXPECT_EQ(input.MouseDX(), 0);
}

TEST_F(CInputTest, lostInputIsAcquiredAgainOncePerDevice)
{
    Frame();
    const uint32_t before = input.Reacquires();
    test::Focus(*window, false);
    test::Focus(*window, true);
    test::PushKey(*window, SDL_SCANCODE_W, true);
    Frame();
    EXPECT_EQ(input.Reacquires(), before + 2) << "keyboard and mouse";
    EXPECT_TRUE(input.Keyboard()->IsAcquired());
    test::PushKey(*window, SDL_SCANCODE_W, true);
    Frame();
    EXPECT_EQ(input.KeyState(kW), 0x80);
    EXPECT_EQ(input.Reacquires(), before + 2);
}

TEST_F(CInputTest, withoutAJoystickThereAreNoEffects)
{
    EXPECT_FALSE(input.HasJoystick());
    auto effect = input.LoadEffects("Data\\FFE\\idle.ffe");
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->Effect(), nullptr);
}

int SDLCALL IgnoreRumble(void*, Uint16, Uint16)
{
    return 0;
}

// A virtual force-feedback joystick whose effects go to a recording device.
class ForceFeedbackTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        plat::window::ClearMessages();
        plat::window::WindowDesc desc;
        desc.className = "ZOQWC0";
        window = plat::window::Window::Create(desc);
        ASSERT_TRUE(window);
        test::Focus(*window);
        system = std::make_unique<plat::input::Input>();
        SDL_VirtualJoystickDesc joy;
        SDL_zero(joy);
        joy.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        joy.type = SDL_JOYSTICK_TYPE_FLIGHT_STICK;
        joy.naxes = 8;
        joy.nbuttons = 40;
        joy.name = "virtual";
        joy.Rumble = IgnoreRumble;
        const int index = SDL_JoystickAttachVirtualEx(&joy);
        ASSERT_GE(index, 0) << SDL_GetError();
        instance = SDL_JoystickGetDeviceInstanceID(index);
        handle = SDL_JoystickOpen(index);
        ASSERT_TRUE(handle);
        input.Init(window.get(), true, true);
        ASSERT_TRUE(input.HasJoystick());
        ASSERT_TRUE(input.HasForceFeedback());
        input.Joystick()->ReplaceHaptic(haptic);
    }
    void TearDown() override
    {
        config.FreeEffects();
        input.Release();
        if (handle)
            SDL_JoystickClose(handle);
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == instance)
                SDL_JoystickDetachVirtual(i);
        }
        system.reset();
        window.reset();
        plat::window::ClearMessages();
        apptest::TempDirTest::TearDown();
    }
    int Count(plat::input::RecordingHaptic::CallKind kind) const
    {
        int n = 0;
        for (const auto& call : haptic->calls)
            n += call.kind == kind ? 1 : 0;
        return n;
    }

    std::unique_ptr<plat::window::Window> window;
    std::unique_ptr<plat::input::Input> system;
    SDL_JoystickID instance = -1;
    SDL_Joystick* handle = nullptr;
    std::shared_ptr<plat::input::RecordingHaptic> haptic = std::make_shared<plat::input::RecordingHaptic>();
    CInput input;
    CInputConfig config { input };
};

TEST_F(ForceFeedbackTest, theFourEffectsLoadPlayAndStop)
{
    using Kind = plat::input::RecordingHaptic::CallKind;
    for (const char* name : { "idle", "coll", "light" })
        apptest::WriteText(std::string("Data/FFE/") + name + ".ffe",
            "ffe 1\neffect e\n kind constant\n duration 500\n magnitude 5000\nend\n");
    config.LoadEffects();
    EXPECT_NE(config.EffectAt(0)->Effect(), nullptr);
    EXPECT_NE(config.EffectAt(2)->Effect(), nullptr);
    EXPECT_EQ(config.EffectAt(3)->Effect(), nullptr) << "heavy.ffe is missing";
    EXPECT_EQ(Count(Kind::Create), 3);

    config.PlayIdleEffect();
    config.PlayHeavyEffect();
    config.PlayCollisionEffect();
    ASSERT_EQ(Count(Kind::Run), 2);
    EXPECT_EQ(haptic->calls[haptic->calls.size() - 2].value, plat::input::kHapticInfinity);
    EXPECT_EQ(haptic->calls.back().value, 1u);
    config.StopFFEffects();
    EXPECT_EQ(Count(Kind::Stop), 3);
    config.FreeEffects();
    EXPECT_EQ(Count(Kind::Destroy), 3);
}

TEST_F(ForceFeedbackTest, joystickButtonsKeepTheirStateAtTheStartOfTheFrame)
{
    CInputConfig query(input);
    SDL_JoystickSetVirtualButton(handle, 0, SDL_PRESSED);
    input.GetData();
    EXPECT_TRUE(query.WasPressed(0x201));
    input.GetData();
    EXPECT_TRUE(query.IsHeld(0x201));
    EXPECT_FALSE(query.WasPressed(0x201));
    SDL_JoystickSetVirtualButton(handle, 0, SDL_RELEASED);
    input.GetData();
    EXPECT_TRUE(query.WasReleased(0x201));
}

} // namespace

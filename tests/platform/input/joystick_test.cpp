#include "platform/input/effect.h"
#include "platform/input/joystick.h"
#include "platform/input/recording_haptic.h"
#include "tests/platform/input/input_fixture.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

using namespace plat::input;

struct Rumbles {
    std::vector<std::pair<Uint16, Uint16>> calls;
};

int SDLCALL RecordRumble(void* user, Uint16 low, Uint16 high)
{
    static_cast<Rumbles*>(user)->calls.push_back({ low, high });
    return 0;
}

class JoystickTest : public test::InputTest {
protected:
    void TearDown() override
    {
        joystick.reset();
        if (handle)
            SDL_JoystickClose(handle);
        Detach();
        test::InputTest::TearDown();
    }

    // A virtual device; handle sets its values, joystick reads them through the layer.
    void Attach(SDL_JoystickType type, int axes, int buttons, int hats, bool rumble = false)
    {
        SDL_VirtualJoystickDesc desc;
        SDL_zero(desc);
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = Uint16(type);
        desc.naxes = Uint16(axes);
        desc.nbuttons = Uint16(buttons);
        desc.nhats = Uint16(hats);
        desc.name = "virtual";
        if (rumble) {
            desc.Rumble = RecordRumble;
            desc.userdata = &rumbles;
        }
        int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        instance = SDL_JoystickGetDeviceInstanceID(index);
        handle = SDL_JoystickOpen(index);
        ASSERT_TRUE(handle);
        for (const JoystickInfo& info : input->EnumerateJoysticks(false)) {
            if (info.instanceId == instance)
                joystick = input->CreateJoystick(info);
        }
        ASSERT_TRUE(joystick);
        ASSERT_EQ(joystick->SetCooperativeLevel(*window, Cooperation::Exclusive | Cooperation::Foreground),
            Result::Ok);
        ASSERT_EQ(joystick->SetRange(-1000, 1000), Result::Ok);
        ASSERT_EQ(joystick->Acquire(), Result::Ok);
    }

    void Detach()
    {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == instance)
                SDL_JoystickDetachVirtual(i);
        }
        instance = -1;
    }

    JoystickState Read(Result expected = Result::Ok)
    {
        EXPECT_EQ(joystick->Poll(), expected);
        JoystickState state;
        EXPECT_EQ(joystick->GetState(state), Succeeded(expected) ? Result::Ok : Result::NotAcquired);
        return state;
    }

    Rumbles rumbles;
    SDL_JoystickID instance = -1;
    SDL_Joystick* handle = nullptr;
    std::unique_ptr<Joystick> joystick;
};

TEST_F(JoystickTest, axesShouldScaleIntoTheRangeWithZeroAtTheCentre)
{
    Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 8, 4, 0);
    EXPECT_FALSE(joystick->Info().gameController);
    const std::pair<Sint16, int32_t> values[]
        = { { -32768, -1000 }, { -16384, -500 }, { 0, 0 }, { 32767, 1000 } };
    int32_t JoystickState::*const fields[] = { &JoystickState::x, &JoystickState::y, &JoystickState::z,
        &JoystickState::rx, &JoystickState::ry, &JoystickState::rz };
    for (const auto& [raw, scaled] : values) {
        for (int axis = 0; axis < 8; ++axis)
            SDL_JoystickSetVirtualAxis(handle, axis, raw);
        JoystickState s = Read();
        for (auto field : fields)
            EXPECT_EQ(s.*field, scaled) << raw;
        EXPECT_EQ(s.sliders, (std::array<int32_t, 2> { scaled, scaled })) << raw;
    }
}

TEST_F(JoystickTest, hatsShouldReadAsPovsInHundredthsOfADegreeClockwiseFromUp)
{
    Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 2, 4, 4);
    const std::pair<Uint8, uint32_t> cases[] = {
        { SDL_HAT_UP, 0 },
        { SDL_HAT_RIGHTUP, 4500 },
        { SDL_HAT_RIGHT, 9000 },
        { SDL_HAT_RIGHTDOWN, 13500 },
        { SDL_HAT_DOWN, 18000 },
        { SDL_HAT_LEFTDOWN, 22500 },
        { SDL_HAT_LEFT, 27000 },
        { SDL_HAT_LEFTUP, 31500 },
        { SDL_HAT_CENTERED, kPovCentred },
    };
    for (const auto& [hat, pov] : cases) {
        for (int h = 0; h < 4; ++h)
            SDL_JoystickSetVirtualHat(handle, h, hat);
        EXPECT_EQ(Read().povs, (std::array<uint32_t, 4> { pov, pov, pov, pov })) << int(hat);
    }
}

TEST_F(JoystickTest, buttonsShouldReadDownByNumber)
{
    Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 2, 128, 0);
    for (int b : { 0, 39, 127 })
        SDL_JoystickSetVirtualButton(handle, b, SDL_PRESSED);
    JoystickState s = Read();
    for (int b = 0; b < kJoystickButtons; ++b)
        EXPECT_EQ(s.buttons[size_t(b)], (b == 0 || b == 39 || b == 127) ? 0x80 : 0x00) << b;
}

TEST_F(JoystickTest, aControllerShouldReadThroughItsMappingWithTriggersAtRestGivingZ0)
{
    Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    ASSERT_TRUE(joystick->Info().gameController);
    // SDL's virtual controller: a0..a3 the sticks, a4/a5 the triggers; b9/b10 the shoulders, b11..b14 the
    // d-pad.
    SDL_JoystickSetVirtualAxis(handle, 4, -32768);
    SDL_JoystickSetVirtualAxis(handle, 5, -32768);
    SDL_JoystickSetVirtualAxis(handle, 0, 32767);
    SDL_JoystickSetVirtualAxis(handle, 3, -32768);
    SDL_JoystickSetVirtualButton(handle, 9, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(handle, 14, SDL_PRESSED);
    JoystickState s = Read();
    EXPECT_EQ(s.z, 0);
    EXPECT_EQ(s.rz, 0);
    EXPECT_EQ(s.x, 1000);
    EXPECT_EQ(s.ry, -1000);
    EXPECT_EQ(s.buttons[4], 0x80); // LB
    EXPECT_EQ(s.buttons[9], 0x00);
    EXPECT_EQ(s.povs[0], 9000u);

    SDL_JoystickSetVirtualAxis(handle, 4, 32767); // left trigger pressed
    EXPECT_EQ(Read().z, 1000);
}

TEST_F(JoystickTest, unpluggingShouldAnswerInputLostOnceThenReadNeutral)
{
    Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 8, 8, 1);
    SDL_JoystickSetVirtualAxis(handle, 0, 32767);
    SDL_JoystickSetVirtualButton(handle, 2, SDL_PRESSED);
    SDL_JoystickSetVirtualHat(handle, 0, SDL_HAT_UP);
    EXPECT_EQ(Read().x, 1000);
    Detach();
    JoystickState s = Read(Result::InputLost);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.buttons[2], 0x00);
    EXPECT_EQ(s.povs[0], kPovCentred);
    EXPECT_EQ(joystick->Poll(), Result::NotAcquired);
    EXPECT_EQ(joystick->Acquire(), Result::Unplugged);
    EXPECT_EQ(joystick->Poll(), Result::NotAcquired); // a re-acquire loop ends
}

TEST_F(JoystickTest, focusLossShouldReadNeutralAndRefuseAcquiring)
{
    Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 2, 8, 0);
    SDL_JoystickSetVirtualButton(handle, 0, SDL_PRESSED);
    EXPECT_EQ(Read().buttons[0], 0x80);
    test::Focus(*window, false);
    EXPECT_EQ(Read(Result::InputLost).buttons[0], 0x00);
    EXPECT_EQ(joystick->Acquire(), Result::OtherAppHasPriority);
    test::Focus(*window);
    EXPECT_EQ(joystick->Acquire(), Result::Ok);
    EXPECT_EQ(Read().buttons[0], 0x80);
}

EffectFile ParseOrFail(std::string_view text)
{
    EffectFile file;
    EffectFileError error;
    EXPECT_TRUE(ParseEffectFile(text, file, error)) << error.line << ": " << error.reason;
    return file;
}

TEST_F(JoystickTest, aRumbleOnlyDeviceShouldPlayRumbleAndOtherEffectsOnItsMotors)
{
    Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0, true);
    ASSERT_TRUE(joystick->Info().forceFeedback);
    ASSERT_TRUE(joystick->HasForceFeedback());
    auto rumble = joystick->CreateEffect(
        ParseOrFail("ffe 1\neffect r\nkind rumble\nduration 100\nstrong 10000\nweak 2500\nend\n"));
    auto constant = joystick->CreateEffect(
        ParseOrFail("ffe 1\neffect c\nkind constant\nduration infinite\nmagnitude -5000\nend\n"));
    ASSERT_TRUE(rumble);
    ASSERT_TRUE(constant);
    EXPECT_EQ(rumble->Start(1), Result::Ok);
    EXPECT_EQ(constant->Start(kEffectForever), Result::Ok);
    ASSERT_GE(rumbles.calls.size(), 2u);
    EXPECT_EQ(rumbles.calls[0], (std::pair<Uint16, Uint16> { 65535, 16384 }));
    EXPECT_EQ(rumbles.calls[1], (std::pair<Uint16, Uint16> { 32768, 32768 }));
    // SDL stops a rumble when its time is up (1 s): the polls keep an endless one going.
    for (int i = 0; i < 12; ++i) {
        SDL_Delay(100);
        EXPECT_EQ(joystick->Poll(), Result::Ok);
    }
    EXPECT_EQ(rumbles.calls.back(), (std::pair<Uint16, Uint16> { 32768, 32768 }));
    EXPECT_EQ(constant->Stop(), Result::Ok);
    EXPECT_EQ(rumbles.calls.back(), (std::pair<Uint16, Uint16> { 0, 0 }));
}

TEST_F(JoystickTest, anEffectShouldOutliveItsJoystickAndTheInputSystem)
{
    Attach(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0, true);
    auto effect = joystick->CreateEffect(
        ParseOrFail("ffe 1\neffect r\nkind rumble\nduration 100\nstrong 10000\nweak 0\nend\n"));
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->Start(1), Result::Ok);
    joystick.reset();
    input.reset();
    EXPECT_EQ(effect->Start(1), Result::NotAcquired);
    effect.reset();
}

TEST_F(JoystickTest, effectsShouldPlayOnlyWhileTheJoystickIsAcquired)
{
    Attach(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 2, 8, 0);
    auto fake = std::make_shared<RecordingHaptic>();
    joystick->ReplaceHaptic(fake);
    EXPECT_EQ(joystick->SetAutoCenter(true), Result::Ok);
    auto effect = joystick->CreateEffect(ParseOrFail("ffe 1\neffect s\nkind sine\nduration 100\nend\n"));
    ASSERT_TRUE(effect);
    EXPECT_EQ(effect->Start(2), Result::Ok);
    test::Focus(*window, false);
    EXPECT_EQ(effect->Start(1), Result::NotAcquired);
    effect.reset();
    using Call = RecordingHaptic::Call;
    using CK = RecordingHaptic::CallKind;
    EXPECT_EQ(fake->calls,
        (std::vector<Call> { { CK::Autocenter, -1, 1 }, { CK::Create, 0, 0 }, { CK::Run, 0, 2 },
            { CK::StopAll, -1, 0 }, { CK::Destroy, 0, 0 } }));
}

} // namespace

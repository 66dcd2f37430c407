#include "platform/input/keyboard.h"
#include "platform/window/keys.h"
#include "tests/platform/input/input_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace plat::input;
using plat::window::key::A;
using test::Ev;

constexpr uint8_t B = 0x30;
constexpr uint8_t C = 0x2E;

class KeyboardTest : public test::InputTest {
protected:
    void SetUp() override
    {
        test::InputTest::SetUp();
        keyboard = input->CreateKeyboard();
        ASSERT_EQ(keyboard->SetCooperativeLevel(*window,
                      Cooperation::NonExclusive | Cooperation::Foreground | Cooperation::NoWindowsKey),
            Result::Ok);
        ASSERT_EQ(keyboard->SetBufferSize(256), Result::Ok);
        ASSERT_EQ(keyboard->Acquire(), Result::Ok);
    }

    void TearDown() override
    {
        keyboard.reset();
        test::InputTest::TearDown();
    }

    void Key(SDL_Scancode scancode, bool down, bool repeat = false)
    {
        test::PushKey(*window, scancode, down, 0, repeat);
    }

    std::vector<uint8_t> KeysDown()
    {
        KeyboardState state;
        EXPECT_EQ(keyboard->GetState(state), Result::Ok);
        std::vector<uint8_t> down;
        for (size_t code = 0; code < state.size(); ++code) {
            if (state[code] & 0x80)
                down.push_back(uint8_t(code));
        }
        return down;
    }

    std::unique_ptr<Keyboard> keyboard;
};

TEST_F(KeyboardTest, eventsAndStateShouldFollowTheKeys)
{
    struct Press {
        SDL_Scancode scancode;
        bool down;
        bool repeat;
    };
    struct Case {
        const char* name;
        std::vector<Press> presses;
        std::vector<Ev> events;
        std::vector<uint8_t> down;
    };
    const Case cases[] = {
        { "pressed and released within one read",
            { { SDL_SCANCODE_A, true, false }, { SDL_SCANCODE_A, false, false } },
            { { A, 0x80 }, { A, 0x00 } }, {} },
        { "held", { { SDL_SCANCODE_B, true, false } }, { { B, 0x80 } }, { B } },
        { "auto-repeat is no event",
            { { SDL_SCANCODE_B, true, true }, { SDL_SCANCODE_B, true, true },
                { SDL_SCANCODE_B, false, false } },
            { { B, 0x00 } }, {} },
        { "keys outside the table are ignored", { { SDL_SCANCODE_F24, true, false } }, {}, {} },
        { "the numbering of stored codes",
            { { SDL_SCANCODE_KP_MINUS, true, false }, { SDL_SCANCODE_DELETE, true, false } },
            { { 74, 0x80 }, { 211, 0x80 } }, { 74, 211 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Press& p : c.presses)
            Key(p.scancode, p.down, p.repeat);
        EXPECT_EQ(test::Read(*keyboard), c.events);
        EXPECT_EQ(KeysDown(), c.down);
        Key(SDL_SCANCODE_KP_MINUS, false);
        Key(SDL_SCANCODE_DELETE, false);
        test::Read(*keyboard);
    }
}

TEST_F(KeyboardTest, aReadShouldTakeAtMostTheCountAsked)
{
    for (int i = 0; i < 5; ++i) {
        Key(SDL_SCANCODE_C, true);
        Key(SDL_SCANCODE_C, false);
    }
    Result r;
    EXPECT_EQ(test::Read(*keyboard, &r, 3).size(), 3u);
    EXPECT_EQ(r, Result::Ok);
    EXPECT_EQ(test::Read(*keyboard, &r, 1024).size(), 7u);
}

TEST_F(KeyboardTest, anOverflowShouldBeReportedAndReleaseEventsShouldRightTheState)
{
    Key(SDL_SCANCODE_A, true); // 1
    for (int i = 0; i < 127; ++i) { // 255
        Key(SDL_SCANCODE_B, true);
        Key(SDL_SCANCODE_B, false);
    }
    Key(SDL_SCANCODE_C, true); // 256: the buffer is full
    Key(SDL_SCANCODE_A, false); // lost
    Key(SDL_SCANCODE_C, false); // lost
    Result r;
    std::vector<Ev> events = test::Read(*keyboard, &r);
    EXPECT_EQ(r, Result::BufferOverflow);
    ASSERT_EQ(events.size(), 256u);
    EXPECT_EQ(events.front(), (Ev { A, 0x80 }));
    EXPECT_EQ(events.back(), (Ev { C, 0x80 }));
    // The program saw A and C go down and never up: the layer delivers their releases.
    EXPECT_EQ(test::Read(*keyboard, &r), (std::vector<Ev> { { A, 0x00 }, { C, 0x00 } }));
    EXPECT_EQ(r, Result::Ok);
    EXPECT_EQ(KeysDown(), std::vector<uint8_t> {});
}

TEST_F(KeyboardTest, focusLossShouldAnswerInputLostOnceThenNotAcquired)
{
    Key(SDL_SCANCODE_A, true);
    EXPECT_EQ(test::Read(*keyboard), (std::vector<Ev> { { A, 0x80 } }));
    // The release arrives with the focus loss, and the buffer holding it goes with the acquisition.
    Key(SDL_SCANCODE_A, false);
    test::Focus(*window, false);
    Key(SDL_SCANCODE_B, true); // no focus: no event

    Result r;
    EXPECT_TRUE(test::Read(*keyboard, &r).empty());
    EXPECT_EQ(r, Result::InputLost);
    test::Read(*keyboard, &r);
    EXPECT_EQ(r, Result::NotAcquired);
    test::Read(*keyboard, &r);
    EXPECT_EQ(r, Result::NotAcquired);
    KeyboardState state;
    state.fill(0xFF);
    EXPECT_EQ(keyboard->GetState(state), Result::NotAcquired);
    EXPECT_EQ(state, KeyboardState {});
    EXPECT_EQ(keyboard->Acquire(), Result::OtherAppHasPriority);

    Key(SDL_SCANCODE_B, false);
    test::Focus(*window);
    ASSERT_EQ(keyboard->Acquire(), Result::Ok);
    EXPECT_EQ(test::Read(*keyboard, &r), (std::vector<Ev> { { A, 0x00 } }));
    EXPECT_EQ(r, Result::Ok);
}

TEST_F(KeyboardTest, aBackgroundKeyboardShouldStayAcquiredWithoutFocus)
{
    auto background = input->CreateKeyboard();
    ASSERT_EQ(background->SetCooperativeLevel(*window, Cooperation::NonExclusive | Cooperation::Background),
        Result::Ok);
    test::Focus(*window, false);
    EXPECT_EQ(background->Acquire(), Result::Ok);
    EXPECT_EQ(background->SetCooperativeLevel(*window, Cooperation::Exclusive | Cooperation::NonExclusive),
        Result::InvalidParam);
}

TEST_F(KeyboardTest, aPressReleasedBetweenTwoStateReadsShouldBeMissed)
{
    Key(SDL_SCANCODE_A, true);
    Key(SDL_SCANCODE_A, false);
    plat::window::DrainEvents();
    EXPECT_EQ(KeysDown(), std::vector<uint8_t> {});
    Key(SDL_SCANCODE_ESCAPE, true);
    plat::window::DrainEvents();
    EXPECT_EQ(KeysDown(), std::vector<uint8_t> { plat::window::key::Escape });
}

} // namespace

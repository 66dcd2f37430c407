#include "platform/input/mouse.h"
#include "tests/platform/input/input_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace plat::input;
using test::Ev;

constexpr uint32_t kX = uint32_t(MouseObject::X);
constexpr uint32_t kY = uint32_t(MouseObject::Y);
constexpr uint32_t kWheel = uint32_t(MouseObject::Wheel);

class MouseTest : public test::InputTest {
protected:
    void SetUp() override
    {
        test::InputTest::SetUp();
        mouse = input->CreateMouse();
        ASSERT_EQ(mouse->SetFormat(MouseFormat::Buttons8), Result::Ok);
        ASSERT_EQ(mouse->SetCooperativeLevel(*window, Cooperation::NonExclusive | Cooperation::Foreground),
            Result::Ok);
        ASSERT_EQ(mouse->SetBufferSize(256), Result::Ok);
        ASSERT_EQ(mouse->Acquire(), Result::Ok);
    }

    void TearDown() override
    {
        mouse.reset();
        test::InputTest::TearDown();
    }

    MouseState State()
    {
        plat::window::DrainEvents();
        MouseState state;
        EXPECT_EQ(mouse->GetState(state), Result::Ok);
        return state;
    }

    std::unique_ptr<Mouse> mouse;
};

TEST_F(MouseTest, motionShouldBeEventsAndSumUntilTheStateIsRead)
{
    test::PushMotion(*window, 100, 100, 3, 4);
    test::PushMotion(*window, 99, 102, -1, 2);
    test::PushMotion(*window, 99, 102, 0, 5);
    plat::window::DrainEvents();
    std::vector<DeviceEvent> events(8);
    uint32_t count = 8;
    ASSERT_EQ(mouse->GetDeviceData(events.data(), count), Result::Ok);
    ASSERT_EQ(count, 5u);
    EXPECT_EQ(events[0].sequence, events[1].sequence); // one motion, one moment
    EXPECT_NE(events[1].sequence, events[2].sequence);
    std::vector<Ev> got;
    for (uint32_t i = 0; i < count; ++i)
        got.push_back({ events[i].offset, events[i].data });
    EXPECT_EQ(got, (std::vector<Ev> { { kX, 3 }, { kY, 4 }, { kX, -1 }, { kY, 2 }, { kY, 5 } }));

    MouseState state = State();
    EXPECT_EQ(state.x, 2);
    EXPECT_EQ(state.y, 11);
    state = State();
    EXPECT_EQ(state.x, 0);
    EXPECT_EQ(state.y, 0);
}

TEST_F(MouseTest, theWheelShouldMove120ANotchPositiveAwayFromTheUser)
{
    test::PushWheel(*window, 1);
    test::PushWheel(*window, -2);
    test::PushWheel(*window, 1, true);
    EXPECT_EQ(test::Read(*mouse), (std::vector<Ev> { { kWheel, 120 }, { kWheel, -240 }, { kWheel, -120 } }));
    EXPECT_EQ(State().wheel, -240);
}

TEST_F(MouseTest, buttonsShouldTakeThePlatformOrderAndGiveDownAndUpInOneRead)
{
    // SDL's buttons 1-8: left, middle, right, X1, X2, 6, 7, 8.
    const int ours[] = { 0, 2, 1, 3, 4, 5, 6, 7 };
    for (Uint8 sdl = 1; sdl <= 8; ++sdl) {
        uint32_t offset = MouseButtonOffset(ours[sdl - 1]);
        test::PushButton(*window, sdl, true);
        test::PushButton(*window, sdl, false);
        EXPECT_EQ(test::Read(*mouse), (std::vector<Ev> { { offset, 0x80 }, { offset, 0x00 } })) << int(sdl);
    }
    test::PushButton(*window, SDL_BUTTON_X2, true);
    MouseState state = State();
    EXPECT_EQ(state.buttons, (std::array<uint8_t, 8> { 0, 0, 0, 0, 0x80, 0, 0, 0 }));
}

TEST_F(MouseTest, theFourButtonFormatShouldIgnoreTheOthers)
{
    auto mouse4 = input->CreateMouse();
    ASSERT_EQ(mouse4->SetBufferSize(16), Result::Ok);
    ASSERT_EQ(mouse4->Acquire(), Result::Ok);
    test::PushButton(*window, SDL_BUTTON_X2, true);
    test::PushButton(*window, SDL_BUTTON_X1, true);
    EXPECT_EQ(test::Read(*mouse4), (std::vector<Ev> { { MouseButtonOffset(3), 0x80 } }));
}

TEST_F(MouseTest, aButtonLetGoWithoutFocusShouldBeReleasedAtTheNextAcquire)
{
    test::PushButton(*window, SDL_BUTTON_LEFT, true);
    EXPECT_EQ(test::Read(*mouse), (std::vector<Ev> { { MouseButtonOffset(0), 0x80 } }));
    test::Focus(*window, false);
    test::PushButton(*window, SDL_BUTTON_LEFT, false);
    Result r;
    test::Read(*mouse, &r);
    EXPECT_EQ(r, Result::InputLost);
    test::Focus(*window);
    ASSERT_EQ(mouse->Acquire(), Result::Ok);
    EXPECT_EQ(test::Read(*mouse), (std::vector<Ev> { { MouseButtonOffset(0), 0x00 } }));
}

TEST_F(MouseTest, anExclusiveMouseShouldPutTheWindowInRelativeModeWhileAcquired)
{
    auto exclusive = input->CreateMouse();
    ASSERT_EQ(exclusive->SetCooperativeLevel(*window, Cooperation::Exclusive | Cooperation::Foreground),
        Result::Ok);
    EXPECT_FALSE(window->IsRelativeMouse());
    ASSERT_EQ(exclusive->Acquire(), Result::Ok);
    EXPECT_TRUE(window->IsRelativeMouse());
    test::Focus(*window, false);
    EXPECT_FALSE(exclusive->IsAcquired());
    EXPECT_FALSE(window->IsRelativeMouse());
}

} // namespace

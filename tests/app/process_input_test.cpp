#include "app/CInputConfig.h"
#include "tests/app/app_fixture.h"
#include "tests/app/fake_input.h"
#include "world/db/CZJEngine.h"

#include <gtest/gtest.h>

namespace {

class ProcessInputTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        // The default bindings, without cfg.ini or DICode.ini.
        config.LoadBindings("no-such-cfg.ini");
        m_fixCursor = g_FixCursor;
        g_FixCursor = 0;
    }
    void TearDown() override
    {
        g_FixCursor = m_fixCursor;
        apptest::TempDirTest::TearDown();
    }
    // Runs one frame whose state the step leaves.
    const SControlState& Frame(std::function<void(FakeInput&)> step = {})
    {
        if (step)
            input.frames.push_back(step);
        else
            input.frames.push_back([](FakeInput&) {});
        config.ProcessInput();
        return config.Control();
    }
    uint8_t Key(EAction action) const { return uint8_t(config.Binding(action)); }

    FakeInput input;
    CInputConfig config { input };
    uint8_t m_fixCursor = 0;
};

TEST_F(ProcessInputTest, forwardAndBackwardTogetherGiveHalfThrottle)
{
    const uint8_t forward = Key(EAction::FORWARD);
    const uint8_t backward = Key(EAction::BACKWARD);
    EXPECT_FLOAT_EQ(Frame([=](FakeInput& i) { i.Key(forward, true); }).throttle, 1.0f);
    EXPECT_FLOAT_EQ(Frame([=](FakeInput& i) { i.Key(backward, true); }).throttle, 0.5f);
    EXPECT_FLOAT_EQ(Frame([=](FakeInput& i) { i.Key(forward, false); }).throttle, -0.5f);
}

TEST_F(ProcessInputTest, turnAndStrafeCancelWhenBothAreHeld)
{
    const uint8_t left = Key(EAction::LEFT), right = Key(EAction::RIGHT);
    const uint8_t strafeLeft = Key(EAction::STRAFELEFT), strafeRight = Key(EAction::STRAFERIGHT);
    const SControlState& c = Frame([=](FakeInput& i) {
        i.Key(left, true);
        i.Key(strafeRight, true);
    });
    EXPECT_FLOAT_EQ(c.turn, 1.0f);
    EXPECT_FLOAT_EQ(c.strafe, -1.0f);
    const SControlState& both = Frame([=](FakeInput& i) {
        i.Key(right, true);
        i.Key(strafeLeft, true);
    });
    EXPECT_FLOAT_EQ(both.turn, 0.0f);
    EXPECT_FLOAT_EQ(both.strafe, 0.0f);
}

TEST_F(ProcessInputTest, bombIsHeldThenReleased)
{
    const uint8_t bomb = Key(EAction::BOMB);
    EXPECT_EQ(Frame([=](FakeInput& i) { i.Key(bomb, true); }).bomb, 1u);
    EXPECT_EQ(Frame().bomb, 1u);
    EXPECT_EQ(Frame([=](FakeInput& i) { i.Key(bomb, false); }).bomb, 2u);
    EXPECT_EQ(Frame().bomb, 0u);
}

TEST_F(ProcessInputTest, togglesFireOnceWhileHeldAndHoldFlagsStay)
{
    const uint8_t map = Key(EAction::SHOWMAP), shield = Key(EAction::SHIELD);
    const SControlState& first = Frame([=](FakeInput& i) {
        i.Key(map, true);
        i.Key(shield, true);
    });
    EXPECT_TRUE(first.showMap);
    EXPECT_TRUE(first.shield);
    const SControlState& second = Frame();
    EXPECT_FALSE(second.showMap);
    EXPECT_TRUE(second.shield);
}

TEST_F(ProcessInputTest, joystickButtonTogglesOnlyOnTheirEdge)
{
    input.joystick = true;
    EXPECT_TRUE(Frame([](FakeInput& i) { i.JoyButton(3, true); }).jump); // JUMP2 is the fourth button
    EXPECT_FALSE(Frame().jump);
    EXPECT_TRUE(Frame().fire == 0);
    EXPECT_TRUE(Frame([](FakeInput& i) { i.JoyButton(0, true); }).fire);
    EXPECT_TRUE(Frame().fire) << "fire is held, not toggled";
}

TEST_F(ProcessInputTest, joystickThrottleAxisWithFixedCursor)
{
    g_FixCursor = 1;
    input.joystick = true;
    const uint8_t forward = Key(EAction::FORWARD), run = Key(EAction::RUN);
    struct {
        int32_t axis; // slider + z, inverted into the throttle
        bool keyForward;
        float throttle;
        bool runKept;
    } const cases[] = {
        { -100, false, 0.0f, true }, // 0.1: inside the dead zone
        { -600, false, 0.5f, false },
        { -600, true, 1.0f, true }, // 0.5 does not beat the keys' 1.0
        { -1000, false, 2.0f, false }, // 1.0, doubled past 0.95
        { 600, false, -0.5f, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.axis);
        const SControlState& state = Frame([&](FakeInput& i) {
            i.Joy().sliders[0] = c.axis;
            i.Joy().z = 0;
            i.Key(forward, c.keyForward);
            i.Key(run, true);
        });
        EXPECT_NEAR(state.throttle, c.throttle, 1e-5);
        EXPECT_EQ(state.run != 0, c.runKept);
    }
    const SControlState& strafe = Frame([](FakeInput& i) {
        i.Joy().sliders[0] = 0;
        i.Joy().rz = -1000;
        i.Joy().x = 500;
        i.Joy().y = -250;
    });
    EXPECT_NEAR(strafe.strafe, 1.0f, 1e-5);
    EXPECT_NEAR(strafe.joyX, 0.5f, 1e-5);
    EXPECT_NEAR(strafe.joyY, -0.25f, 1e-5);
}

TEST_F(ProcessInputTest, axesAreIgnoredWithoutFixedCursor)
{
    input.joystick = true;
    const SControlState& c = Frame([](FakeInput& i) {
        i.Joy().sliders[0] = -1000;
        i.Joy().x = 1000;
    });
    EXPECT_FLOAT_EQ(c.throttle, 0.0f);
    EXPECT_FLOAT_EQ(c.joyX, 0.0f);
}

TEST_F(ProcessInputTest, yawCarriesAndDampsOnAReversal)
{
    // Sensitivity 6: yaw = -(d + carry) * 0.3.
    config.CycleValues()[0] = 0.0f;
    EXPECT_FLOAT_EQ(Frame([](FakeInput& i) { i.Move(10, 0); }).yaw, -3.0f);
    config.CycleValues()[0] = 4.0f; // same sign: carry kept
    EXPECT_FLOAT_EQ(Frame([](FakeInput& i) { i.Move(10, 0); }).yaw, -4.2f);
    config.CycleValues()[0] = 4.0f; // reversal: carry x 0.25
    EXPECT_FLOAT_EQ(Frame([](FakeInput& i) { i.Move(-10, 0); }).yaw, 2.7f);
    EXPECT_FLOAT_EQ(config.CycleValues()[0], 1.0f);
    config.CycleValues()[0] = 0.0f;
    EXPECT_FLOAT_EQ(Frame().yaw, 0.0f);
}

TEST_F(ProcessInputTest, pitchFollowsTheMouseAndInverseMouseFlipsIt)
{
    EXPECT_FLOAT_EQ(Frame([](FakeInput& i) { i.Move(0, 5); }).pitch, 1.5f);
    EXPECT_FLOAT_EQ(Frame().pitch, 0.0f);
    apptest::WriteText("Data/CONFIG/cfg.ini", "[INPUT]\r\nInverseMouse=1\r\nMouseSensitivity=1\r\n");
    config.LoadBindings("cfg.ini");
    EXPECT_FLOAT_EQ(Frame([](FakeInput& i) { i.Move(0, 5); }).pitch, -0.5f);
}

} // namespace

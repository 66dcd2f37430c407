// The game frame: its steps in order, the field of view and the stasis factor, the pause, the
// hourly and tenth-hour steps over a clock jump, and the network pass of a network game.
#include "tests/flow/frame_fixture.h"

#include "app/CResourceEngine.h"
#include "app/FrameMath.h"
#include "foundation/CallTrace.h"
#include "ui/CMessager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

TEST(FrameMathTest, theFieldOfViewWidensWithSpeedUpToItsLimits)
{
    struct Case {
        const char* what;
        float speed; // units a second, held for 10 s
        float width;
        float height;
        float fovY;
        float fovX;
    };
    const Case cases[] = {
        { "standing still", 0.0f, 640, 480, 50.0f, 50.0f * 4 / 3 },
        { "fast on 4:3 stays under 88 degrees", 2000.0f, 640, 480, 62.5f, 62.5f * 4 / 3 },
        { "standing on 2:1", 0.0f, 1000, 500, 44.0f, 88.0f },
        { "fast on 2:1", 2000.0f, 1000, 500, 44.0f, 88.0f },
    };
    for (const Case& c : cases) {
        float zoom = 0.0f;
        for (int frame = 0; frame < 500; ++frame)
            zoom = framemath::NextZoom(zoom, c.speed * c.speed, 0.02f);
        const framemath::SViewFields fields = framemath::ViewFields(zoom, c.width, c.height);
        EXPECT_NEAR(fields.fovY, c.fovY, 1e-3f) << c.what;
        EXPECT_NEAR(fields.fovX, c.fovX, 1e-3f) << c.what;
    }
}

TEST(FrameMathTest, theZoomDecaysByOneAndAHalfASecondWhenStopped)
{
    float zoom = 0.2f;
    for (int frame = 0; frame < 50; ++frame)
        zoom = framemath::NextZoom(zoom, 0.0f, 0.02f);
    EXPECT_NEAR(zoom, 0.2f / 1.5f, 1e-4f);
    for (int frame = 0; frame < 2000; ++frame)
        zoom = framemath::NextZoom(zoom, 0.0f, 0.02f);
    EXPECT_LT(zoom, 1e-4f);
    EXPECT_GT(framemath::NextZoom(0.0f, 100.0f * 100.0f, 0.02f), 0.0f) << "speed grows it";
}

TEST(FrameMathTest, theStasisModeScalesTime)
{
    struct Case {
        uint32_t mode;
        float countdown;
        float k;
    };
    const Case cases[] = {
        { 0, 5.0f, 1.0f }, // off
        { 1, 10.0f, 1.0f }, // rising from 1 ...
        { 1, 5.0f, 3.0f }, { 1, 0.0f, 5.0f }, // ... to 5
        { 2, 7.0f, 5.0f }, // held: five times as fast
        { 3, 10.0f, 5.0f }, // falling from 5 ...
        { 3, 0.0f, 1.0f }, // ... to 1
        { 4, 5.0f, 1.0f }, // unknown
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(framemath::StasisFactor(c.mode, c.countdown), c.k) << c.mode << " " << c.countdown;
}

class RenderTest : public FrameTest {
protected:
    // Frames of dt seconds (the timer's value before each); the steps each ran.
    std::vector<std::string> Frames(int count, float dt, bool first = false)
    {
        std::vector<std::string> steps;
        app.SetStepLog(&steps);
        for (int i = 0; i < count; ++i) {
            FrameTime = dt;
            app.Render(first && i == 0);
        }
        app.SetStepLog(nullptr);
        return steps;
    }
    static int CountOf(const std::vector<std::string>& steps, const char* step)
    {
        return int(std::count(steps.begin(), steps.end(), step));
    }
};

TEST_F(RenderTest, oneFrameRunsItsStepsInOrder)
{
    RunClock();
    GameSettings.MapShadows = true;
    Environment.hour = 10.99f;
    app.state = CZJApp::kNetGame;
    GameClock = 4.9;
    app.Render(false); // the network clock starts here
    GameClock = 5.1;
    const std::vector<std::string> steps = Frames(1, 3.0f); // 0.02 hours: into hour 11
    const std::vector<std::string> expected = { "clock", "view", "realFrameTime", "timeScale", "input",
        "frameReset", "models", "environment", "hour", "shadows", "runs", "draw", "move", "net", "hello",
        "sound", "radar", "pack", "analysis", "present", "timer" };
    EXPECT_EQ(steps, expected);
    app.state = CZJApp::kStartMenu;
}

TEST_F(RenderTest, aQuitRequestEndsTheFrameAfterTheClockSteps)
{
    app.SetQuit(1);
    const std::vector<std::string> steps = Frames(1, 0.02f);
    app.SetQuit(0);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), "environment");
}

TEST_F(RenderTest, pausedTheWorldStandsButTheFrameIsDrawn)
{
    RunClock();
    app.paused = 1;
    const CFerroGroup& group = Group("RUNNING", 1);
    const double models = ResourceEngine.Clock();
    const float groupClock = group.groupClock;
    glider.velocity = { 1000.0f, 0.0f, 0.0f };
    const std::vector<std::string> steps = Frames(3, 0.5f);
    EXPECT_FLOAT_EQ(Environment.hour, 10.0f);
    EXPECT_EQ(ResourceEngine.Clock(), models);
    EXPECT_FLOAT_EQ(group.groupClock, groupClock);
    EXPECT_FLOAT_EQ(app.realFrameTime, 0.5f);
    EXPECT_GT(app.zoom, 0.0f) << "the view still follows the glider";
    EXPECT_EQ(CountOf(steps, "draw"), 3);
    EXPECT_EQ(CountOf(steps, "present"), 3);
    EXPECT_EQ(CountOf(steps, "timer"), 3);

    app.paused = 0;
    Frames(1, 0.5f);
    EXPECT_GT(Environment.hour, 10.0f);
    EXPECT_GT(ResourceEngine.Clock(), models);
    EXPECT_GT(group.groupClock, groupClock);
}

TEST_F(RenderTest, heldStasisRunsTheWorldFiveTimesAsFast)
{
    RunClock();
    PlayerControl.StasisMode = 2;
    Frames(1, 1.5f);
    EXPECT_NEAR(Environment.hour, 10.0f + 5 * 1.5f / 150.0f, 1e-4f);
    EXPECT_FLOAT_EQ(app.realFrameTime, 1.5f);
}

TEST_F(RenderTest, aJumpOfHoursRunsTheHourlyStepsOnce)
{
    RunClock();
    GameSettings.MapShadows = true;
    Environment.hour = 10.5f;
    const std::vector<std::string> jump = Frames(1, 3.0f * 150.0f); // three hours in one frame
    EXPECT_NEAR(Environment.hour, 13.5f, 1e-3f);
    EXPECT_EQ(CountOf(jump, "hour"), 1);
    EXPECT_EQ(CountOf(jump, "shadows"), 1);

    // A tenth of an hour is 15 s: 30 s in frames of 0.5 s crosses two tenths and no hour.
    RunClock();
    Environment.hour = 11.01f;
    const std::vector<std::string> tenths = Frames(60, 0.5f);
    EXPECT_EQ(CountOf(tenths, "hour"), 0);
    EXPECT_EQ(CountOf(tenths, "shadows"), 2);

    GameSettings.MapShadows = false;
    EXPECT_EQ(CountOf(Frames(60, 0.5f), "shadows"), 0);

    Environment.hour = 15.5f; // a loaded game's clock
    EXPECT_EQ(CountOf(Frames(1, 0.5f), "hour"), 0) << "a load is no hour change";
}

TEST_F(RenderTest, aNetworkGameSendsAHelloEveryFiveSecondsAndTheFullGliderEverySecond)
{
    app.state = CZJApp::kNetGame;
    std::vector<std::string> steps;
    int fullUpdates = 0;
    for (int second = 0; second <= 12; ++second) {
        glider.netDirty = 0;
        GameClock = 0.5 + second;
        FrameTime = 0.02f;
        app.SetStepLog(&steps);
        app.Render(false);
        app.SetStepLog(nullptr);
        fullUpdates += glider.netDirty;
    }
    app.state = CZJApp::kStartMenu;
    EXPECT_EQ(CountOf(steps, "net"), 13);
    EXPECT_EQ(CountOf(steps, "hello"), 2) << "at 5 s and 10 s";
    EXPECT_EQ(fullUpdates, 12);
    EXPECT_EQ(CountOf(Frames(3, 0.02f), "net"), 0) << "not in a single-player game";
}

TEST_F(RenderTest, aFailedHelloSaysSoInTheMessageWindow)
{
    CMessager messager;
    ASSERT_TRUE(messager.Init());
    g_pMessager = &messager;
    app.state = CZJApp::kNetGame;
    GameClock = 4.9;
    app.Render(false);
    const int32_t written = messager.Write();
    GameClock = 5.1;
    app.Render(false);
    app.state = CZJApp::kStartMenu;
    g_pMessager = nullptr;
    EXPECT_EQ(messager.Write(), written + 1) << "the keep-alive failed without a connection";
}

class ThrowingGroup : public CFerroGroup {
public:
    void Run(float) override { throw std::runtime_error("group"); }
};

TEST_F(RenderTest, anExceptionNamesItsStepAndTheFrame)
{
    Group<ThrowingGroup>("THROWS", 1);
    ResetCallTrace();
    EXPECT_THROW(app.Render(false), std::runtime_error);
    const std::string trace = CallTraceText();
    ResetCallTrace();
    EXPECT_NE(trace.find("->RUNS->CZJApp::Render"), std::string::npos) << trace;
}

TEST_F(RenderTest, theFrameCopiesTheGlidersPositionFirst)
{
    glider.frame.SetPosition({ 120.0f, 340.0f, 5.0f });
    Frames(1, 0.02f);
    EXPECT_FLOAT_EQ(PlayerPosition.x, 120.0f);
    EXPECT_FLOAT_EQ(PlayerPosition.y, 340.0f);
}

} // namespace

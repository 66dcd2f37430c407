#include <cstdint>

#include <gtest/gtest.h>

#include "foundation/CTimer.h"

namespace {

constexpr int64_t kFrequency = 1'000'000;

// A timer on a counter that the test moves by hand, in microseconds.
class TimerTest : public testing::Test {
protected:
    void Advance(double seconds) { m_now += int64_t(seconds * double(kFrequency) + 0.5); }
    void Frame(double seconds)
    {
        Advance(seconds);
        m_timer.Update();
    }

    int64_t m_now = 5'000'000'000;
    CTimer m_timer { [this] { return m_now; }, kFrequency };
};

TEST_F(TimerTest, RestartPublishesTheStartValues)
{
    for (int round = 0; round < 2; ++round) {
        EXPECT_FLOAT_EQ(FrameTime, 0.025f);
        EXPECT_FLOAT_EQ(prevFrameTime, 0.025f);
        EXPECT_FLOAT_EQ(lastFrameDelta, 0.025f);
        EXPECT_EQ(framesPerSecond, 40u);
        for (int i = 0; i < 10; ++i)
            Frame(0.5);
        m_timer.Restart();
    }
}

TEST_F(TimerTest, FirstUpdateAfterRestartMeasuresARealFrame)
{
    Frame(0.02);
    EXPECT_NEAR(lastFrameDelta, 0.02f, 1e-6f);
    EXPECT_FLOAT_EQ(prevFrameTime, 0.025f);
    // The history is spaced 10 ms apart in the past: (0.15 + 0.02) / 16.
    EXPECT_NEAR(FrameTime, 0.17f / 16.0f, 1e-6f);
}

TEST_F(TimerTest, FrameTimeIsTheClampedSixteenFrameAverage)
{
    struct Case {
        double frame;
        float expected;
    };
    const Case cases[] = {
        { 0.016, 0.016f },
        { 0.0005, 0.001f },
        { 0.001, 0.001f },
        { 0.5, 0.2f },
    };
    for (const Case& c : cases) {
        m_timer.Restart();
        for (int i = 0; i < 40; ++i)
            Frame(c.frame);
        EXPECT_NEAR(FrameTime, c.expected, 1e-6f) << "frames of " << c.frame << " s";
        EXPECT_NEAR(lastFrameDelta, float(c.frame), 1e-6f);
    }
}

TEST_F(TimerTest, ASpikeRaisesTheFrameTimeByAtMostASixteenth)
{
    for (double spike : { 2.0, 1.0, 0.5, 0.2 }) {
        m_timer.Restart();
        for (int i = 0; i < 20; ++i)
            Frame(0.016);
        const float before = FrameTime;
        Frame(spike);
        EXPECT_NEAR(lastFrameDelta, float(spike), 1e-6f);
        EXPECT_LE(FrameTime - before, float(spike / 16.0) + 1e-6f);
        EXPECT_LE(FrameTime, 0.2f);
        EXPECT_FLOAT_EQ(prevFrameTime, before);
    }
}

TEST_F(TimerTest, SkipPauseHidesThePause)
{
    for (int i = 0; i < 20; ++i)
        Frame(0.016);
    const float before = FrameTime;
    Advance(10.0);
    m_timer.SkipPause();
    Frame(0.016);
    EXPECT_NEAR(lastFrameDelta, 0.016f, 1e-6f);
    EXPECT_NEAR(FrameTime, before, 1e-6f);
}

TEST_F(TimerTest, FramesPerSecondChangesOnlyAboveOneSecondAndCarriesTheExcess)
{
    // Quarter-second frames are exact in f32: four make exactly 1.0, which does not count.
    for (int i = 0; i < 4; ++i)
        Frame(0.25);
    EXPECT_EQ(framesPerSecond, 40u);
    Frame(0.25);
    EXPECT_EQ(framesPerSecond, 5u);
    // 0.25 s carried over: three more frames reach 1.0, the fourth passes it.
    for (int i = 0; i < 3; ++i)
        Frame(0.25);
    EXPECT_EQ(framesPerSecond, 5u);
    Frame(0.25);
    EXPECT_EQ(framesPerSecond, 4u);
}

TEST_F(TimerTest, GameClockTracksTheCounterSinceConstruction)
{
    EXPECT_EQ(GameClock, 0.0);
    Frame(1.5);
    EXPECT_DOUBLE_EQ(GameClock, 1.5);
    m_timer.Restart();
    EXPECT_DOUBLE_EQ(GameClock, 1.5);
    Advance(2.0);
    m_timer.SkipPause();
    EXPECT_DOUBLE_EQ(GameClock, 3.5);
    EXPECT_FLOAT_EQ(GameClockF32, 3.5f);
}

TEST(Timer, AZeroFrequencyCountsInMicroseconds)
{
    int64_t now = 0;
    CTimer timer([&] { return now; }, 0);
    now = 250'000;
    timer.Update();
    EXPECT_FLOAT_EQ(lastFrameDelta, 0.25f);
    EXPECT_DOUBLE_EQ(GameClock, 0.25);
}

TEST(Timer, TheRealCounterMovesForward)
{
    CTimer timer;
    timer.Update();
    EXPECT_GE(lastFrameDelta, 0.0f);
    EXPECT_GE(GameClock, 0.0);
}

} // namespace

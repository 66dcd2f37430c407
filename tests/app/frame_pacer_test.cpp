#include "app/CFramePacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int64_t kMs = 1'000'000;

// A clock that only moves when the loop works or sleeps.
struct FakeClock {
    int64_t now = 5 * kMs;
    std::vector<uint32_t> sleeps;

    CFramePacer::Clock Clock()
    {
        return { [this] { return now; },
            [this](uint32_t ms) {
                sleeps.push_back(ms);
                now += int64_t(ms) * kMs;
            } };
    }
};

TEST(FramePacerTest, sleepsTheRestOfEachFrameAtTheGivenRate)
{
    struct Row {
        int hertz;
        int64_t workNs; // per frame
        uint32_t expectedSleep; // ms
    };
    const Row rows[] = {
        { 60, 1 * kMs, 15 }, // 16.67 ms a frame
        { 60, 16 * kMs, 0 }, // less than a millisecond left
        { 60, 40 * kMs, 0 }, // a slow frame is not made up for
        { 120, 2 * kMs, 6 },
        { 0, 1 * kMs, 15 }, // unknown rate: 60
        { -5, 1 * kMs, 15 },
    };
    for (const Row& row : rows) {
        FakeClock clock;
        CFramePacer pacer(clock.Clock());
        pacer.SetRate(row.hertz);
        pacer.Pace(); // the first call only starts the period
        EXPECT_TRUE(clock.sleeps.empty()) << row.hertz;
        for (int frame = 0; frame < 3; ++frame) {
            clock.now += row.workNs;
            pacer.Pace();
        }
        const std::vector<uint32_t> expected
            = row.expectedSleep ? std::vector<uint32_t>(3, row.expectedSleep) : std::vector<uint32_t> {};
        EXPECT_EQ(clock.sleeps, expected) << row.hertz << " Hz, " << row.workNs / kMs << " ms of work";
    }
}

TEST(FramePacerTest, aPresentThatWaitedForTheDisplayLeavesNothingToSleep)
{
    FakeClock clock;
    CFramePacer pacer(clock.Clock());
    pacer.Pace();
    for (int frame = 0; frame < 5; ++frame) {
        clock.now += pacer.Period(); // the present returned at the next refresh
        pacer.Pace();
    }
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST(FramePacerTest, anIdleLoopRunsAtMostTheRateAFrameASecond)
{
    FakeClock clock;
    CFramePacer pacer(clock.Clock());
    const int64_t start = clock.now;
    int frames = 0;
    while (clock.now - start < 1000 * kMs) {
        clock.now += kMs / 10; // an almost free frame
        pacer.Pace();
        ++frames;
    }
    EXPECT_GE(frames, 60);
    EXPECT_LE(frames, 64);
}

} // namespace

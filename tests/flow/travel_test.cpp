// The arithmetic of a travel: the arrival hour, the bounded clock advance, the location script's
// name and the tunnel ride's clock.
#include "app/LocationTravel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TravelTest, theArrivalHourIsTheNextHourAndZeroPastTwentyThree)
{
    struct SCase {
        float clock;
        float hour;
    };
    const SCase cases[] = { { 10.0f, 11.0f }, { 21.75f, 22.75f }, { 22.0f, 23.0f }, { 22.5f, 0.0f },
        { 23.5f, 0.0f }, { 0.0f, 1.0f } };
    for (const SCase& c : cases)
        EXPECT_FLOAT_EQ(travel::ArrivalHour(c.clock), c.hour) << c.clock;
}

// A clock that moves ten minutes a step and wraps at 24.
struct SClock {
    float hour;
    int steps = 0;
    float Step()
    {
        ++steps;
        hour += 1.0f / 6.0f;
        if (hour >= 24.0f)
            hour -= 24.0f;
        return hour;
    }
};

TEST(TravelTest, theClockAdvancesUntilItLiesInTheArrivalHour)
{
    SClock clock { 23.5f };
    const float target = travel::ArrivalHour(clock.hour);
    const int steps = travel::AdvanceClockTo(target, clock.hour, [&] { return clock.Step(); });
    EXPECT_EQ(steps, clock.steps);
    EXPECT_GE(clock.hour, 0.0f);
    EXPECT_LT(clock.hour, 1.0f);
    EXPECT_LE(steps, 4) << "from 23:30 to the first minutes of the day";

    SClock morning { 10.0f };
    travel::AdvanceClockTo(travel::ArrivalHour(morning.hour), morning.hour, [&] { return morning.Step(); });
    EXPECT_GE(morning.hour, 11.0f);
    EXPECT_LT(morning.hour, 12.0f);
}

TEST(TravelTest, aFrozenClockStopsAfterADayOfStepsAndOne)
{
    int steps = 0;
    EXPECT_EQ(travel::AdvanceClockTo(5.0f, 12.0f,
                  [&] {
                      ++steps;
                      return 12.0f;
                  }),
        145);
    EXPECT_EQ(steps, 145);
    EXPECT_EQ(travel::AdvanceClockTo(5.0f, 5.5f, [] { return 0.0f; }), 0) << "already there";
}

TEST(TravelTest, theLocationScriptIsTheFileNameBeforeItsLastDot)
{
    EXPECT_EQ(travel::LocationScriptName("location2.zjp"), "location2");
    EXPECT_EQ(travel::LocationScriptName("Data\\loc.v2.zjp"), "Data\\loc.v2");
    EXPECT_EQ(travel::LocationScriptName("nodot"), "nodot");
    EXPECT_EQ(travel::LocationScriptName(""), "");
    const std::string longName(3000, 'a');
    EXPECT_EQ(travel::LocationScriptName(longName.c_str()).size(), travel::kScriptNameBuffer - 1);
}

TEST(TravelTest, theRideEndsAtTenSecondsOrOnEscapeAndSpeedsUp)
{
    travel::STunnelRide ride;
    int frames = 0;
    float modelTime = 0.0f;
    float lastStep = 0.0f;
    while (!ride.Over(false)) {
        const float step = ride.Advance(0.125f);
        EXPECT_GT(step, lastStep) << "the models run faster each frame";
        lastStep = step;
        modelTime += step;
        ++frames;
    }
    EXPECT_EQ(frames, 80);
    EXPECT_FLOAT_EQ(ride.t, 10.0f);
    EXPECT_GT(modelTime, 20.0f);
    EXPECT_FLOAT_EQ(ride.FogStart(), 0.0f);
    EXPECT_FLOAT_EQ(ride.FogEnd(), 0.0f);

    travel::STunnelRide early;
    early.Advance(0.5f);
    EXPECT_FALSE(early.Over(false));
    EXPECT_TRUE(early.Over(true));
    EXPECT_FLOAT_EQ(early.FogStart(), 400.0f - 0.0625f * 0.04f);
    EXPECT_FLOAT_EQ(early.MorphWeight(), 0.5f);
}

} // namespace

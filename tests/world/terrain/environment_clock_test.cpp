// The day clock: the weather crossings of the day, the day-phase blend of sky and fog, the sun
// and moon with their lights, the glare limit and the terrain's hour-light selection.
#include "tests/world/terrain/environment_fixture.h"

#include <cmath>
#include <numbers>

namespace {

class ClockTest : public EnvironmentTest {
protected:
    // Two day records (0, 1) and a night record (2) with distinct sky textures and colours; day
    // record 0 active, next 1, previous 2.
    void SetUpDay()
    {
        for (int i = 0; i < 3; ++i) {
            SWeatherState record = Record(i == 2 ? 1 : 0);
            record.sky1.index = 10 * i + 1;
            record.sky2.index = 10 * i + 2;
            record.skyColour1 = 0xFF000000u | uint32_t(0x10 * (2 * i + 1));
            record.skyColour2 = 0xFF000000u | uint32_t(0x10 * (2 * i + 2));
            record.sunColour = 0xFFFFFFFFu;
            Environment.weathers.push_back(record);
        }
        Environment.frozen = 0;
        Environment.active = 0;
        Environment.current = Environment.weathers[0];
        Environment.next = 1;
        Environment.previous = 2;
    }
    static void RunTo(float from, float to)
    {
        Environment.hour = from;
        Environment.Run((to - from) * 150.0f);
    }
};

TEST_F(ClockTest, eachFrameActsOnTheFirstCrossingOnly)
{
    struct Row {
        float from, to;
        int active; // after the frame
        uint8_t transition;
        float hourAfter;
    };
    const Row rows[] = {
        { 2.9f, 5.1f, 0, 1, 5.1f }, // the choice at 3 only; the switch at 5 waits a day
        { 10.9f, 11.1f, 0, 1, 11.1f },
        { 12.9f, 13.1f, 1, 0, 13.1f }, // switched to the chosen next
        { 23.9f, 24.1f, 0, 0, 0.1f }, // wraps in the same frame
        { 6.0f, 7.0f, 0, 0, 7.0f },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.from);
        Reconstruct();
        SetUpDay();
        SeedDrawing(999); // the heavier of equal weights: the last day record
        Environment.next = 1;
        RunTo(row.from, row.to);
        EXPECT_EQ(Environment.active, row.active);
        EXPECT_EQ(Environment.transition, row.transition);
        EXPECT_NEAR(Environment.hour, row.hourAfter, 1e-4f);
    }
}

TEST_F(ClockTest, theMoonRunsSlowerThanTheSunAndTheDayCounterGrows)
{
    SetUpDay();
    Environment.moonClock = 23.9f;
    Environment.hour = 6.0f;
    Environment.Run(150.0f);
    EXPECT_NEAR(Environment.hour, 7.0f, 1e-5f);
    EXPECT_NEAR(Environment.moonClock, 23.9f + 150.0f / 162.5f - 24.0f, 1e-4f);
    EXPECT_NEAR(Environment.dayCounter, 1.5f + 1.0f / 24.0f, 1e-5f);
}

TEST_F(ClockTest, withOneRecordTheHourStandsButTheSunLightIsSet)
{
    ASSERT_TRUE(CreateDevice());
    Environment.weathers.push_back(Record(0));
    Environment.weathers[0].sunColour = 0xFFFFFFFFu;
    Environment.SetWeather(0, false);
    Environment.frozen = 0;
    Environment.Run(150.0f);
    EXPECT_EQ(Environment.hour, 12.0f);
    bool enabled = false;
    g_Graphic.GetDevice()->GetLightEnable(0, enabled);
    EXPECT_TRUE(enabled);
}

TEST_F(ClockTest, dayPhasesBlendTheSkyContinuouslyAcrossTheSwitches)
{
    struct Row {
        float hour;
        int32_t skyA, skyB;
        float blend;
    };
    // Current = record 0 (sky 1, 2), next = record 1 (11, 12), previous = record 2 (21, 22).
    const Row rows[] = {
        { 3.0f, 1, 2, 0.5f },
        { 4.5f, 2, 11, 0.25f },
        { 4.99f, 2, 11, 0.495f },
        { 5.0f, 22, 1, 0.5f },
        { 5.5f, 22, 1, 0.75f },
        { 12.0f, 1, 11, 0.5f },
        { 20.5f, 2, 11, 0.25f },
        { 21.5f, 22, 1, 0.75f },
        { 8.0f, 1, -1, 0.0f },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hour);
        Reconstruct();
        SetUpDay();
        Environment.hour = row.hour;
        Environment.Run(0.0f);
        EXPECT_EQ(Environment.skyA, row.skyA);
        EXPECT_EQ(Environment.skyB, row.skyB);
        EXPECT_NEAR(Environment.skyBlend, row.blend, 1e-4f);
        EXPECT_EQ(Environment.skyColour >> 24, 0xFFu);
    }
}

TEST_F(ClockTest, theSunCrossesTheSkyAndItsGlareLimitFollowsTheDay)
{
    SetUpDay();
    struct Row {
        float hour;
        uint32_t sun;
        Vec3 vector;
        float limit;
    };
    const Row rows[] = {
        { 6.0f, 0xFFFFFFFFu, { 0.9416f, -0.0436f, 0.3338f }, 0.0f },
        { 12.0f, 0xFFFFFFFFu, { 0.0498f, 0.5373f, 0.8419f }, 1.0f },
        { 18.0f, 0xFFFFFFFFu, { -0.9121f, 0.0423f, 0.4079f }, 0.0f },
        { 12.0f, 0xFF000000u, { 0.0498f, 0.5373f, 0.8419f }, 0.0f },
        { 1.0f, 0xFF000000u, { 0.2508f, -0.8915f, -0.3773f }, 0.0f },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hour);
        Environment.hour = row.hour;
        Environment.current.sunColour = row.sun;
        Environment.UpdateSunAndMoon();
        EXPECT_NEAR(Environment.sunVector.x, row.vector.x, 2e-3f);
        EXPECT_NEAR(Environment.sunVector.y, row.vector.y, 2e-3f);
        EXPECT_NEAR(Environment.sunVector.z, row.vector.z, 2e-3f);
        EXPECT_NEAR(Vec3Length(Environment.sunVector), 1.0f, 1e-5f);
        EXPECT_FLOAT_EQ(Environment.sunGlareLimit, row.limit);
    }
}

TEST_F(ClockTest, theMoonLightFadesOverItsLastTenthOfHeightAndIsOffBelow)
{
    ASSERT_TRUE(CreateDevice());
    SetUpDay();
    Environment.current.moon.index = 3;
    Environment.current.moonColour = 0xFF8090A0u;
    // z = -sin(3.75 pi) x -cos b = -cos(b) / sqrt 2.
    auto clockAtHeight = [](float z) {
        return std::acos(-z * std::numbers::sqrt2_v<float>) * 12.0f / std::numbers::pi_v<float>;
    };
    Environment.moonClock = clockAtHeight(0.05f);
    Environment.UpdateSunAndMoon();
    ASSERT_NEAR(Environment.moonVector.z, 0.05f, 1e-4f);
    plat::gfx::Light light;
    g_Graphic.GetDevice()->GetLight(1, light);
    const uint32_t k = uint32_t(Environment.moonVector.z * 2550.0f);
    EXPECT_NEAR(light.diffuse.r, float(0x80 * k / 256) / 255.0f, 1e-5f);
    EXPECT_NEAR(light.diffuse.b, float(0xA0 * k / 256) / 255.0f, 1e-5f);
    EXPECT_EQ(light.diffuse.a, 0.0f);

    Environment.moonClock = clockAtHeight(-0.2f);
    Environment.UpdateSunAndMoon();
    bool enabled = true;
    g_Graphic.GetDevice()->GetLightEnable(1, enabled);
    EXPECT_FALSE(enabled);

    Environment.moonClock = clockAtHeight(0.5f);
    Environment.current.moon.index = -1; // no moon texture: no moon light
    Environment.UpdateSunAndMoon();
    g_Graphic.GetDevice()->GetLightEnable(1, enabled);
    EXPECT_FALSE(enabled);
}

TEST_F(ClockTest, hourLightsPickTheTwoNearestPreLitHours)
{
    SetUpDay();
    Environment.current.sunColour = 0xFF800000u; // red 0.502: k = 1/15
    const float k = 1.0f / 15.0f;
    struct Row {
        float hour;
        uint32_t maskA, shiftA;
        float weightA;
        uint32_t maskB, shiftB;
        float weightB;
    };
    const Row rows[] = {
        { 4.0f, 0xF, 0, k, 0, 0, 0.0f },
        { 5.0f, 0xF, 0, k, 0, 0, 0.0f },
        { 9.0f, 0xF0, 4, k * 0.5f, 0xF00, 8, k * 0.5f },
        { 12.0f, 0xF000, 12, k * 0.5f, 0xF0000, 16, k * 0.5f },
        { 19.0f, 0xF0000000u, 28, k, 0, 0, 0.0f },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hour);
        Environment.hour = row.hour;
        Environment.Run(0.0f);
        EXPECT_EQ(Environment.lightMaskA, row.maskA);
        EXPECT_EQ(Environment.lightShiftA, row.shiftA);
        EXPECT_NEAR(Environment.lightWeightA, row.weightA, 1e-6f);
        EXPECT_EQ(Environment.lightMaskB, row.maskB);
        EXPECT_EQ(Environment.lightShiftB, row.shiftB);
        EXPECT_NEAR(Environment.lightWeightB, row.weightB, 1e-6f);
    }
    Environment.hour = 9.0f;
    Environment.Run(0.0f);
    EXPECT_NEAR(Environment.DecodePackedValue(0x00000A60u), 6.0f * k * 0.5f + 10.0f * k * 0.5f, 1e-6f);
}

} // namespace

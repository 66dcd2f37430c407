// Weather: the weighted choice, the switch with its cloud offsets and hour fit, the blend of the
// live values, and the particle effects (fade, wrap, sizes, calm storms, the effect window).
#include "tests/world/terrain/environment_fixture.h"

#include <cmath>
#include <limits>
#include <typeinfo>

namespace {

using WeatherTest = EnvironmentTest;

TEST_F(WeatherTest, theChoiceWalksTheWeightsOfItsKind)
{
    Environment.weathers = { Record(0, 1.0f), Record(1, 5.0f), Record(0, 3.0f) };
    SeedDrawing(250); // r = 1.0: the first record still
    EXPECT_EQ(Environment.ChooseWeather(0), 0);
    SeedDrawing(251); // r = 1.004: the second day record
    EXPECT_EQ(Environment.ChooseWeather(0), 2);
    SeedDrawing(0);
    EXPECT_EQ(Environment.ChooseWeather(1), 1);
    EXPECT_EQ(LogLineCount("Ошибка"), 0);
}

TEST_F(WeatherTest, aChoiceWithoutWeightFreezesTheClock)
{
    Environment.weathers = { Record(0, 0.0f), Record(1, 1.0f) };
    Environment.active = 1;
    Environment.frozen = 0;
    Environment.transition = 1;
    EXPECT_EQ(Environment.ChooseWeather(0), -1);
    EXPECT_EQ(Environment.active, -1);
    EXPECT_EQ(Environment.frozen, 1);
    EXPECT_EQ(Environment.transition, 0);

    Environment.weathers = { Record(0, std::numeric_limits<float>::quiet_NaN()) };
    EXPECT_EQ(Environment.ChooseWeather(0), -1);
    EXPECT_EQ(LogLineCount("Ошибка при определении вероятности появления погоды"), 1);
}

TEST_F(WeatherTest, switchingToTheChosenNextKeepsTheCloudsWhereTheyScrolled)
{
    Environment.weathers = { Record(0), Record(0) };
    Environment.weathers[1].scroll1[0] = 1.0f;
    Environment.weathers[1].cloudScale1 = 2.0f;
    Environment.SetWeather(0, false);
    SeedDrawing(999);
    Environment.next = Environment.ChooseWeather(0);
    ASSERT_EQ(Environment.next, 1);
    Environment.Run(100.0f); // frozen: only the clouds move
    const float scrolled = Environment.cloudMatrix[2].m[8];
    EXPECT_NEAR(scrolled, -1.0f, 1e-6f);
    Environment.SetWeather(1, false);
    EXPECT_EQ(Environment.cloudMatrix[0].m[8], scrolled);
    EXPECT_EQ(Environment.cloudMatrix[0].m[0], 2.0f);
    EXPECT_EQ(Environment.next, -1);

    Environment.SetWeather(0, false); // not the chosen one: offsets reset
    EXPECT_EQ(Environment.cloudMatrix[0].m[8], 0.0f);
    EXPECT_EQ(Environment.previous, 1);
}

TEST_F(WeatherTest, anInitialSwitchFitsTheHourToTheKind)
{
    struct Row {
        uint8_t kind;
        float hour, fitted;
    };
    const Row rows[] = { { 1, 12.0f, 0.0f }, { 1, 22.0f, 22.0f }, { 0, 3.0f, 14.0f }, { 0, 22.0f, 14.0f },
        { 0, 10.0f, 10.0f } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hour);
        Reconstruct();
        Environment.weathers = { Record(row.kind) };
        Environment.hour = row.hour;
        Environment.transition = 1;
        Environment.SetWeather(0, true);
        EXPECT_EQ(Environment.hour, row.fitted);
        EXPECT_EQ(Environment.active, 0);
    }
}

TEST_F(WeatherTest, theEffectClassFollowsTheFirstFlag)
{
    struct Row {
        uint32_t flags;
        const std::type_info* type;
    };
    const Row rows[] = { { 1, &typeid(CEnvFXRain) }, { 2, &typeid(CEnvFXSnow) }, { 3, &typeid(CEnvFXRain) },
        { 4, &typeid(CEnvFXStorm) }, { 6, &typeid(CEnvFXSnow) }, { 0, nullptr } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flags);
        Environment.weathers = { Record(0) };
        Environment.weathers[0].effectFlags = row.flags;
        Environment.weathers[0].effectIntensity = 0.01f;
        Environment.SetWeather(0, true);
        if (!row.type) {
            EXPECT_EQ(Environment.Effect(), nullptr);
            continue;
        }
        ASSERT_NE(Environment.Effect(), nullptr);
        EXPECT_EQ(typeid(*Environment.Effect()), *row.type);
        EXPECT_EQ(Environment.Effect()->maxParticles, 80);
        EXPECT_EQ(Environment.Effect()->activeParticles, 80); // initial: shown at once
    }
}

TEST_F(WeatherTest, aTransitionBlendsTheLiveValues)
{
    Environment.weathers = { Record(0), Record(0) };
    SWeatherState& a = Environment.weathers[0];
    SWeatherState& n = Environment.weathers[1];
    a.ambient = 0xFF000000u;
    n.ambient = 0xFF808080u;
    a.fogDensity = 0.001f;
    n.fogDensity = 0.005f;
    a.fogStart = 100.0f;
    n.fogStart = 500.0f;
    n.wind[0] = 4.0f;
    Environment.SetWeather(0, false);
    Environment.next = 1;
    Environment.transition = 1;
    Environment.frozen = 0;
    Environment.hour = 11.5f; // (11.5 - 1) / 2 = 5.25: factor 0.25
    Environment.Run(0.0f);
    EXPECT_FLOAT_EQ(Environment.transitionFactor, 0.25f);
    EXPECT_EQ(Environment.current.ambient, 0xFF202020u);
    EXPECT_FLOAT_EQ(Environment.current.fogDensity, 0.002f);
    EXPECT_FLOAT_EQ(Environment.current.fogStart, 200.0f);
    EXPECT_FLOAT_EQ(Environment.current.wind[0], 1.0f);
    Environment.Run(0.0f);
    EXPECT_FLOAT_EQ(Environment.wind.x, 1.0f);
}

TEST_F(WeatherTest, aFadeTakesTwentySeconds)
{
    CEnvFXSnow snow;
    snow.Init(0.1f);
    snow.fadeMode = CEnvFX::kFadeIn;
    snow.UpdateFade(10.0f);
    EXPECT_FLOAT_EQ(snow.level, 0.5f);
    EXPECT_EQ(snow.activeParticles, 400);
    snow.UpdateFade(10.0f);
    EXPECT_EQ(snow.level, 1.0f);
    EXPECT_EQ(snow.fadeMode, CEnvFX::kSteady);
    snow.fadeMode = CEnvFX::kFadeOut;
    snow.UpdateFade(25.0f);
    EXPECT_EQ(snow.level, 0.0f);
    EXPECT_EQ(snow.activeParticles, 0);
    EXPECT_EQ(snow.fadeMode, CEnvFX::kSteady);
}

TEST_F(WeatherTest, particlesLeavingTheBoxReenterAtTheOtherSide)
{
    CEnvFXSnow snow;
    snow.Init(0.001f);
    ASSERT_EQ(snow.maxParticles, 8);
    CEnvFX::SParticle& flake = snow.ParticleAt(0);
    flake.position = { snow.center.x + 25.5f, snow.center.y, snow.center.z };
    snow.Check();
    EXPECT_FLOAT_EQ(flake.position.x, snow.center.x - 24.5f);
    EXPECT_TRUE(flake.flags & CEnvFX::kWrapped);
    snow.Check();
    EXPECT_FALSE(flake.flags & CEnvFX::kWrapped);

    // A long frame in a gale: every kind keeps every particle inside the box.
    Environment.current.wind[0] = 300.0f;
    Environment.current.wind[2] = 40.0f;
    Environment.Run(0.0f);
    CEnvFXRain rain;
    rain.Init(0.01f);
    CEnvFXStorm storm;
    storm.Init(0.01f);
    for (CEnvFX* effect : std::initializer_list<CEnvFX*> { &snow, &rain, &storm }) {
        effect->Start();
        effect->Run(25.0f);
        for (int i = 0; i < effect->maxParticles; ++i) {
            const Vec3& p = effect->ParticleAt(i).position;
            EXPECT_LE(std::fabs(p.x - effect->center.x), effect->halfSize);
            EXPECT_LE(std::fabs(p.y - effect->center.y), effect->halfSize);
            EXPECT_LE(std::fabs(p.z - effect->center.z), effect->halfSize / 2);
        }
    }
}

TEST_F(WeatherTest, particleCountsAreBoundedAndLogged)
{
    struct Row {
        float intensity;
        int rain, snow;
        int logged;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Row rows[] = { { 0.0f, 0, 0, 0 }, { -1.0f, 0, 0, 0 }, { nan, 0, 0, 0 },
        { std::numeric_limits<float>::infinity(), 0, 0, 0 }, { 1.0f, 8000, 8000, 0 },
        { 4.0f, CEnvFX::kMaxRainParticles, 32000, 1 }, { 10.0f, CEnvFX::kMaxRainParticles, 65535, 3 } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.intensity);
        CEnvFXRain rain;
        rain.Init(row.intensity);
        CEnvFXSnow snow;
        snow.Init(row.intensity);
        EXPECT_EQ(rain.maxParticles, row.rain);
        EXPECT_EQ(snow.maxParticles, row.snow);
        EXPECT_EQ(LogLineCount("capped"), row.logged);
    }
}

TEST_F(WeatherTest, aStormInCalmAirAndAnImpossibleChanceStayFinite)
{
    Environment.weathers = { Record(0) };
    Environment.weathers[0].effectFlags = 4;
    Environment.weathers[0].effectIntensity = 0.01f;
    Environment.weathers[0].effectChance = -0.01f; // v = 1 / 0 - 1
    const uint32_t before = SharedRandom.seed;
    Environment.SetWeather(0, true);
    EXPECT_EQ(SharedRandom.seed, before); // no draw for a v that is not finite
    Environment.Run(1.0f);
    CEnvFX* storm = Environment.Effect();
    ASSERT_NE(storm, nullptr);
    for (int i = 0; i < storm->maxParticles; ++i)
        EXPECT_TRUE(std::isfinite(storm->ParticleAt(i).position.x));

    Environment.weathers[0].effectChance = 1e-7f; // v near 99: draws stop after 64
    Environment.SetWeather(0, true);
    EXPECT_EQ(Environment.windowLength, 1000.0f);
}

} // namespace

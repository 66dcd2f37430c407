#include "app/CApplication.h"
#include "app/CResourceEngine.h"
#include "audio/CMusicMng.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/win/clock.h"
#include "platform/window/message.h"
#include "tests/app/app_fixture.h"
#include "tests/platform/window/sdl_events.h"

#include <gtest/gtest.h>

namespace {

using plat::gfx::GammaRamp;

GammaRamp Scaled(const GammaRamp& base, float factor)
{
    GammaRamp out;
    Graphic::ScaleGammaRamp(out, base, factor);
    return out;
}

// A focused window with a full-screen null device whose caps have a gamma ramp.
class GammaTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        plat::gfx::null::ResetConfig();
        plat::window::WindowDesc desc;
        desc.className = "ZOQWC0";
        window = plat::window::Window::Create(desc);
        ASSERT_TRUE(window);
        test::Focus(*window);
        app.DeviceWindow().Attach(window.get());
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 1, false,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::One, false, &app.DeviceWindow()));
        ASSERT_TRUE(g_Graphic.Caps().fullscreenGamma);
        ASSERT_TRUE(g_Graphic.Caps().gammaFade);
        app.BuildBaseGamma(3);
        g_FadeMode = kFadeIdle;
        g_FadeLevel = 0.0f;
    }
    void TearDown() override
    {
        app.JoinSecondaryThread();
        g_Graphic.Release();
        window.reset();
        plat::window::ClearMessages();
        plat::gfx::null::ResetConfig();
        apptest::TempDirTest::TearDown();
    }
    GammaRamp DeviceRamp() const
    {
        GammaRamp ramp;
        g_Graphic.GetDevice()->GetGammaRamp(ramp);
        return ramp;
    }

    std::unique_ptr<plat::window::Window> window;
    CApplication app;
};

TEST_F(GammaTest, fadingOutTakesTwentyFivePassesToTheDarkestRamp)
{
    app.ScreenFadeOut();
    EXPECT_EQ(g_FadeMode, kFadeOut);
    for (int pass = 1; pass <= 24; ++pass)
        app.GammaFadeStep();
    EXPECT_EQ(g_FadeMode, kFadeOut);
    app.GammaFadeStep();
    EXPECT_EQ(g_FadeMode, kFadeIdle);
    EXPECT_FLOAT_EQ(g_FadeLevel, 0.5f);
    EXPECT_EQ(DeviceRamp(), Scaled(g_Graphic.BaseRamp(), 0.05f));
    EXPECT_EQ(DeviceRamp().red[255], uint16_t(65535 * 0.05f));
}

TEST_F(GammaTest, fadingInTakesTwentyFivePassesBackToTheBaseRamp)
{
    app.ScreenSetDark();
    EXPECT_EQ(DeviceRamp(), Scaled(g_Graphic.BaseRamp(), 0.0f));
    app.ScreenFadeIn();
    for (int pass = 1; pass <= 24; ++pass)
        app.GammaFadeStep();
    EXPECT_EQ(g_FadeMode, kFadeIn);
    EXPECT_NE(DeviceRamp(), g_Graphic.BaseRamp());
    app.GammaFadeStep();
    EXPECT_EQ(g_FadeMode, kFadeIdle);
    EXPECT_FLOAT_EQ(g_FadeLevel, 0.0f);
    EXPECT_EQ(DeviceRamp(), g_Graphic.BaseRamp());
}

TEST_F(GammaTest, restoreStartsFromNormalAndWhiteIsFull)
{
    app.ScreenSetWhite();
    EXPECT_EQ(DeviceRamp().red[0], 65535);
    EXPECT_FLOAT_EQ(g_FadeLevel, 0.5f);
    app.ScreenRestoreGamma();
    EXPECT_EQ(g_FadeMode, kFadeIn);
    EXPECT_FLOAT_EQ(g_FadeLevel, 0.0f);
    app.GammaFadeStep();
    EXPECT_EQ(g_FadeMode, kFadeIdle);
    EXPECT_EQ(DeviceRamp(), g_Graphic.BaseRamp());
    app.ScreenFadeOut();
    app.ScreenResetGamma();
    EXPECT_EQ(g_FadeMode, kFadeIdle);
}

TEST_F(GammaTest, withTheSwitchOffFadesAreImmediate)
{
    g_Graphic.MutableCaps().gammaFade = false;
    app.ScreenFadeOut();
    EXPECT_EQ(g_FadeMode, kFadeIdle);
    EXPECT_EQ(DeviceRamp(), Scaled(g_Graphic.BaseRamp(), 0.0f));
    app.ScreenFadeIn();
    EXPECT_EQ(DeviceRamp(), g_Graphic.BaseRamp());
    app.ScreenFadeOut();
    app.ScreenRestoreGamma();
    EXPECT_EQ(g_FadeMode, kFadeIdle);
    EXPECT_EQ(DeviceRamp(), g_Graphic.BaseRamp());
}

TEST_F(GammaTest, theThreadFadesOnItsOwn)
{
    ASSERT_TRUE(app.StartSecondaryThread());
    app.ScreenFadeOut();
    const int64_t until = plat::win::CounterNow() + 5 * plat::win::kCounterFrequency;
    while (g_FadeMode != kFadeIdle && plat::win::CounterNow() < until)
        plat::win::Sleep(5);
    EXPECT_EQ(g_FadeMode, kFadeIdle);
    EXPECT_EQ(DeviceRamp(), Scaled(g_Graphic.BaseRamp(), 0.0f));
    app.JoinSecondaryThread();
    EXPECT_FALSE(app.SecondaryThreadRunning());
}

// Starting and stopping while fades run, the music manager comes and goes and the main thread
// plays and stops music: clean under the sanitizers.
TEST_F(GammaTest, startAndStopCyclesWithFadesAndMusicTicks)
{
    for (int cycle = 0; cycle < 100; ++cycle) {
        auto* music = new CMusicMng();
        CResourceEngine::PublishMusicManager(music);
        ASSERT_TRUE(app.StartSecondaryThread());
        cycle % 2 ? app.ScreenFadeOut() : app.ScreenFadeIn();
        music->StopMusic(true);
        music->SetVolume(0.5f);
        plat::win::Sleep(uint32_t(cycle % 3) * 10);
        app.BuildBaseGamma(cycle % 7 - 3);
        if (cycle % 5 == 0) {
            CResourceEngine::PublishMusicManager(nullptr);
            delete music;
            music = nullptr;
        }
        app.JoinSecondaryThread();
        CResourceEngine::PublishMusicManager(nullptr);
        delete music;
    }
}

TEST_F(GammaTest, shutDownDuringAFadeIsClean)
{
    auto* music = new CMusicMng();
    CResourceEngine::PublishMusicManager(music);
    ASSERT_TRUE(app.StartSecondaryThread());
    app.ScreenFadeOut();
    plat::win::Sleep(30);
    app.JoinSecondaryThread();
    CResourceEngine::PublishMusicManager(nullptr);
    delete music;
    app.StopSecondaryThread();
    EXPECT_EQ(g_Graphic.GetDevice(), nullptr);
    EXPECT_EQ(LogLineCount("Error while stop secondary threading"), 0);
}

} // namespace

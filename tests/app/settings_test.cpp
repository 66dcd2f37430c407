#include "app/CResourceEngine.h"
#include "app/GameSettings.h"
#include "render/Graphic.h"
#include "render/RenderSettings.h"
#include "tests/app/app_fixture.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CLocation.h"

#include "platform/gfx/null/null_backend.h"
#include "tests/support/device_windows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using apptest::ReadText;
using apptest::WriteText;

class SettingsTest : public apptest::TempDirTest {
protected:
    void WriteCfg(const std::string& lines) { WriteText("Data/CONFIG/cfg.ini", "[CONFIG]\r\n" + lines); }
};

TEST_F(SettingsTest, missingFileGivesEveryDefault)
{
    GameSettings.ScreenWidth = 1;
    SetDefaultSettings();
    const SGameSettings d;
    const SGameSettings& s = GameSettings;
    EXPECT_EQ(s.TextureBPS, 32);
    EXPECT_EQ(s.TextureQuality, 1);
    EXPECT_EQ(s.VisibleRadius, 256);
    EXPECT_EQ(s.ScreenWidth, 1024);
    EXPECT_EQ(s.ScreenHeight, 768);
    EXPECT_FALSE(s.Windowed);
    EXPECT_TRUE(s.MapShadows);
    EXPECT_EQ(s.MaxSoundSources, 8);
    EXPECT_EQ(s.MaxSoundSources2, 10);
    EXPECT_EQ(s.Interval, 4);
    EXPECT_FLOAT_EQ(s.FixFPS, 0.0f);
    EXPECT_EQ(s.Anosotropy, 1);
    EXPECT_TRUE(s.Video);
    EXPECT_TRUE(s.ForceFeedback);
    EXPECT_EQ(s.MTGamma, 1);
    EXPECT_FLOAT_EQ(s.SelectTargetTime, 1.5f);
    EXPECT_TRUE(s.loaded);
    EXPECT_EQ(VisibleRadius, 256);
    EXPECT_EQ(g_RenderSettings.textureBPS, 32);
}

struct Case {
    const char* lines;
    std::function<void(const SGameSettings&)> check;
    const char* what;
};

TEST_F(SettingsTest, keysConvertAsTheKeySetSays)
{
    const Case cases[] = {
        { "MaxSoundSources=20\r\n", [](const SGameSettings& s) { EXPECT_EQ(s.MaxSoundSources2, 22); },
            "second sources follow the first" },
        { "MaxSoundSources=20\r\nMaxSoundSources2=3\r\n",
            [](const SGameSettings& s) { EXPECT_EQ(s.MaxSoundSources2, 3); }, "second sources given" },
        { "FixFPS=25\r\n", [](const SGameSettings& s) { EXPECT_FLOAT_EQ(s.FixFPS, 0.04f); }, "fixed fps" },
        { "FixFPS=0\r\n", [](const SGameSettings& s) { EXPECT_FLOAT_EQ(s.FixFPS, 0.0f); }, "fixed fps off" },
        { "FixFPS=-1\r\n", [](const SGameSettings& s) { EXPECT_FLOAT_EQ(s.FixFPS, 0.0f); }, "negative fps" },
        { "SelectTargetTime=750\r\n",
            [](const SGameSettings& s) { EXPECT_FLOAT_EQ(s.SelectTargetTime, 0.75f); }, "target time in ms" },
        { "SelectTargetTime=-5\r\n",
            [](const SGameSettings& s) { EXPECT_FLOAT_EQ(s.SelectTargetTime, 1.5f); },
            "negative target time" },
        { "FullReflection=1\r\n",
            [](const SGameSettings& s) {
                EXPECT_FALSE(s.FullReflection);
                EXPECT_EQ(FullReflection, 0);
            },
            "reflections stay off" },
        { "Windowed=2\r\nMapShadows=2\r\n",
            [](const SGameSettings& s) {
                EXPECT_TRUE(s.Windowed);
                EXPECT_FALSE(s.MapShadows);
            },
            "non-zero and exactly-one booleans" },
        { "Anisotropy=4\r\n", [](const SGameSettings& s) { EXPECT_EQ(s.Anosotropy, 4); },
            "the settings program's key alone" },
        { "Anisotropy=4\r\nAnosotropy=2\r\n", [](const SGameSettings& s) { EXPECT_EQ(s.Anosotropy, 2); },
            "the game's key wins" },
        { "Gamma=-3\r\nMTGamma=0\r\nVideo=0\r\n",
            [](const SGameSettings& s) {
                EXPECT_EQ(s.Gamma, -3);
                EXPECT_EQ(s.MTGamma, 0);
                EXPECT_FALSE(s.Video);
            },
            "signed values" },
        { "VisibleRadius=300\r\nTextureBPS=16\r\nGliderAnimation=0\r\n",
            [](const SGameSettings&) {
                EXPECT_EQ(VisibleRadius, 300);
                EXPECT_EQ(g_RenderSettings.textureBPS, 16);
                EXPECT_EQ(GliderAnimation, 0);
            },
            "published to the lower layers" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteCfg(c.lines);
        SetDefaultSettings();
        c.check(GameSettings);
    }
}

TEST_F(SettingsTest, theViewRangeIsClampedToWhatTheSettingsProgramOffers)
{
    const struct {
        const char* line;
        int32_t radius;
        int logged;
    } cases[] = { { "VisibleRadius=1000", 512, 1 }, { "VisibleRadius=0", 128, 1 },
        { "VisibleRadius=-7", 128, 1 }, { "VisibleRadius=384", 384, 0 }, { "VisibleRadius=128", 128, 0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const int before = LogLineCount("VisibleRadius");
        WriteCfg(std::string(c.line) + "\r\nModelQuality=2\r\n");
        SetDefaultSettings();
        EXPECT_EQ(GameSettings.VisibleRadius, c.radius);
        EXPECT_EQ(VisibleRadius, c.radius);
        EXPECT_EQ(ModelQuality, 2);
        EXPECT_EQ(LogLineCount("VisibleRadius") - before, c.logged);
    }
    WriteCfg("");
    SetDefaultSettings();
}

TEST_F(SettingsTest, musicVolumeIsSquaredAndZeroSilences)
{
    EXPECT_FLOAT_EQ(MusicVolumeOf(0), 0.0f);
    EXPECT_FLOAT_EQ(MusicVolumeOf(10), 1.0f);
    EXPECT_FLOAT_EQ(MusicVolumeOf(3), 0.25f);
}

TEST_F(SettingsTest, savingGammaKeepsEveryOtherLine)
{
    const std::string before
        = "; settings\r\n[CONFIG]\r\nScreenWidth=800\r\nGamma=3\r\n  Odd = line \r\n[INPUT]\r\nFORWARD=W\r\n";
    WriteText("Data/CONFIG/cfg.ini", before);
    ASSERT_TRUE(SaveGammaSetting(-7));
    std::string after = ReadText("Data/CONFIG/cfg.ini");
    std::string expected = before;
    expected.replace(expected.find("Gamma=3"), 7, "Gamma=-7");
    EXPECT_EQ(after, expected);
    SetDefaultSettings();
    EXPECT_EQ(GameSettings.Gamma, -7);
    EXPECT_EQ(GameSettings.ScreenWidth, 800);
}

TEST_F(SettingsTest, smallTexturesLowerTheQuality)
{
    struct {
        uint32_t maxWidth;
        int32_t quality;
        int32_t expected;
    } const cases[] = {
        { 256, 0, 2 },
        { 256, 3, 2 },
        { 512, 0, 1 },
        { 512, 3, 3 },
        { 1024, 0, 0 },
    };
    zoq::test::FakeWindow window { 128, 128 };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.maxWidth);
        plat::gfx::null::ResetConfig();
        plat::gfx::null::GetConfig().hal.caps.maxTextureWidth = c.maxWidth;
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 128, 128, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::One, false, &window));
        GameSettings.TextureQuality = c.quality;
        CResourceEngine::LimitTextureQuality(g_Graphic.Caps().maxTextureWidth);
        EXPECT_EQ(GameSettings.TextureQuality, c.expected);
        EXPECT_EQ(g_RenderSettings.textureQuality, c.expected);
        g_Graphic.Release();
    }
    plat::gfx::null::ResetConfig();
}

} // namespace

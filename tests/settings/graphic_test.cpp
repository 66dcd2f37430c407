#include "tests/settings/settings_fixture.h"

#include "platform/window/display.h"
#include "settings/CPrPg_Graphic.h"

namespace {

using plat::gfx::DisplayMode;
using plat::gfx::Format;
using zoq::test::IniText;

const std::string kGraphics = IniText({
    "[CONFIG]",
    "ScreenWidth=1024",
    "ScreenHeight=768",
    "ScreenRefresh=75",
    "ScreenBPS=32",
    "Interval=1",
    "TextureQuality=2",
    "VisibleRadius=384",
    "Filtering=2",
    "Anisotropy=4",
    "Anosotropy=4",
    "UseStaticMapBuffer=0",
    "Fullreflection=1",
    "ForceLinearFog=0",
});

class GraphicTest : public zoq::test::SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        auto& config = plat::gfx::null::GetConfig();
        config.modes = {
            { 640, 480, 60, Format::X8R8G8B8 },
            { 800, 600, 60, Format::X8R8G8B8 },
            { 1024, 768, 60, Format::X8R8G8B8 },
            { 1024, 768, 75, Format::X8R8G8B8 },
            { 1280, 1024, 60, Format::X8R8G8B8 },
        };
    }

    void Open(const std::string& text)
    {
        WriteConfig(text);
        page.Load(Path());
        page.Activate(host);
    }

    CPrPg_Graphic page;
};

TEST_F(GraphicTest, savingUnchangedControlsRewritesTheSameFile)
{
    Open(kGraphics);
    ASSERT_TRUE(page.Initialised());
    EXPECT_EQ(page.Controls().mode, 1);
    EXPECT_EQ(page.Controls().texture, 1);
    EXPECT_EQ(page.Controls().radius, 1);
    EXPECT_TRUE(page.Controls().anisotropySlider);
    EXPECT_TRUE(page.Save(Path()));
    EXPECT_EQ(ReadConfig(), kGraphics);
    EXPECT_TRUE(messages.empty());
}

TEST_F(GraphicTest, comboItemsGiveTextureQualityAndVisibleRadius)
{
    const struct {
        int item;
        int quality;
        int radius;
    } cases[] = { { 0, 4, 256 }, { 1, 2, 384 }, { 2, 0, 512 } };
    Open(kGraphics);
    for (const auto& c : cases) {
        page.Controls().texture = c.item;
        page.Controls().radius = c.item;
        ASSERT_TRUE(page.Save(Path()));
        EXPECT_EQ(Number("CONFIG", "TextureQuality"), c.quality) << c.item;
        EXPECT_EQ(Number("CONFIG", "VisibleRadius"), c.radius) << c.item;
    }
}

TEST_F(GraphicTest, combosWithoutSelectionLeaveTheirKeysUntouched)
{
    // TextureQuality 6 and VisibleRadius 1024 are no items; ScreenRefresh 0 matches no mode.
    const std::string text = IniText({
        "[CONFIG]",
        "ScreenWidth = 1024",
        "ScreenHeight = 768",
        "ScreenRefresh = 0",
        "ScreenBPS = 16",
        "Interval=0",
        "TextureQuality = 6",
        "VisibleRadius = 1024",
        "Filtering=1",
        "Anisotropy=1",
        "Anosotropy=1",
        "UseStaticMapBuffer=1",
        "Fullreflection=0",
        "ForceLinearFog=0",
    });
    Open(text);
    EXPECT_EQ(page.Controls().mode, -1);
    EXPECT_EQ(page.Controls().texture, -1);
    EXPECT_EQ(page.Controls().radius, -1);
    ASSERT_TRUE(page.Save(Path()));
    EXPECT_EQ(ReadConfig(), text);
}

TEST_F(GraphicTest, modeTextsParseIntoWidthHeightAndRefresh)
{
    const struct {
        std::string text;
        int width, height, refresh;
    } cases[] = {
        { CP1251("800 x 600 x 60Гц"), 800, 600, 60 },
        { "1024 x 768", 1024, 768, 0 },
        { CP1251("1600 x 1200 x 100Гц"), 1600, 1200, 100 },
    };
    for (const auto& c : cases) {
        const SModeText mode = CPrPg_Graphic::ParseModeText(c.text);
        EXPECT_EQ(mode.width, c.width) << c.text;
        EXPECT_EQ(mode.height, c.height) << c.text;
        EXPECT_EQ(mode.refresh, c.refresh) << c.text;
    }
}

TEST_F(GraphicTest, keysAreWrittenInTheProgramsSpelling)
{
    Open(IniText({ "[CONFIG]", "FullReflection=1", "ANISOTROPY=2" }));
    ASSERT_TRUE(page.Save(Path()));
    const std::string text = ReadConfig();
    EXPECT_NE(text.find("\r\nFullreflection=1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nAnisotropy=2\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nAnosotropy=2\r\n"), std::string::npos) << text;
}

TEST_F(GraphicTest, aChosenModeWritesItsSizeRefreshAnd32Bits)
{
    Open(IniText({ "[CONFIG]", "ScreenBPS=16" }));
    page.Controls().mode = 2;
    page.Controls().anisotropy.pos = 6;
    ASSERT_TRUE(page.Save(Path()));
    EXPECT_EQ(Number("CONFIG", "ScreenWidth"), 1280);
    EXPECT_EQ(Number("CONFIG", "ScreenHeight"), 1024);
    EXPECT_EQ(Number("CONFIG", "ScreenRefresh"), 60);
    EXPECT_EQ(Number("CONFIG", "ScreenBPS"), 32);
    EXPECT_EQ(Number("CONFIG", "Anisotropy"), 6);
    EXPECT_EQ(Number("CONFIG", "Anosotropy"), 6);
}

TEST_F(GraphicTest, modeListKeepsOneItemPerSizeWithItsHighestRefresh)
{
    plat::gfx::null::GetConfig().modes = {
        { 1024, 768, 60, Format::X8R8G8B8 },
        { 800, 600, 85, Format::R5G6B5 },
        { 1280, 720, 60, Format::X8R8G8B8 },
        { 800, 600, 60, Format::X8R8G8B8 },
        { 1024, 768, 85, Format::X8R8G8B8 },
        { 640, 480, 60, Format::X8R8G8B8 },
        { 1280, 720, 75, Format::X8R8G8B8 },
        { 1600, 900, 120, Format::R5G6B5 },
    };
    Open(kGraphics);
    const std::vector<std::string> expected
        = { CP1251("1024 x 768 x 85Гц"), CP1251("1280 x 720 x 75Гц"), CP1251("800 x 600 x 60Гц") };
    EXPECT_EQ(page.Controls().modes, expected);
}

TEST_F(GraphicTest, modeListFollowsTheWindowLayersModesOnTheGlAdapter)
{
    using WindowMode = plat::window::DisplayMode;
    using plat::window::DisplayFormat;
    plat::window::OverrideDisplayModes(
        { { 1920, 1080, 60, DisplayFormat::X8R8G8B8 }, { 1920, 1080, 144, DisplayFormat::X8R8G8B8 },
            { 1366, 768, 60, DisplayFormat::R5G6B5 }, { 800, 480, 60, DisplayFormat::X8R8G8B8 } },
        WindowMode { 1920, 1080, 60, DisplayFormat::X8R8G8B8 });
    host.createAdapter = [] { return plat::gfx::CreateAdapter("gl"); };
    Open(kGraphics);
    plat::window::ClearDisplayModeOverride();
    ASSERT_TRUE(page.Initialised());
    EXPECT_EQ(page.Controls().modes, std::vector<std::string> { CP1251("1920 x 1080 x 144Гц") });
}

TEST_F(GraphicTest, withoutAnisotropyFilteringIsTrilinearAndTheSliderStopsAtOne)
{
    plat::gfx::null::GetConfig().hal.caps.anisotropy = false;
    Open(IniText({ "[CONFIG]", "Filtering=2", "Anisotropy=8" }));
    const SGraphicControls& c = page.Controls();
    EXPECT_EQ(c.filtering, 1);
    EXPECT_FALSE(c.anisotropicRadio);
    EXPECT_FALSE(c.anisotropySlider);
    EXPECT_EQ(c.anisotropy.max, 1);
    EXPECT_EQ(c.anisotropy.pos, 1);
    ASSERT_TRUE(page.Save(Path()));
    EXPECT_EQ(Number("CONFIG", "Filtering"), 1);
    EXPECT_EQ(Number("CONFIG", "Anisotropy"), 1);
    EXPECT_EQ(Number("CONFIG", "Anosotropy"), 1);
}

TEST_F(GraphicTest, anisotropyOfSixteenGivesASliderOfOneToSixteen)
{
    plat::gfx::null::GetConfig().hal.caps.maxAnisotropy = 16;
    Open(IniText({ "[CONFIG]", "Filtering=1", "Anisotropy=20" }));
    const SGraphicControls& c = page.Controls();
    EXPECT_TRUE(c.anisotropicRadio);
    EXPECT_EQ(c.anisotropy.min, 1);
    EXPECT_EQ(c.anisotropy.max, 16);
    EXPECT_EQ(c.anisotropy.pos, 16);
    EXPECT_FALSE(c.anisotropySlider);
    page.ChooseFiltering(2);
    EXPECT_TRUE(page.Controls().anisotropySlider);
}

TEST_F(GraphicTest, defaultsSelectTheListedModeOf1024By768)
{
    Open(IniText({ "[CONFIG]", "ScreenWidth=800", "ScreenHeight=600", "ScreenRefresh=60", "Interval=1",
        "Filtering=2", "Anisotropy=4", "TextureQuality=4" }));
    EXPECT_EQ(page.Controls().mode, 0);
    page.Defaults();
    const SGraphicControls& c = page.Controls();
    EXPECT_EQ(c.mode, 1);
    EXPECT_EQ(c.modes[1], CP1251("1024 x 768 x 75Гц"));
    EXPECT_EQ(c.texture, 2);
    EXPECT_EQ(c.radius, 0);
    EXPECT_EQ(c.filtering, 1);
    EXPECT_FALSE(c.anisotropySlider);
    EXPECT_EQ(c.anisotropy.pos, 1);
    EXPECT_FALSE(c.interval);
    EXPECT_TRUE(c.staticBuffer);
}

TEST_F(GraphicTest, defaultsKeepTheModeWhenNoItemIs1024By768)
{
    plat::gfx::null::GetConfig().modes = { { 800, 600, 60, Format::X8R8G8B8 } };
    Open(IniText({ "[CONFIG]", "ScreenWidth=800", "ScreenHeight=600", "ScreenRefresh=60" }));
    page.Defaults();
    EXPECT_EQ(page.Controls().mode, 0);
}

TEST_F(GraphicTest, withoutAnAdapterTheBoxShowsAndNothingIsWritten)
{
    host.createAdapter = [] { return nullptr; };
    Open(kGraphics);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, CP1251("Не установлен DirectX 8.1!"));
    EXPECT_EQ(messages[0].caption, CP1251("Параметры графики"));
    EXPECT_FALSE(page.Initialised());
    page.Defaults();
    EXPECT_TRUE(page.Save(Path()));
    EXPECT_EQ(ReadConfig(), kGraphics);
}

} // namespace

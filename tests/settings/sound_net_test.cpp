#include "tests/settings/settings_fixture.h"

#include "settings/CPrPg_Net.h"
#include "settings/CPrPg_Sound.h"

namespace {

using zoq::test::IniText;

class SoundNetTest : public zoq::test::SettingsTest { };

TEST_F(SoundNetTest, soundSourcesWriteTheSecondCountAsFourteenTenths)
{
    const std::pair<int, int> cases[] = { { 4, 5 }, { 10, 14 }, { 45, 63 }, { 50, 70 } };
    for (const auto& [sources, second] : cases) {
        WriteConfig(IniText({ "[CONFIG]", "MaxSoundSources=" + std::to_string(sources) }));
        CPrPg_Sound page;
        page.Load(Path());
        page.Activate(host);
        ASSERT_TRUE(page.Save(Path()));
        EXPECT_EQ(Number("CONFIG", "MaxSoundSources2"), second) << sources;
    }
}

TEST_F(SoundNetTest, soundKeysGoToTheirSections)
{
    const std::string text = IniText({ "[CONFIG]", "MusicEnable=0", "MusicVolume=7", "SoundVolume=2",
        "MaxSoundSources=20", "MaxSoundSources2=28", "[SOUND_GL_SOPLO]", "PLAYER_FADE=40" });
    WriteConfig(text);
    CPrPg_Sound page;
    page.Load(Path());
    page.Activate(host);
    ASSERT_TRUE(page.Save(Path()));
    EXPECT_EQ(ReadConfig(), text);

    page.Controls().playerFade.Set(250);
    ASSERT_TRUE(page.Save(Path()));
    EXPECT_EQ(Number("SOUND_GL_SOPLO", "PLAYER_FADE"), 100);
    EXPECT_EQ(Number("CONFIG", "PLAYER_FADE"), -12345);
}

TEST_F(SoundNetTest, slidersClampFileValuesIntoTheirRanges)
{
    WriteConfig(IniText({ "[CONFIG]", "MusicVolume=30", "MaxSoundSources=2" }));
    CPrPg_Sound page;
    page.Load(Path());
    page.Activate(host);
    EXPECT_EQ(page.Controls().musicVolume.pos, 10);
    EXPECT_EQ(page.Controls().maxSources.pos, 4);
}

TEST_F(SoundNetTest, defaultsSetTheProgramsValues)
{
    WriteConfig(IniText({ "[CONFIG]", "MusicEnable=0", "MusicVolume=7", "SoundVolume=2", "MaxSoundSources=20",
        "[NET]", "RunServer=0" }));
    CPrPg_Sound sound;
    CPrPg_Net net;
    sound.Load(Path());
    net.Load(Path());
    sound.Activate(host);
    net.Activate(host);
    sound.Defaults();
    net.Defaults();
    const SSoundControls& c = sound.Controls();
    EXPECT_TRUE(c.musicEnable);
    EXPECT_EQ(c.musicVolume.pos, 3);
    EXPECT_EQ(c.soundVolume.pos, 10);
    EXPECT_EQ(c.maxSources.pos, 10);
    EXPECT_EQ(c.playerFade.pos, 100);
    EXPECT_TRUE(net.Controls().runServer);
    ASSERT_TRUE(net.Save(Path()));
    EXPECT_EQ(Number("NET", "RunServer"), 1);
}

} // namespace

// The environment chunk of the map file and the save-game section.
#include "foundation/XMemBuffer.h"
#include "tests/world/terrain/environment_fixture.h"
#include "tools/map/map_writer.h"

#include <cstring>
#include <vector>

namespace {

using zoq::tools::map::WeatherRecord;
using zoq::tools::map::WriteEnvironmentChunk;

class SaveTest : public EnvironmentTest {
protected:
    static std::vector<uint8_t> Save()
    {
        XMemBuffer buffer(16);
        Environment.SaveGame(buffer);
        return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Position());
    }
    static bool LoadSection(std::vector<uint8_t> bytes)
    {
        XMemBuffer buffer;
        buffer.Attach(bytes.data(), int(bytes.size()));
        return Environment.LoadGame(buffer);
    }
};

TEST_F(SaveTest, theChunkFillsTheWeatherListAndResetsTheDieHeight)
{
    WeatherRecord night;
    night.kind = 1;
    night.weight = 2.5f;
    night.moon = "TEX_NO_SUCH_MOON";
    night.moonColour = 0xFF8090A0u;
    night.wind = { 1.0f, 2.0f, 3.0f };
    const std::vector<uint8_t> two = WriteEnvironmentChunk("MOD_HOR", { WeatherRecord {}, night });
    Environment.dieHeight = 5.0f;
    ASSERT_TRUE(Environment.LoadChunk(two.data(), two.size()));
    EXPECT_EQ(Environment.dieHeight, -1000.0f);
    ASSERT_EQ(Environment.WeatherCount(), 2);
    const SWeatherState& record = Environment.Weather(1);
    EXPECT_EQ(record.kind, 1);
    EXPECT_EQ(record.weight, 2.5f);
    EXPECT_EQ(record.wind[2], 3.0f);
    EXPECT_EQ(record.moon.index, -1); // an unknown name
    EXPECT_EQ(record.moon.rest[0], 0);
    EXPECT_THROW(Environment.Weather(2), std::out_of_range);

    // The moon of a record without a moon texture gives no light, whatever its colour.
    ASSERT_TRUE(CreateDevice());
    g_Graphic.GetDevice()->SetLight(1, plat::gfx::Light {});
    g_Graphic.GetDevice()->LightEnable(1, true);
    Environment.SetWeather(1, false);
    Environment.moonClock = 12.0f; // overhead
    Environment.UpdateSunAndMoon();
    bool enabled = true;
    g_Graphic.GetDevice()->GetLightEnable(1, enabled);
    EXPECT_FALSE(enabled);

    const std::vector<uint8_t> none = WriteEnvironmentChunk("", {});
    ASSERT_TRUE(Environment.LoadChunk(none.data(), none.size()));
    EXPECT_EQ(Environment.WeatherCount(), 0);
}

TEST_F(SaveTest, aChunkTooShortForItsCountChangesNothing)
{
    const std::vector<uint8_t> two = WriteEnvironmentChunk("", { WeatherRecord {}, WeatherRecord {} });
    Environment.weathers = { Record(0) };
    for (const size_t size : { two.size() - 1, size_t(163), size_t(0) }) {
        SCOPED_TRACE(size);
        EXPECT_FALSE(Environment.LoadChunk(two.data(), size));
        EXPECT_EQ(Environment.WeatherCount(), 1);
    }
    std::vector<uint8_t> huge = two;
    const uint32_t count = 0xFFFFFFFFu;
    std::memcpy(huge.data(), &count, 4);
    EXPECT_FALSE(Environment.LoadChunk(huge.data(), huge.size()));
    EXPECT_EQ(Environment.WeatherCount(), 1);
    EXPECT_EQ(LogLineCount("CEnvironment::Load"), 4);
}

TEST_F(SaveTest, theSectionRoundTripsByteForByte)
{
    Environment.weathers = { Record(0), Record(0), Record(1) };
    Environment.weathers[1].effectFlags = 2;
    Environment.weathers[1].effectIntensity = 0.01f;
    Environment.SetWeather(1, true);
    Environment.next = 2;
    Environment.transition = 1;
    Environment.frozen = 0;
    Environment.Run(37.0f);
    const std::vector<uint8_t> first = Save();
    ASSERT_EQ(first.size(), 925u);
    for (size_t i = 765; i < 925; ++i)
        ASSERT_EQ(first[i], 0) << i;

    const float hour = Environment.hour;
    Environment.hour = 3.0f;
    Environment.active = -1;
    ASSERT_TRUE(LoadSection(first));
    EXPECT_EQ(Environment.hour, hour);
    EXPECT_EQ(Environment.active, 1);
    EXPECT_EQ(Save(), first);
}

TEST_F(SaveTest, indexesOutsideTheirTablesAreClampedOrDropped)
{
    Environment.weathers = { Record(0), Record(0), Record(0), Record(0), Record(0) };
    Environment.active = 4;
    Environment.next = -7;
    Environment.previous = 3;
    Environment.skyA = 99; // no texture table: no such texture
    Environment.current.sun.index = 12;
    const std::vector<uint8_t> saved = Save();
    Environment.weathers.resize(3);
    ASSERT_TRUE(LoadSection(saved));
    EXPECT_EQ(Environment.active, 2);
    EXPECT_EQ(Environment.next, -1);
    EXPECT_EQ(Environment.previous, 2);
    EXPECT_EQ(Environment.skyA, -1);
    EXPECT_EQ(Environment.current.sun.index, -1);

    Environment.weathers.clear();
    ASSERT_TRUE(LoadSection(saved));
    EXPECT_EQ(Environment.active, -1);
}

TEST_F(SaveTest, aTruncatedSectionIsRefusedAndChangesNothing)
{
    Environment.hour = 7.0f;
    std::vector<uint8_t> saved = Save();
    Environment.hour = 9.0f;
    saved.resize(924);
    EXPECT_FALSE(LoadSection(saved));
    EXPECT_EQ(Environment.hour, 9.0f);
    EXPECT_EQ(LogLineCount("CEnvironment::LoadGame"), 1);
}

} // namespace

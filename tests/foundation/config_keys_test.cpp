// The table of cfg.ini's keys and its readers and writer.
#include "tests/foundation/data_dir_fixture.h"

#include "foundation/ConfigKeys.h"
#include "platform/win/text.h"

#include <set>
#include <string>

namespace {

constexpr const char* kFile = "cfg.ini";

std::string Name(const SConfigKey& key)
{
    return std::string("[") + key.section + "] " + key.key;
}

TEST(ConfigKeysTest, everyKeyIsNamedOnceIgnoringCase)
{
    std::set<std::string> seen;
    for (const SConfigKey& key : kConfigKeys) {
        SCOPED_TRACE(Name(key));
        const std::string_view section = key.section;
        const std::string_view name = key.key;
        EXPECT_FALSE(section.empty() || name.empty());
        EXPECT_EQ(section.find_first_of("[]"), std::string_view::npos);
        EXPECT_EQ(name.find_first_of("=; \t"), std::string_view::npos);
        EXPECT_TRUE(seen.insert(plat::win::Upper1251(section) + "\n" + plat::win::Upper1251(name)).second);
        if (key.kind == EConfigKind::Number) {
            EXPECT_STREQ(key.text, "") << "a number's default is its number";
        } else {
            EXPECT_EQ(key.number, 0) << "a text's default is its text";
        }
    }
}

class ConfigKeysFileTest : public DataDirTest {
protected:
    // Every key reads back as its default, or as a Number's default + shift.
    void ExpectEveryKeyReads(int32_t shift)
    {
        for (const SConfigKey& key : kConfigKeys) {
            SCOPED_TRACE(Name(key));
            if (key.kind == EConfigKind::Number) {
                EXPECT_EQ(ReadConfigNumber(kFile, key), key.number + shift);
            } else {
                char text[64];
                ReadConfigText(kFile, key, text, sizeof text);
                EXPECT_STREQ(text, key.text);
            }
        }
    }
};

TEST_F(ConfigKeysFileTest, aMissingFileGivesEveryDefault)
{
    ExpectEveryKeyReads(0);
}

TEST_F(ConfigKeysFileTest, writtenNumbersReadBackAndKeepTheOtherLines)
{
    const std::string other = "; kept\r\n[CONFIG]\r\nOdd = line \r\n";
    WriteText(kFile, other);
    for (const SConfigKey& key : kConfigKeys) {
        if (key.kind == EConfigKind::Number) {
            ASSERT_TRUE(WriteConfigNumber(kFile, key, key.number - 3)) << Name(key);
        }
    }
    ExpectEveryKeyReads(-3);
    const Bytes bytes = ReadBytes(kFile);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).rfind(other, 0), 0u);
    EXPECT_FALSE(WriteConfigNumber("no-such-folder/cfg.ini", ConfigKey("CONFIG", "Gamma"), 1));
}

} // namespace

// The save and location lists: the save header, the scans of a temporary SAVES\ with made headers
// and of made location descriptions, and the lines in display order.
#include "tests/script/script_fixture.h"
#include "tests/support/files.h"
#include "ui/GameList.h"
#include "ui/SaveHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

namespace {

// A save file: the header, then the screenshot (or its first bytes) of one colour.
void WriteSave(const std::filesystem::path& path, const SaveHeader& header, size_t screenshotBytes = 0,
    uint32_t colour = 0, int minutesAgo = 0)
{
    std::vector<uint8_t> bytes(SaveHeader::kSize + screenshotBytes);
    const auto head = header.Encode();
    std::copy(head.begin(), head.end(), bytes.begin());
    for (size_t i = 0; i + 4 <= screenshotBytes; i += 4)
        for (size_t b = 0; b < 4; ++b)
            bytes[SaveHeader::kSize + i + b] = uint8_t(colour >> (8 * b));
    std::filesystem::create_directories(path.parent_path());
    zoq::test::WriteBytes(path, bytes);
    std::filesystem::last_write_time(
        path, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(minutesAgo));
}

SaveHeader Header(
    const std::string& title, uint32_t kind = 0, uint32_t version = SaveHeader::kScreenshotVersion)
{
    SaveHeader header;
    header.title = title;
    header.level = "location1.zjo";
    header.place = "KEY";
    header.kind = kind;
    header.version = version;
    header.gameTime = 2.5f;
    return header;
}

std::vector<std::string> Blocks(const std::vector<SGameListLine>& lines)
{
    std::vector<std::string> blocks;
    for (const SGameListLine& line : lines)
        blocks.push_back(line.block);
    return blocks;
}

class SaveListTest : public zoq::test::ScriptTest {
protected:
    std::filesystem::path Saves() const { return m_dir / "SAVES"; }
    std::vector<SGameEntry> Scan()
    {
        skipped.clear();
        return gamelist::ScanSaves(skipped);
    }
    std::vector<SSkippedFile> skipped;
};

TEST(SaveHeaderTest, readsWhatItWritesAndRefusesShortOrForeignBytes)
{
    SaveHeader header = Header("Title");
    header.rating = 3;
    header.value = 44;
    header.organisation = "ORG";
    const auto bytes = header.Encode();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 4), "ZJSG");
    SaveHeader read;
    ASSERT_EQ(read.Parse(bytes.data(), bytes.size()), SaveHeader::Read::Ok);
    EXPECT_EQ(read.title, "Title");
    EXPECT_EQ(read.level, "location1.zjo");
    EXPECT_EQ(read.place, "KEY");
    EXPECT_EQ(read.organisation, "ORG");
    EXPECT_EQ(read.rating, 3u);
    EXPECT_EQ(read.value, 44u);
    EXPECT_EQ(read.gameTime, 2.5f);
    EXPECT_TRUE(read.HasScreenshot());
    EXPECT_EQ(read.Parse(bytes.data(), SaveHeader::kSize - 1), SaveHeader::Read::Short);
    auto foreign = bytes;
    foreign[0] = 'X';
    EXPECT_EQ(read.Parse(foreign.data(), foreign.size()), SaveHeader::Read::BadMagic);
}

TEST(SaveHeaderTest, unterminatedFieldsStopAtTheirEnd)
{
    std::array<uint8_t, SaveHeader::kSize> bytes = Header("x").Encode();
    std::fill(bytes.begin() + 12, bytes.begin() + 604, uint8_t('A'));
    SaveHeader read;
    ASSERT_EQ(read.Parse(bytes.data(), bytes.size()), SaveHeader::Read::Ok);
    EXPECT_EQ(read.title.size(), 256u);
    EXPECT_EQ(read.level.size(), 256u);
    EXPECT_EQ(read.place.size(), 32u);
    EXPECT_EQ(read.organisation.size(), 32u);
    SGameEntry entry;
    gamelist::FillFromHeader(read, entry);
    EXPECT_EQ(entry.title.size(), 127u);
}

TEST(GameTimeTest, minutesCountWithinTheHour)
{
    struct Case {
        float time;
        int32_t days, hours, minutes;
    };
    for (const Case& c : {
             Case { 0.0f, 0, 0, 0 },
             Case { 2.5f, 2, 12, 0 },
             Case { 1.0f + 13.5f / 24.0f, 1, 13, 30 },
             Case { 0.9999f, 0, 23, 59 },
             Case { -3.0f, 0, 0, 0 },
             Case { std::numeric_limits<float>::quiet_NaN(), 0, 0, 0 },
         }) {
        SaveHeader header = Header("t");
        header.gameTime = c.time;
        SGameEntry entry;
        gamelist::FillFromHeader(header, entry);
        EXPECT_EQ(entry.days, c.days) << c.time;
        EXPECT_EQ(entry.hours, c.hours) << c.time;
        EXPECT_EQ(entry.minutes, c.minutes) << c.time;
    }
}

TEST_F(SaveListTest, theFirstFreeNumberIsProposedAndTheAutomaticSaveListedFirstOnlyWhenLoading)
{
    WriteSave(Saves() / "ZJ_1.sav", Header("one"), 0, 0, 30);
    WriteSave(Saves() / "ZJ_3.sav", Header("three"), 0, 0, 10);
    WriteSave(Saves() / "autosave.sav", Header("auto", SaveHeader::kAutoSave), 0, 0, 60);
    const std::vector<SGameEntry> entries = Scan();
    EXPECT_EQ(gamelist::NewSaveName(entries), "ZJ_2.sav");
    EXPECT_EQ(Blocks(gamelist::Lines(entries, GameListMode::Load)),
        std::vector<std::string>({ "autosave.sav", "ZJ_3.sav", "ZJ_1.sav" }));
    const std::vector<SGameListLine> saving = gamelist::Lines(entries, GameListMode::Save);
    EXPECT_EQ(Blocks(saving), std::vector<std::string>({ "ZJ_2.sav", "ZJ_3.sav", "ZJ_1.sav" }));
    EXPECT_EQ(saving[0].markup, "<icon:POINT><reference:INT_NEWSAVE=ZJ_2.sav>");
    EXPECT_EQ(saving[1].markup, "<icon:POINT><reference:three=ZJ_3.sav>");
}

TEST_F(SaveListTest, faultyFilesAreLeftOutAndAnOldVersionIsListed)
{
    WriteSave(Saves() / "good.sav", Header("good"));
    WriteSave(Saves() / "old.sav", Header("old", 0, 256));
    SaveHeader foreign = Header("foreign");
    auto bytes = foreign.Encode();
    bytes[0] = 'Q';
    zoq::test::WriteBytes(Saves() / "magic.sav", std::vector<uint8_t>(bytes.begin(), bytes.end()));
    zoq::test::WriteBytes(Saves() / "short.sav", std::vector<uint8_t>(100, 0));
    zoq::test::WriteBytes(Saves() / "a=b.sav", std::vector<uint8_t>(bytes.begin(), bytes.end()));
    std::vector<std::string> names;
    for (const SGameEntry& entry : Scan())
        names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, std::vector<std::string>({ "good.sav", "old.sav" }));
    std::vector<std::string> left;
    for (const SSkippedFile& file : skipped)
        left.push_back(file.file + ": " + file.reason);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left,
        std::vector<std::string>({ "a=b.sav: not a plain save name", "magic.sav: not a save game",
            "short.sav: shorter than its header" }));
    EXPECT_EQ(LogLineCount("left out"), 3);
}

TEST_F(SaveListTest, titlesShowMarkupBytesAsBlanksAndNamesComeFromTheTextTable)
{
    SaveHeader header = Header("a=b>c<d");
    header.level = "KEY.zjo";
    WriteSave(Saves() / "ZJ_1.sav", header);
    const std::vector<SGameEntry> entries = Scan();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].place, "Key name");
    EXPECT_EQ(entries[0].location, "Key name");
    EXPECT_EQ(
        gamelist::Lines(entries, GameListMode::Load)[0].markup, "<icon:POINT><reference:a b c d=ZJ_1.sav>");
}

TEST_F(SaveListTest, namesThatAreNoPlainSaveFileAreRefused)
{
    for (const char* name : { "ZJ_1.sav", "x.SAV" })
        EXPECT_TRUE(gamelist::IsPlainSaveName(name)) << name;
    for (const char* name :
        { ".sav", "a.txt", "..x.sav", "a\\b.sav", "a/b.sav", "a<b.sav", "a>b.sav", "c:a.sav" })
        EXPECT_FALSE(gamelist::IsPlainSaveName(name)) << name;
    EXPECT_FALSE(gamelist::IsPlainSaveName(std::string(124, 'x') + ".sav"));
    EXPECT_TRUE(gamelist::IsPlainSaveName(std::string(123, 'x') + ".sav"));
}

TEST_F(SaveListTest, locationsShowEnabledOnesInAscendingCaptionsAndLeaveOutLongFileNames)
{
    const std::filesystem::path net = m_dir / "Data" / "Net";
    zoq::test::WriteText(net / "1.ini", "[LOCATION]\nCaption=Zeta\nFileName=z.zjo\n");
    zoq::test::WriteText(net / "2.ini", "[LOCATION]\nCaption=Alpha\nFileName=a.zjo\nEnable=1\n");
    zoq::test::WriteText(net / "3.ini", "[LOCATION]\nCaption=Hidden\nFileName=h.zjo\nEnable=0\n");
    zoq::test::WriteText(
        net / "4.ini", "[LOCATION]\nCaption=Long\nFileName=" + std::string(36, 'l') + ".zjo\n");
    zoq::test::WriteText(net / "5.ini", "[LOCATION]\nCaption=Up\nFileName=..\\up.zjo\n");
    zoq::test::WriteText(net / "6.ini", "[LOCATION]\nCaption=Beta\nFileName=b.zjo\n");
    std::vector<SSkippedFile> left;
    const std::vector<SGameEntry> entries = gamelist::ScanLocations(left);
    EXPECT_EQ(Blocks(gamelist::Lines(entries, GameListMode::Net)),
        std::vector<std::string>({ "a.zjo", "b.zjo", "z.zjo" }));
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].file, "4.ini");
    EXPECT_EQ(left[1].file, "5.ini");
}

TEST_F(SaveListTest, noDescriptionsGiveAnEmptyListAndTheLogLine)
{
    std::vector<SSkippedFile> left;
    EXPECT_TRUE(gamelist::ScanLocations(left).empty());
    EXPECT_EQ(LogLineCount("ERROR: Files of the description network location not found"), 1);
}

} // namespace

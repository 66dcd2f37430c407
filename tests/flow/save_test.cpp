// Save games and location saves on a writer-made location1 with every section's real owner: the
// round trip, the stored header, the sections a reader skips or refuses, the cut file, the failed
// write that keeps the old save, the location saves' numbering, and zoq-save on a written save.
#include "tests/flow/save_fixture.h"

#include "ai/CFerroGroupList.h"
#include "foundation/Rating.h"
#include "foundation/XMemBuffer.h"
#include "tests/support/child_process.h"
#include "tests/support/log_lines.h"
#include "world/db/CEquipmentManager.h"
#include "world/db/PlayerEquipmentFlags.h"

#include <cmath>
#include <cstring>

namespace {

using zoq::test::LeBytes;
using zoq::test::PutU32;
using zoq::test::U32At;
using zoq::test::ValueAt;

constexpr char kPlace[32] = "B_L1_CEH";

TEST_F(SaveGameTest, aRoundTripRestoresEveryOwner)
{
    scripts->AddQuest("Q_ROUND");
    CFerroGroup* group = FerroGroupList.FindGroupByName("GRP_ROUND");
    ASSERT_NE(group, nullptr);
    group->timeInState = 42.5f;
    group->position = { 10.0f, 20.0f, 30.0f };
    PlayerFerrovant->rating = 600.0f;
    PlayerFerrovant->cargo.bulkAmount = 1234.75f;
    DropThing(120.0f, 230.0f);
    GameTimeDays() = 3.25f;
    TimeOfDay() = 6.0f;
    radar.explored[10] = 1;
    ZJTrade.Entry(0).goods.At(0).stock = 33.0f;
    const int bandits = g_OrgManager.FindOrganisation("BANDITS");
    const int player = g_OrgManager.FindOrganisation("ORG_PLAYER");
    g_OrgManager.SetRelation(player, bandits, -0.5f, false);
    g_OrgManager.playerOrganisation = bandits;
    app.savedValues[0] = 4;
    app.savedValues[2] = 2;
    app.savedValueCount = 3;
    PlayerControl.BoostOn = 1;
    PlayerControl.StasisMode = 2;
    PlayerControl.Analyzer = 1;
    PlayerControl.GliderValue = 2.5f;
    PlayerControl.reserved2[3] = 9;
    ASSERT_TRUE(app.SaveGame("round.sav", "Round", 1, kPlace, false));
    EXPECT_FALSE(std::filesystem::exists(Saves() / "round.sav.tmp"));

    // A new preparation of the same location, then the load.
    scripts = std::make_unique<CZJScriptManager>();
    g_pScriptManager = scripts.get();
    LoadLocation();
    GameTimeDays() = 0.0f;
    TimeOfDay() = 20.0f;
    g_OrgManager.SetRelation(player, bandits, 0.0f, false);
    g_OrgManager.playerOrganisation = player;
    app.savedValueCount = 0;
    std::memset(app.savedValues, 0, sizeof app.savedValues);
    PlayerControl = {};
    std::memset(app.locationFile, 0, sizeof app.locationFile);

    ASSERT_TRUE(app.LoadGame("round.sav", true));
    EXPECT_STREQ(app.saveName, "round.sav");
    EXPECT_STREQ(app.locationFile, kLocation);
    EXPECT_EQ(g_OrgManager.playerOrganisation, bandits);
    EXPECT_FLOAT_EQ(GameTimeDays(), 3.25f);
    EXPECT_FLOAT_EQ(TimeOfDay(), 6.0f) << "the fraction of the day";
    EXPECT_TRUE(ObjectList.Objects().IsEmpty()) << "a header read loads no section";
    ASSERT_TRUE(app.LoadGame("round.sav", false));

    EXPECT_EQ(std::string(app.startPosition.text), "B_L1_CEH");
    EXPECT_FLOAT_EQ(GameTimeDays(), 3.25f);
    ASSERT_EQ(scripts->Quests().size(), 1u);
    EXPECT_STREQ(scripts->Quests()[0].name, "Q_ROUND");
    group = FerroGroupList.FindGroupByName("GRP_ROUND");
    ASSERT_NE(group, nullptr);
    EXPECT_FLOAT_EQ(group->timeInState, 42.5f);
    EXPECT_FLOAT_EQ(group->position.y, 20.0f);
    EXPECT_FLOAT_EQ(PlayerFerrovant->rating, 600.0f);
    EXPECT_FLOAT_EQ(PlayerFerrovant->cargo.bulkAmount, 1234.75f);
    int things = 0;
    for (CZJObject* object : ObjectList.Objects())
        if (auto* thing = dynamic_cast<CTheThing*>(object)) {
            ++things;
            EXPECT_FLOAT_EQ(thing->frame.position.x, 120.0f);
        }
    EXPECT_EQ(things, 1);
    EXPECT_EQ(radar.explored[10], 1);
    EXPECT_FLOAT_EQ(ZJTrade.Entry(0).goods.At(0).stock, 33.0f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(player, bandits, false), -0.5f);
    EXPECT_EQ(app.savedValueCount, 3u);
    EXPECT_EQ(app.savedValues[0], 4u);
    EXPECT_EQ(app.savedValues[2], 2u);
    EXPECT_EQ(PlayerControl.BoostOn, 1);
    EXPECT_EQ(PlayerControl.StasisMode, 2u);
    EXPECT_EQ(PlayerControl.Analyzer, 1);
    EXPECT_FLOAT_EQ(PlayerControl.GliderValue, 2.5f);
    EXPECT_EQ(PlayerControl.reserved2[3], 9);
    EXPECT_EQ(LogCount("CZJApp::"), 0);
}

TEST_F(SaveGameTest, theHeaderHoldsItsFieldsAtTheirOffsets)
{
    PlayerFerrovant->rating = 600.0f;
    PlayerFerrovant->level = 0;
    PlayerFerrovant->cargo.bulkAmount = 77.9f;
    GameTimeDays() = 1.5f;
    ASSERT_TRUE(app.SaveGame("auto.sav", "Title", 0, kPlace, true));
    const Bytes bytes = SaveBytes("auto.sav");

    int32_t level = 0;
    UpdateRatingLevel(600.0f, level);
    Bytes expected(SaveHeader::kSize, 0);
    std::memcpy(expected.data(), "ZJSG", 4);
    PutU32(expected, 4, 1); // the third argument was 0
    PutU32(expected, 8, 10);
    std::memcpy(expected.data() + 12, "Title", 5);
    std::memcpy(expected.data() + 268, kLocation, std::strlen(kLocation));
    zoq::test::PutAt(expected, 524, 1.5f);
    std::memcpy(expected.data() + 528, kPlace, std::strlen(kPlace));
    PutU32(expected, 560, uint32_t(level));
    PutU32(expected, 564, 77);
    std::memcpy(expected.data() + 568, "ORG_PLAYER", 10);
    PutU32(expected, 600, 1);
    PutU32(expected, 604, 257);
    ASSERT_GE(bytes.size(), SaveHeader::kSize + SaveHeader::kScreenshotSize);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + SaveHeader::kSize), expected);
    EXPECT_GT(level, 0);
    EXPECT_EQ(PlayerFerrovant->level, level) << "the level is stored back";

    const Bytes picture(
        bytes.begin() + SaveHeader::kSize, bytes.begin() + SaveHeader::kSize + SaveHeader::kScreenshotSize);
    EXPECT_EQ(picture, Bytes(SaveHeader::kScreenshotSize, 0)) << "no picture image: black";
    std::vector<uint32_t> ids;
    size_t end = SaveHeader::kSize + SaveHeader::kScreenshotSize;
    for (const SSectionAt& section : Sections(bytes)) {
        ids.push_back(section.id);
        EXPECT_EQ(Bytes(bytes.begin() + section.at + 8, bytes.begin() + section.at + 24), Bytes(16, 0));
        end = section.at + savefile::kSectionHeaderSize + section.size;
    }
    EXPECT_EQ(ids, (std::vector<uint32_t> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 11 }));
    EXPECT_EQ(end, bytes.size());
}

TEST_F(SaveGameTest, headersThatDoNotFitTheirFieldsAreRefused)
{
    struct SCase {
        const char* what;
        size_t at;
        Bytes bytes;
        const char* log;
    };
    const SCase cases[] = {
        { "an unterminated title", 12, Bytes(256, 'T'), "title does not end inside its field" },
        { "a location name of 135 bytes", 268, Bytes(135, 'L'), "location name longer than 134 bytes" },
        { "an unterminated organisation", 568, Bytes(32, 'O'), "organisation does not end inside its field" },
        { "another magic", 0, Bytes { 'Z', 'J', 'S', 'X' }, "not a save game" },
        { "a game time that is no number", 524, LeBytes(NAN), "game time out of range" },
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = GameSave({});
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + ptrdiff_t(c.at));
        WriteBytes(Saves() / "bad.sav", bytes);
        std::memset(app.locationFile, 0, sizeof app.locationFile);
        EXPECT_FALSE(app.LoadGame("bad.sav", true));
        EXPECT_STREQ(app.locationFile, "") << "nothing of a refused header is taken";
        EXPECT_EQ(LogCount(c.log), 1);
    }
    Bytes longest = GameSave({}, std::string(134, 'L'));
    WriteBytes(Saves() / "long.sav", longest);
    EXPECT_TRUE(app.LoadGame("long.sav", true));
    EXPECT_EQ(std::strlen(app.locationFile), 134u);
}

TEST_F(SaveGameTest, idsZeroTenAndTwelveAreSkipped)
{
    const Bytes junk(40, 0xEE);
    const Bytes list = LeBytes(uint32_t(2), uint32_t(5), uint32_t(6));
    WriteBytes(Saves() / "skip.sav",
        GameSave(
            { Section(0, junk), Section(10, junk), Section(12, junk), Section(9, list), Section(99, {}) }));
    ASSERT_TRUE(app.LoadGame("skip.sav", false));
    EXPECT_EQ(app.savedValueCount, 2u);
    EXPECT_EQ(app.savedValues[1], 6u);
}

TEST_F(SaveGameTest, theLocationListTakesSixteenValuesAndSkipsTheRest)
{
    Bytes list = LeBytes(uint32_t(17));
    for (uint32_t i = 1; i <= 17; ++i)
        AppendLE(list, i);
    Bytes control = LeBytes(savefile::kControlVersion);
    control.resize(4 + 32, 0);
    control[4] = 1;
    WriteBytes(Saves() / "list.sav", GameSave({ Section(9, list), Section(11, control) }));
    ASSERT_TRUE(app.LoadGame("list.sav", false));
    EXPECT_EQ(app.savedValueCount, 16u);
    EXPECT_EQ(app.savedValues[15], 16u);
    EXPECT_EQ(PlayerControl.BoostOn, 1) << "the section after it is read";

    list.resize(list.size() - 4);
    WriteBytes(Saves() / "short.sav", GameSave({ Section(9, list) }));
    EXPECT_FALSE(app.LoadGame("short.sav", false)) << "a count the payload does not hold";
}

TEST_F(SaveGameTest, controlStateOfVersion257HasItsTailCleared)
{
    PlayerControl.GliderValue = 7.0f;
    PlayerControl.reserved2[0] = 5;
    Bytes control = LeBytes(savefile::kShortControlVersion);
    Bytes record(28, 0);
    record[0] = 1; // booster
    record[8] = 1; // invisibility
    record[9] = 1; // anti-rocket
    zoq::test::PutAt(record, 24, 3.5f);
    control.insert(control.end(), record.begin(), record.end());
    WriteBytes(Saves() / "old.sav", GameSave({ Section(11, control) }));
    ASSERT_TRUE(app.LoadGame("old.sav", false));
    EXPECT_EQ(PlayerControl.BoostOn, 1);
    EXPECT_EQ(PlayerControl.Invisibility, 1);
    EXPECT_EQ(PlayerControl.AntirocketOn, 1);
    EXPECT_FLOAT_EQ(PlayerControl.GliderValue, 3.5f);
    EXPECT_EQ(PlayerControl.reserved2[0], 0);

    // One byte short of its version's record: refused, the record as it was.
    control.pop_back();
    WriteBytes(Saves() / "cut.sav", GameSave({ Section(11, control) }));
    PlayerControl.BoostOn = 0;
    EXPECT_FALSE(app.LoadGame("cut.sav", false));
    EXPECT_EQ(PlayerControl.BoostOn, 0);
    Bytes full = LeBytes(savefile::kControlVersion);
    full.resize(4 + 31, 0);
    WriteBytes(Saves() / "cut.sav", GameSave({ Section(11, full) }));
    EXPECT_FALSE(app.LoadGame("cut.sav", false));
}

TEST_F(SaveGameTest, aFileCutAtAnySectionBoundaryIsRefused)
{
    DropThing(50.0f, 60.0f);
    ASSERT_TRUE(app.SaveGame("whole.sav", "Whole", 1, kPlace, false));
    const Bytes bytes = SaveBytes("whole.sav");
    std::vector<size_t> cuts { SaveHeader::kSize, SaveHeader::kSize + 1000 };
    for (const SSectionAt& section : Sections(bytes)) {
        cuts.push_back(section.at);
        cuts.push_back(section.at + 10);
        cuts.push_back(section.at + savefile::kSectionHeaderSize);
        if (section.size > 1)
            cuts.push_back(section.at + savefile::kSectionHeaderSize + section.size - 1);
    }
    cuts.push_back(bytes.size() - 1);
    for (const size_t cut : cuts) {
        SCOPED_TRACE(cut);
        LoadLocation();
        WriteBytes(Saves() / "cut.sav", Bytes(bytes.begin(), bytes.begin() + ptrdiff_t(cut)));
        EXPECT_FALSE(app.LoadGame("cut.sav", false));
    }
    LoadLocation();
    EXPECT_TRUE(app.LoadGame("whole.sav", false));
}

TEST_F(SaveGameTest, aFailedWriteKeepsTheOldSave)
{
    ASSERT_TRUE(app.SaveGame("slot.sav", "Old", 1, kPlace, false));
    const Bytes old = SaveBytes("slot.sav");
    std::filesystem::create_directories(Saves() / "slot.sav.tmp");
    EXPECT_FALSE(app.SaveGame("slot.sav", "New", 1, kPlace, false));
    EXPECT_EQ(SaveBytes("slot.sav"), old);
    EXPECT_TRUE(std::filesystem::is_directory(Saves() / "slot.sav.tmp"));
    std::filesystem::remove(Saves() / "slot.sav.tmp");

    // A target that cannot be replaced: the temporary file goes again.
    std::filesystem::create_directories(Saves() / "dir.sav" / "inside");
    EXPECT_FALSE(app.SaveGame("dir.sav", "New", 1, kPlace, false));
    EXPECT_FALSE(std::filesystem::exists(Saves() / "dir.sav.tmp"));
    EXPECT_TRUE(app.SaveGame("slot.sav", "New", 1, kPlace, false));
    EXPECT_NE(SaveBytes("slot.sav"), old);
}

TEST_F(SaveGameTest, locationSavesAreNumberedAndNeedALocationDigit)
{
    const std::filesystem::path locs = Saves() / "LOCS";
    struct SCase {
        const char* location;
        bool saved;
    };
    const SCase refused[] = { { "Data\\location9.zjp", false }, { "Data\\locationX.zjp", false },
        { "Data\\location0.zjp", false }, { "1.zj", false }, { "", false } };
    for (const SCase& c : refused) {
        SCOPED_TRACE(c.location);
        std::snprintf(app.locationFile, sizeof app.locationFile, "%s", c.location);
        EXPECT_EQ(app.SaveLoc(), c.saved);
        EXPECT_FALSE(app.LoadLoc());
        EXPECT_FALSE(std::filesystem::exists(locs / "locs.idx"));
    }

    std::snprintf(app.locationFile, sizeof app.locationFile, "%s", kLocation);
    ASSERT_TRUE(app.SaveLoc());
    EXPECT_EQ(zoq::test::ReadText(locs / "locs.idx"), "1");
    ASSERT_TRUE(app.SaveLoc());
    EXPECT_EQ(zoq::test::ReadText(locs / "locs.idx"), "2");
    EXPECT_EQ(app.savedValues[0], 2u);
    std::snprintf(app.locationFile, sizeof app.locationFile, "Data\\location3.zjp");
    ASSERT_TRUE(app.SaveLoc());
    EXPECT_EQ(app.savedValues[2], 3u);
    EXPECT_EQ(app.savedValueCount, 3u);
    EXPECT_TRUE(std::filesystem::exists(locs / "data1.loc")) << "older location saves stay";

    // Version 1: no picture, the four sections right behind the header.
    const Bytes bytes = ReadBytes(locs / "data2.loc");
    EXPECT_EQ(U32At(bytes, 8), 4u);
    EXPECT_EQ(U32At(bytes, 600), 2u);
    EXPECT_EQ(U32At(bytes, 604), 1u);
    std::vector<uint32_t> ids;
    for (const SSectionAt& section : Sections(bytes))
        ids.push_back(section.id);
    EXPECT_EQ(Sections(bytes).front().at, SaveHeader::kSize);
    EXPECT_EQ(ids, (std::vector<uint32_t> { 2, 4, 6, 7 }));
}

TEST_F(SaveGameTest, aLocationSaveLoadsBackIntoTheLocation)
{
    DropThing(300.0f, 310.0f);
    radar.explored[3] = 1;
    ZJTrade.Entry(0).goods.At(0).stock = 12.0f;
    ASSERT_TRUE(app.SaveLoc());
    LoadLocation();
    ASSERT_TRUE(app.LoadLoc());
    int things = 0;
    for (CZJObject* object : ObjectList.Objects())
        things += dynamic_cast<CTheThing*>(object) != nullptr;
    EXPECT_EQ(things, 1);
    EXPECT_EQ(radar.explored[3], 1);
    EXPECT_FLOAT_EQ(ZJTrade.Entry(0).goods.At(0).stock, 12.0f);

    // A game save's other sections in a location file are skipped.
    Bytes bytes = ReadBytes(Saves() / "LOCS" / "data1.loc");
    Bytes control = LeBytes(savefile::kControlVersion);
    control.resize(36, 1);
    const Bytes extra = Section(11, control);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    PutU32(bytes, 8, 5);
    WriteBytes(Saves() / "LOCS" / "data1.loc", bytes);
    PlayerControl = {};
    EXPECT_TRUE(app.LoadLoc());
    EXPECT_EQ(PlayerControl.BoostOn, 0);
}

TEST_F(SaveGameTest, anUnreadableCounterContinuesAfterTheHighestLocationSave)
{
    const std::filesystem::path locs = Saves() / "LOCS";
    WriteText(locs / "locs.idx", "seven");
    WriteText(locs / "data5.loc", "older game's");
    WriteText(locs / "data2.loc", "older game's");
    ASSERT_TRUE(app.SaveLoc());
    EXPECT_EQ(zoq::test::ReadText(locs / "locs.idx"), "6");
    EXPECT_EQ(app.savedValues[0], 6u);
    EXPECT_EQ(zoq::test::ReadText(locs / "data5.loc"), "older game's");
    EXPECT_TRUE(std::filesystem::exists(locs / "data6.loc"));
    EXPECT_FALSE(std::filesystem::exists(locs / "locs.idx.tmp"));
}

TEST_F(SaveGameTest, theControlStateSwitchesTheCarriedEquipment)
{
    UseTables(AllTables({
        { "Глайдеры", "[GL_A]\nDAMAGE=100\nWEIGHT=40\nMAXWEIGHT=200\nSTANDARD=3\n" },
        { "Оборудование", EquipmentTable() },
        { "Оружие", "[GUN_L]\n[GUN_H]\n" },
        { "Снаряды", "[MIS_BOMB]\nWEIGHT=2\n" },
        { "Товары", "[TOV_A]\nMASSA=2\n" },
        { "Конфигурации",
            FullRow("CFG_STARTUP", "EQP_BOOSTER=1\nEQP_INVISIBILITY_SHIELD=1\n") + FullRow("CFG_GUARD") },
        { "Организации", "[ORG_PLAYER]\n[ORG_FREE]\n[BANDITS]\n" },
    }));
    ZJEngine.ZJInit();
    LoadLocation();
    const auto item = [](const char* name) {
        return PlayerFerrovant->FindItem(uint32_t(g_EquipmentManager.FindRow(name)));
    };
    ASSERT_NE(item("EQP_BOOSTER"), nullptr);
    ASSERT_NE(item("EQP_INVISIBILITY_SHIELD"), nullptr);
    ASSERT_EQ(item("EQP_ANTIROCKET_SYSTEM"), nullptr);
    item("EQP_BOOSTER")->active = 1;
    for (const uint8_t on : { 1, 0 }) {
        SCOPED_TRACE(int(on));
        PlayerControl.BoostOn = on;
        PlayerControl.Invisibility = on;
        PlayerControl.AntirocketOn = 1; // not carried: nothing to switch
        app.ApplyPlayerControlState();
        EXPECT_EQ(item("EQP_BOOSTER")->active, on);
        EXPECT_EQ(item("EQP_INVISIBILITY_SHIELD")->active, on);
    }
}

TEST_F(SaveGameTest, zoqSaveInfoPrintsAWrittenSaveAndRefusesACutCopy)
{
    app.savedValues[0] = 3;
    app.savedValueCount = 1;
    PlayerControl.BoostOn = 1;
    PlayerControl.GliderValue = 1.5f;
    GameTimeDays() = 2.0f;
    ASSERT_TRUE(app.SaveGame("info.sav", "Info", 1, kPlace, false));
    const std::string file = (Saves() / "info.sav").string();
    const zoq::test::RunResult info = zoq::test::RunProgram(ZOQ_PROGRAM_SAVE, { "info", file }, {}, 20000);
    ASSERT_EQ(info.exitCode, 0) << info.err;
    std::vector<std::string> lines = zoq::test::SplitLines(info.out);
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "header\tmagic=ZJSG\tflag=0\tsections=10\tkind=0\tversion=257");
    EXPECT_EQ(lines[1], "title\tInfo");
    EXPECT_EQ(lines[2], std::string("location\t") + kLocation);
    EXPECT_EQ(lines[3], "days\t2.000000");
    EXPECT_EQ(lines[4], "place\tB_L1_CEH");
    EXPECT_EQ(lines[6], "organisation\tORG_PLAYER");
    EXPECT_EQ(lines[7], "screenshot\t262144");
    std::vector<std::string> rest(lines.begin() + 8, lines.end());
    std::vector<std::string> ids;
    for (const std::string& line : rest)
        if (line.rfind("section\t", 0) == 0)
            ids.push_back(line.substr(8, line.find('\t', 8) - 8));
    EXPECT_EQ(ids, (std::vector<std::string> { "1", "2", "3", "4", "5", "6", "7", "8", "9", "11" }));
    EXPECT_NE(info.out.find("\nlocations\t3\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find(
                  "\ncontrol\tversion=258\tbooster=1\tinvisibility=0\tantirocket=0\tanalyzer=0\tvalue=1.5\n"),
        std::string::npos)
        << info.out;

    Bytes cut = SaveBytes("info.sav");
    cut.pop_back();
    WriteBytes(Saves() / "cut.sav", cut);
    const std::string cutFile = (Saves() / "cut.sav").string();
    const zoq::test::RunResult refused
        = zoq::test::RunProgram(ZOQ_PROGRAM_SAVE, { "info", cutFile }, {}, 20000);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err, "zoq-save: " + cutFile + ": section 10 (id 11): the payload ends early\n");
    EXPECT_EQ(refused.out.rfind(lines[0], 0), 0u) << "the lines read so far";
    EXPECT_NE(refused.out.find("section\t9\t"), std::string::npos);
    EXPECT_EQ(zoq::test::RunProgram(ZOQ_PROGRAM_SAVE, { "info" }, {}, 20000).exitCode, 2);
}

TEST_F(SaveGameTest, zoqSaveShotWritesThePictureBottomUp)
{
    Bytes bytes = GameSave({});
    PutU32(bytes, SaveHeader::kSize, 0x00112233); // first pixel of the top row
    WriteBytes(Saves() / "shot.sav", bytes);
    const std::string out = (m_dir / "shot.bmp").string();
    const zoq::test::RunResult shot = zoq::test::RunProgram(
        ZOQ_PROGRAM_SAVE, { "shot", (Saves() / "shot.sav").string(), out }, {}, 20000);
    ASSERT_EQ(shot.exitCode, 0) << shot.err;
    const Bytes bmp = ReadBytes(out);
    ASSERT_EQ(bmp.size(), 54 + SaveHeader::kScreenshotSize);
    EXPECT_EQ(U32At(bmp, 54 + 255 * 1024), 0x00112233u) << "the top row is the file's last";

    ASSERT_TRUE(app.SaveLoc());
    const zoq::test::RunResult none = zoq::test::RunProgram(
        ZOQ_PROGRAM_SAVE, { "shot", (Saves() / "LOCS" / "data1.loc").string(), out }, {}, 20000);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("no picture"), std::string::npos);
}

} // namespace

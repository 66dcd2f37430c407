#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "tests/script/script_fixture.h"
#include "tests/support/le_bytes.h"
#include "world/objects/CZJAppEvent.h"

#include <cstring>

namespace {

// Runs a group message in the script named after the group's organisation.
class ScriptSink : public CZJAppEvent {
public:
    void OnAddRating(float, int) override { }
    void OnGroupMessage(const char* keyword, CFerroGroup* group) override
    {
        g_pScriptManager->ZJRunScript(("S" + std::to_string(group->organisation)).c_str(), 1, keyword);
    }
};

using zoq::test::ScriptTest;

class ManagerTest : public ScriptTest { };

TEST_F(ManagerTest, aTimerRunsTenAndAHalfMinutesLongerAndFiresItsTimeoutOnce)
{
    Script("QUESTS", "qst",
        "PROC GO\n_STARTTIMER(T,0)\n_STARTTIMER(FAR,240000)\nEND\nPROC T_TIMEOUT\n_SETEVENT(FIRED)\nEND\n");
    ASSERT_TRUE(manager->ZJRunScript("QUESTS", 2, "GO"));
    ASSERT_EQ(manager->Timers().size(), 2u);
    EXPECT_FLOAT_EQ(manager->Timers()[0].expiry, 1.0f + 0.007291666f);
    EXPECT_STREQ(manager->Timers()[0].owner, "QUESTS");
    EXPECT_EQ(manager->Timers()[0].ownerKind, 2);
    EXPECT_EQ(manager->NextTimer(), 0);

    GameTimeDays() = 1.007f;
    manager->CheckTimers();
    EXPECT_FALSE(manager->IsEventSet("FIRED"));
    EXPECT_TRUE(host.journalNotices.empty());

    GameTimeDays() = 1.0073f;
    manager->CheckTimers();
    EXPECT_TRUE(manager->IsEventSet("FIRED"));
    EXPECT_EQ(host.journalNotices.size(), 1u);
    ASSERT_EQ(manager->Timers().size(), 1u);
    EXPECT_STREQ(manager->Timers()[0].name, "FAR");
    EXPECT_EQ(manager->NextTimer(), -1); // 10000 days ahead: never next

    GameTimeDays() = 20000.0f;
    manager->CheckTimers();
    EXPECT_EQ(manager->Timers().size(), 1u);
    EXPECT_EQ(host.journalNotices.size(), 1u);
}

TEST_F(ManagerTest, aTimeoutThatStopsItsOwnTimerLeavesTheOtherOfThatName)
{
    Script("QUESTS", "qst",
        "PROC GO\n_STARTTIMER(T,0)\n_STARTTIMER(T,1)\nEND\nPROC T_TIMEOUT\n_STOPTIMER(T)\n_INFO(KEY)\nEND\n");
    manager->ZJRunScript("QUESTS", 2, "GO");
    GameTimeDays() = 1.01f;
    manager->CheckTimers();
    ASSERT_EQ(manager->Timers().size(), 1u);
    EXPECT_FLOAT_EQ(manager->Timers()[0].expiry, 1.0f + 0.041666668f + 0.007291666f);
    EXPECT_EQ(manager->NextTimer(), 0);
    EXPECT_EQ(manager->outputCount, 1);
}

TEST_F(ManagerTest, questsFollowTheirEventsAndTimers)
{
    manager->AddQuest("Q");
    EXPECT_TRUE(manager->IsEventSet("Q.GET"));
    EXPECT_EQ(host.Count("SND_INT_QUEST_GET"), 1);
    manager->StartTimer("Q", "24");
    EXPECT_FLOAT_EQ(manager->Quests()[0].time, manager->Timers()[0].expiry);
    GameTimeDays() = 1.5f;
    manager->SetEvent("Q.COMPLETE");
    manager->SetEvent("Q.COMPLETE");
    EXPECT_EQ(host.Count("SND_INT_QUEST_SUCCESS"), 1);
    EXPECT_FLOAT_EQ(manager->Quests()[0].time, 1.5f);
    EXPECT_TRUE(manager->Timers().empty());
    manager->AddQuest("R");
    manager->AddEvent("R", ".FAIL");
    EXPECT_EQ(host.Count("SND_INT_QUEST_FAIL"), 1);
    EXPECT_TRUE(manager->IsEventSet("R", ".FAIL"));
    manager->RemoveEvent("R.FAIL");
    EXPECT_FALSE(manager->IsEventSet("R.FAIL"));
}

TEST_F(ManagerTest, eventsGrowAndJoinWithoutALengthLimit)
{
    const std::string longName(70, 'E');
    for (int i = 0; i < 150; ++i)
        manager->SetEvent((longName + std::to_string(i)).c_str());
    EXPECT_EQ(manager->Events().Count(), 150);
    EXPECT_TRUE(manager->IsEventSet(longName.c_str(), "149"));
    const std::string longer(120, 'L');
    manager->AddEvent(longer.c_str(), ".X1");
    EXPECT_TRUE(manager->IsEventSet(longer.c_str(), ".X1"));
}

TEST_F(ManagerTest, getTextDrawsAmongTheVariantsUpToTheFirstDeletedOne)
{
    std::vector<std::string> expected;
    uint32_t seed = 0;
    for (int i = 0; i < 12; ++i) {
        seed = (seed * 9301u + 49297u) % 233280u;
        const uint32_t r = (seed / 256u) % 3u;
        expected.push_back(r == 0 ? "zero" : r == 1 ? "one" : "two");
    }
    std::vector<std::string> drawn;
    for (int i = 0; i < 12; ++i) {
        CXAnsiString text;
        EXPECT_TRUE(manager->GetText("KEY", text));
        drawn.emplace_back(text.Text());
    }
    EXPECT_EQ(drawn, expected);

    CXAnsiString text;
    EXPECT_FALSE(manager->GetText("MISSING", text));
    EXPECT_EQ(text, "MISSING");
    const std::string tooLong(40, 'K');
    EXPECT_FALSE(manager->GetText(tooLong.c_str(), text));
    EXPECT_EQ(text, tooLong.c_str());
    EXPECT_TRUE(manager->GetTextName("KEY", text));
    EXPECT_EQ(text, "Key name");
    EXPECT_FALSE(manager->GetTextName("KEY.1", text)); // no NAME
    EXPECT_EQ(text, "KEY.1");
}

TEST_F(ManagerTest, namesInTextsAreFilledIn)
{
    manager->playerName = "Ann";
    CXAnsiString text("Hi %NAME,\r\n %RATINGNAME");
    manager->UpdateXStringWithNames(text);
    EXPECT_EQ(text, "Hi Ann, RATING.1");
}

// Section 1 as written at version 258 with one of each item.
std::vector<uint8_t> FullSection(CZJScriptManager& m)
{
    m.playerName = "Pilot";
    m.SetEvent("E1");
    m.visitedBuildings = { "B1" };
    m.AddQuest("Q1");
    m.journal = { "J1", "J2" };
    m.StartTimer("T1", "5");
    m.statistics.killed = 7;
    m.statistics.CountKill(29);
    m.markedPoints = { "P1" };
    m.difficulty = 2;
    XMemBuffer stream(4096);
    m.SaveState(stream);
    return std::vector<uint8_t>(stream.Data(), stream.Data() + stream.Position());
}

void Load(CZJScriptManager& m, std::vector<uint8_t> bytes)
{
    XMemBuffer stream;
    stream.Attach(bytes.data(), int(bytes.size()));
    m.LoadState(stream);
}

TEST_F(ManagerTest, sectionOneLoadsBackEveryItem)
{
    const std::vector<uint8_t> bytes = FullSection(*manager);
    EXPECT_EQ(bytes[0], 2); // 258
    EXPECT_EQ(bytes[1], 1);
    CZJScriptManager loaded;
    Load(loaded, bytes);
    EXPECT_EQ(loaded.playerName, "Pilot");
    EXPECT_TRUE(loaded.IsEventSet("E1"));
    EXPECT_TRUE(loaded.IsEventSet("Q1.GET"));
    EXPECT_EQ(loaded.visitedBuildings, std::vector<std::string> { "B1" });
    ASSERT_EQ(loaded.Quests().size(), 1u);
    EXPECT_STREQ(loaded.Quests()[0].name, "Q1");
    EXPECT_EQ(loaded.journal, (std::vector<std::string> { "J1", "J2" }));
    ASSERT_EQ(loaded.Timers().size(), 1u);
    EXPECT_EQ(loaded.NextTimer(), 0);
    EXPECT_EQ(loaded.statistics.killed, 7);
    EXPECT_EQ(loaded.statistics.Kills(29), 1);
    EXPECT_EQ(loaded.statistics.Kills(30), 0);
    EXPECT_EQ(loaded.markedPoints, std::vector<std::string> { "P1" });
    EXPECT_EQ(loaded.difficulty, 2u);
}

TEST_F(ManagerTest, olderSectionsLeaveOutTheirLaterItems)
{
    std::vector<uint8_t> bytes = FullSection(*manager);
    // 255: no marked points, no difficulty.
    std::vector<uint8_t> v255(bytes.begin(), bytes.end() - 4 - 4 - 32);
    v255[0] = 255;
    v255[1] = 0;
    CZJScriptManager a;
    a.markedPoints = { "OLD" };
    Load(a, v255);
    EXPECT_TRUE(a.markedPoints.empty());
    EXPECT_EQ(a.difficulty, 1u);
    EXPECT_EQ(a.statistics.killed, 7);
    // Without a version the first word is the name length.
    std::vector<uint8_t> bare(v255.begin() + 4, v255.end());
    CZJScriptManager b;
    Load(b, bare);
    EXPECT_EQ(b.playerName, "Pilot");
    EXPECT_EQ(b.statistics.killed, 7);
}

TEST_F(ManagerTest, aBadSectionFailsAndChangesNothing)
{
    const std::vector<uint8_t> bytes = FullSection(*manager);
    std::vector<std::vector<uint8_t>> bad;
    for (std::size_t n : { std::size_t(2), std::size_t(12), bytes.size() / 2, bytes.size() - 1 })
        bad.emplace_back(bytes.begin(), bytes.begin() + long(n));
    std::vector<uint8_t> hugeName = bytes;
    hugeName[4] = 0xFF;
    hugeName[5] = 0xFF;
    bad.push_back(hugeName);
    std::vector<uint8_t> badLevel = bytes;
    badLevel[badLevel.size() - 4] = 9;
    bad.push_back(badLevel);
    for (const auto& section : bad) {
        CZJScriptManager m;
        m.playerName = "Keep";
        m.SetEvent("KEEP");
        XMemBuffer stream;
        std::vector<uint8_t> copy = section;
        stream.Attach(copy.data(), int(copy.size()));
        EXPECT_THROW(m.LoadState(stream), XRangeError);
        EXPECT_EQ(stream.Position(), 0);
        EXPECT_EQ(m.playerName, "Keep");
        EXPECT_TRUE(m.IsEventSet("KEEP"));
        EXPECT_TRUE(m.Quests().empty());
    }
}

TEST_F(ManagerTest, theSixteenthScriptEvictsTheLeastRecentlyUsedEntryNotInUse)
{
    for (int i = 0; i < 16; ++i)
        Script("S" + std::to_string(i), "scr", "PROC P\n_INFO(S" + std::to_string(i) + ")\nEND\n");
    for (int i = 0; i < 15; ++i) {
        GameTimeDays() = float(10 + i);
        ASSERT_NE(manager->ZJLoadScript(("S" + std::to_string(i)).c_str(), 1), nullptr);
    }
    GameTimeDays() = 30.0f;
    manager->ZJLoadScript("S0", 1); // S1 is now the oldest
    ASSERT_NE(manager->ZJLoadScript("S15", 1), nullptr);
    int found = 0;
    for (int i = 0; i < CZJScriptManager::kCacheEntries; ++i) {
        EXPECT_STRNE(manager->CacheEntry(i).name, "S1");
        found += std::string(manager->CacheEntry(i).name) == "S15";
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(manager->ZJLoadScript("NONE", 1), nullptr);
    EXPECT_FALSE(manager->ZJRunScript("NONE", 1, "P"));
    EXPECT_EQ(manager->ZJLoadScript("S0", 4), nullptr);
}

TEST_F(ManagerTest, scriptsInUseAreNeverEvictedAndTheSixteenthNestedRunFails)
{
    // Each script starts the next through a group message.
    for (int i = 0; i < 16; ++i) {
        const std::string next = "G" + std::to_string(i + 1);
        Script("S" + std::to_string(i), "scr",
            "PROC TEAMADD\n_INFO(IN" + std::to_string(i) + ")\n_ADDGROUPTOPLAYER(" + next + ")\n_INFO(OUT"
                + std::to_string(i) + ")\nEND\n");
    }
    for (int i = 0; i <= 16; ++i) {
        auto group = std::make_unique<CFerroGroup>();
        std::snprintf(group->name, sizeof group->name, "G%d", i);
        group->organisation = i;
        FerroGroupList.AddGroup(group.release());
    }
    ScriptSink sink;
    AppEvents = &sink;
    manager->ZJRunScript("S0", 1, "TEAMADD");
    AppEvents = nullptr;
    FerroGroupList.Clear();
    ASSERT_EQ(manager->outputCount, 30);
    for (int i = 0; i < 15; ++i) {
        EXPECT_STREQ(manager->Output(i).name, ("IN" + std::to_string(i)).c_str());
        EXPECT_STREQ(manager->Output(29 - i).name, ("OUT" + std::to_string(i)).c_str());
    }
    EXPECT_EQ(LogLineCount("every entry is in use: S15"), 1);
    EXPECT_EQ(manager->nesting, 0);
    EXPECT_STREQ(manager->runningScript, "");
}

TEST_F(ManagerTest, aFullOutputListDropsTheEntryAndTheRunGoesOn)
{
    std::string source = "PROC P\n";
    for (int i = 0; i < 31; ++i)
        source += "_INFO(KEY)\n";
    source += "_SETEVENT(DONE)\nEND\n";
    Script("FULL", "scr", source);
    EXPECT_TRUE(manager->ZJRunScript("FULL", 1, "P"));
    EXPECT_EQ(manager->outputCount, 30);
    EXPECT_EQ(LogLineCount("output list full: KEY dropped"), 1);
    EXPECT_TRUE(manager->IsEventSet("DONE"));
    EXPECT_STREQ(manager->Output(0).displayName.Text(), "Key name");
}

TEST_F(ManagerTest, theLastRunTellsWhetherItFoundItsProcedure)
{
    Script("LOC", "scr", "_SETEVENT(TOP)\nPROC EACHHOUR\n_SETEVENT(HOUR)\nEND\n");
    EXPECT_TRUE(manager->ZJRunScript("LOC", 1, "MISSING"));
    EXPECT_FALSE(manager->LastProcedureFound());
    manager->RunEachHour("LOC.zjp");
    EXPECT_TRUE(manager->LastProcedureFound());
    EXPECT_TRUE(manager->IsEventSet("HOUR"));
    EXPECT_FALSE(manager->IsEventSet("TOP"));
    EXPECT_TRUE(manager->ZJRunScript("LOC", 1, nullptr));
    EXPECT_TRUE(manager->IsEventSet("TOP"));
}

TEST_F(ManagerTest, resetStartsANewGame)
{
    FullSection(*manager);
    manager->journalLocked = 1;
    manager->Reset();
    EXPECT_EQ(manager->playerName, "Unnamed");
    EXPECT_EQ(manager->Events().Count(), 0);
    EXPECT_TRUE(manager->Quests().empty());
    EXPECT_TRUE(manager->Timers().empty());
    EXPECT_TRUE(manager->markedPoints.empty());
    EXPECT_EQ(manager->statistics.killed, 0);
    EXPECT_EQ(manager->journalLocked, 0);
    EXPECT_EQ(manager->NextTimer(), -1);
}

} // namespace

// The game's event sink and the journal lines over real machine groups, organisations and
// compiled scripts: pickup lines, kill events and rating changes, group messages that run their
// organisation's script, and the pending journal entries the message window shows. The message
// window has no window here, so each line it is given goes to error.log.
#include "tests/ai/group_fixture.h"

#include "app/CZJApp.h"
#include "app/CZJAppEventSink.h"
#include "foundation/BaseDirectory.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rating.h"
#include "foundation/XRangeError.h"
#include "render/Graphic.h"
#include "script/CZJScriptManager.h"
#include "tests/support/device_windows.h"
#include "tests/support/error_log_test.h"
#include "tests/support/text_table.h"
#include "tools/script/script_compiler.h"
#include "ui/CMHTLWindow.h"
#include "ui/CMessager.h"
#include "world/objects/SThingItem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kTexts = "[INT_PICKUP_MONEY]\nTEXT = Money %d\n"
                               "[INT_PICKUP_FERRO]\nTEXT = Machine %s\n"
                               "[INT_PICKUP_CONT]\nTEXT = Cargo %s\n"
                               "[INT_FERRO_KILLED]\nTEXT = %s (%s) destroyed\n"
                               "[INT_JOURNAL_UPDATED]\nTEXT = Journal updated\n"
                               "[BANDITS_MEMBER]\nNAME = Bandit\n"
                               "[ORG_NPC_MEMBER]\nNAME = Settler\n"
                               "[TOV_A]\nNAME = Alpha goods\n"
                               "[SCOUT]\nNAME = Scout\n"
                               "[KILL_NOTE]\nTEXT = Avenge us, %NAME\n"
                               "[TALK_NOTE]\nTEXT = Leave our road\n"
                               "[HERD_NOTE]\nTEXT = Moo\n";

SThingItem Item(const char* id, uint32_t amount)
{
    SThingItem item {};
    std::snprintf(item.id, sizeof item.id, "%s", id);
    item.amount = amount;
    return item;
}

class EventsTest : public GroupTest {
protected:
    void SetUp() override
    {
        GroupTest::SetUp();
        AppEvents = nullptr;
        std::string error;
        ASSERT_TRUE(zoq::test::WriteTextTable(m_dir, kTexts, error)) << error;
        SetBaseDirectory(m_dir.string());
        CZJScriptManager::s_textSeed = 0;
        scripts = std::make_unique<CZJScriptManager>();
        scripts->Init();
        g_pScriptManager = scripts.get();
        g_pMessager = &messager;
        g_pZJApp = &app;
        Script("BANDITS",
            "PROC KILLED\n    _INFO(KILL_NOTE)\nEND\n"
            "PROC TALK\n    _INFO(TALK_NOTE)\n    _JOURNAL(TALK_NOTE)\nEND\n");
        Script("GRP_HERD", "PROC TALK\n    _INFO(HERD_NOTE)\nEND\n");
        m_logged = LogLines().size();
    }
    void TearDown() override
    {
        g_pZJApp = nullptr;
        g_pMessager = nullptr;
        g_pScriptManager = nullptr;
        scripts.reset();
        SetBaseDirectory("");
        GroupTest::TearDown();
    }

    // Compiles source to SCRIPT\bin\<name>.scr.
    void Script(const std::string& name, const std::string& source)
    {
        const std::filesystem::path text = m_dir / "src" / (name + ".scr");
        zoq::test::WriteText(text, source);
        std::vector<std::string> lines;
        std::string error;
        ASSERT_TRUE(zoq::tools::script::CompileScript(text, m_dir / "src", lines, error)) << error;
        zoq::test::WriteBytes(
            m_dir / "SCRIPT" / "bin" / (name + ".scr"), zoq::tools::script::StoreScript(lines));
    }

    // The message lines shown since the last call.
    std::vector<std::string> Shown()
    {
        const std::string stamp = FormatErrorLogStamp(zoq::test::FixedLogTime());
        const std::vector<std::string> lines = LogLines();
        std::vector<std::string> shown;
        for (size_t i = m_logged; i < lines.size(); ++i)
            shown.push_back(lines[i].starts_with(stamp) ? lines[i].substr(stamp.size()) : lines[i]);
        m_logged = lines.size();
        return shown;
    }

    // A machine of a new group of that organisation, named RAIDER, at that rating.
    CFerrovant& Machine(const char* group, const char* org, float rating, int members = 1)
    {
        CFerrovant& machine = Group(group, members, 9, org).Member(0);
        std::snprintf(machine.name, sizeof machine.name, "RAIDER");
        machine.rating = rating;
        UpdateRatingLevel(rating, machine.level);
        return machine;
    }

    CZJApp app;
    CMessager messager;
    CZJAppEventSink events;
    std::unique_ptr<CZJScriptManager> scripts;

private:
    size_t m_logged = 0;
};

TEST_F(EventsTest, pickupsShowOneLineForMoneyOrAMachineAndOneForEachCargoItem)
{
    const SThingItem money[] = { Item("", 250) };
    const SThingItem machine[] = { Item("GRP_scout", 1) };
    const SThingItem cargo[] = { Item("TOV_A", 1), Item("TOV_B", 3) };
    struct Case {
        int kind;
        const SThingItem* items;
        int count;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        { CZJAppEventSink::kPickupMoney, money, 1, { "Money 250" } },
        { CZJAppEventSink::kPickupMachine, machine, 1, { "Machine Scout" } },
        { 513, cargo, 2, { "Cargo Alpha goods", "Cargo TOV_B (3)" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        events.OnPickup(c.kind, c.items, c.count);
        EXPECT_EQ(Shown(), c.lines);
    }
    const std::vector<SThingItem> eleven(11, Item("TOV_A", 1));
    EXPECT_THROW(events.OnPickup(513, eleven.data(), 11), XRangeError);
}

TEST_F(EventsTest, aKillByThePlayerCountsShowsItsLineRunsTheScriptAndLowersTheRating)
{
    struct Case {
        float rating;
        int32_t level; // before
        float after;
        int32_t levelAfter;
    };
    const float halfway5 = (RatingThresholds[4] + RatingThresholds[5]) / 2.0f;
    const float halfway4 = (RatingThresholds[3] + RatingThresholds[4]) / 2.0f;
    const Case cases[] = {
        { 100.0f, 2, 0.0f, 2 },
        { halfway5, 5, halfway4, 4 },
    };
    const int bandits = g_OrgManager.FindOrganisation("BANDITS");
    const int player = g_OrgManager.playerOrganisation;
    int kills = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        CFerrovant& machine = Machine(("GRP_" + std::to_string(c.level)).c_str(), "BANDITS", c.rating);
        ASSERT_EQ(machine.level, c.level);
        const float relation = g_OrgManager.GetPairValue(player, bandits, false);
        events.FerroWasKilledByPlayer(&machine);
        ++kills;
        EXPECT_FLOAT_EQ(machine.rating, c.after);
        EXPECT_EQ(machine.level, c.levelAfter);
        EXPECT_EQ(scripts->statistics.killed, kills);
        EXPECT_EQ(scripts->statistics.killedByLevel[c.level - 1], 1);
        EXPECT_EQ(scripts->statistics.Kills(bandits), kills);
        EXPECT_LT(g_OrgManager.GetPairValue(player, bandits, false), relation);
        EXPECT_EQ(Shown(),
            (std::vector<std::string> {
                "RAIDER (Bandit) destroyed: Avenge us, Unnamed", "RAIDER (Bandit) destroyed" }));
    }
}

TEST_F(EventsTest, aKillOfAnOrganisationBeyondTheTableCountsForTheFallbackWithoutARelationChange)
{
    const int npc = g_OrgManager.FindOrganisation("ORG_NPC");
    const int player = g_OrgManager.playerOrganisation;
    CFerrovant& machine = Machine("GRP_LOST", "BANDITS", 100.0f);
    machine.group->organisation = g_OrgManager.tableCount + 3;
    const float relation = g_OrgManager.GetPairValue(player, npc, false);
    events.FerroWasKilledByPlayer(&machine);
    EXPECT_EQ(scripts->statistics.Kills(npc), 1);
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(player, npc, false), relation);
    EXPECT_EQ(Shown(), (std::vector<std::string> { "RAIDER (Settler) destroyed" }));
}

TEST_F(EventsTest, equalThresholdsMoveTheRatingToTheBottomOfTheLowerLevel)
{
    float thresholds[11];
    std::copy(std::begin(RatingThresholds), std::end(RatingThresholds), thresholds);
    thresholds[5] = thresholds[4];
    EXPECT_FLOAT_EQ(CZJAppEventSink::LowerLevelRating(thresholds[4], 5, thresholds), thresholds[3]);
}

TEST_F(EventsTest, aDeathRaisesTheGroupsEventOnlyWhenItsLastMemberOfTwoOrMoreIsDown)
{
    struct Case {
        const char* group;
        int members;
        bool otherDown;
        bool groupEvent;
    };
    const Case cases[] = {
        { "GRP_PAIR", 2, true, true },
        { "GRP_ALIVE", 2, false, false },
        { "GRP_ALONE", 1, true, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        scripts->Reset();
        CFerrovant& machine = Machine(c.group, "BANDITS", 300.0f, c.members);
        machine.hull.destroyed = 1;
        if (c.members > 1)
            machine.group->Member(1).dead = c.otherDown ? 1 : 0;
        events.OnFerroKilled(&machine);
        EXPECT_TRUE(scripts->IsEventSet("RAIDER.KILLED"));
        EXPECT_EQ(scripts->IsEventSet(c.group, ".KILLED"), c.groupEvent);
    }
}

TEST_F(EventsTest, aDeathDecaysTheRatingOrClearsItBelowLevelTwo)
{
    CFerrovant& low = Machine("GRP_LOW", "BANDITS", 40.0f);
    events.OnFerroKilled(&low);
    EXPECT_EQ(low.rating, 0.0f);
    CFerrovant& high = Machine("GRP_HIGH", "BANDITS", 205.0f);
    events.OnFerroKilled(&high);
    EXPECT_FLOAT_EQ(high.rating, 205.0f * 0.95f);
    EXPECT_EQ(high.level, 2);
}

TEST_F(EventsTest, aGroupMessageShowsItsProcedureEntriesAfterTheGroupAsSpeaker)
{
    CFerroGroup& bandits = Group("GRP_ROAD", 1, 9, "BANDITS");
    scripts->AddOutput("TALK_NOTE", SScriptOutput::Info, 0);
    events.OnGroupMessage("TALK", &bandits);
    EXPECT_EQ(Shown(),
        (std::vector<std::string> { "<reference:Bandit=BANDITS> ROAD: Leave our road", "Journal updated" }));
    EXPECT_EQ(scripts->outputCount, 1) << "the pending entries as before the message";

    // The fallback organisation's groups run their own script and have no reference.
    CFerroGroup& herd = Group("GRP_HERD", 1, 9, "ORG_NPC");
    events.OnGroupMessage("TALK", &herd);
    EXPECT_EQ(Shown(), (std::vector<std::string> { "HERD: Moo" }));

    // No procedure, or no script at all: no line.
    events.OnGroupMessage("ESCAPE", &bandits);
    CFerroGroup& guards = Group("GRP_GATE", 1, 9, "ORG_GUARDS");
    events.OnGroupMessage("TALK", &guards);
    EXPECT_EQ(Shown(), std::vector<std::string> {});
}

TEST_F(EventsTest, theJournalShowsPendingEntriesUnlessLocked)
{
    scripts->AddOutput("TALK_NOTE", SScriptOutput::Info, 0);
    scripts->AddOutput("TALK_NOTE", SScriptOutput::Journal, 0);
    scripts->AddOutput("KILL_NOTE", SScriptOutput::Info, 0);
    scripts->journalLocked = 1;
    app.UpdateJournal(1);
    app.AddJournalLine(0, "SPEAKER", true);
    EXPECT_EQ(Shown(), std::vector<std::string> {});
    EXPECT_FALSE(scripts->IsEventSet("TALK_NOTE.GET"));

    scripts->journalLocked = 0;
    app.UpdateJournal(1);
    EXPECT_EQ(
        Shown(), (std::vector<std::string> { "Leave our road", "Journal updated", "Avenge us, Unnamed" }));
    EXPECT_TRUE(scripts->IsEventSet("TALK_NOTE.GET"));
    EXPECT_TRUE(scripts->IsEventSet("KILL_NOTE.GET"));

    app.AddJournalLine(2, "SPEAKER", true);
    EXPECT_EQ(Shown(),
        (std::vector<std::string> {
            "SPEAKER: Leave our road", "Journal updated", "Avenge us, Unnamed", "SPEAKER" }));
    app.AddJournalLine(2, "SPEAKER", false);
    EXPECT_EQ(Shown().size(), 3u) << "without the line itself";
}

// Pickups are green; kill lines and the fallback organisation's group lines grey; another
// organisation's group lines white.
TEST_F(EventsTest, eachLineTakesItsColour)
{
    ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
    zoq::test::FakeWindow window { 640, 480 };
    struct Release {
        ~Release() { g_Graphic.Release(); }
    } release;
    ASSERT_TRUE(g_Graphic.CreateDevice(0, 640, 480, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
        plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &window));
    CMessager shown;
    shown.clock = [] { return 100.0; };
    ASSERT_TRUE(shown.Init());
    g_pMessager = &shown;

    const SThingItem money[] = { Item("", 5) };
    events.OnPickup(CZJAppEventSink::kPickupMoney, money, 1);
    events.FerroWasKilledByPlayer(&Machine("GRP_ROAD", "BANDITS", 100.0f));
    events.OnGroupMessage("TALK", &Group("GRP_HERD", 1, 9, "ORG_NPC"));
    events.OnGroupMessage("TALK", &Group("GRP_HILL", 1, 9, "BANDITS"));
    g_pMessager = &messager;

    std::vector<uint32_t> colours;
    const CMHTLWindow& lines = *shown.Window();
    for (int i = 0; i < lines.BlockCount(); ++i)
        colours.push_back(lines.Line(lines.Block(i).lastLine).colour);
    const uint32_t green = CMessager::kColours[1];
    const uint32_t grey = CMessager::kColours[0];
    const uint32_t white = CMessager::kColours[4];
    EXPECT_EQ(colours, (std::vector<uint32_t> { green, grey, grey, grey, white, white }));
}

TEST_F(EventsTest, aRatingRewardReachesTheScriptManager)
{
    events.OnAddRating(10.0f, 1);
    EXPECT_FLOAT_EQ(scripts->statistics.rating[0], 10.0f);
}

} // namespace

// The in-base menu's text panel and progress pages on the null backend with the real script
// manager: link words, jumps, quests offered and accepted, the run-again passes, the time left,
// the journal order, the statistics page and the player list.
#include "ai/CFerrovant.h"
#include "foundation/CTimer.h"
#include "net/CZJDPClient.h"
#include "tests/ui/menu_fixture.h"
#include "ui/CMainMenu.h"
#include "ui/CMenuListEntry.h"
#include "ui/MenuLinks.h"
#include "world/db/CZJEngine.h"
#include "world/terrain/CEnvironment.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class NetworkHost : public uitest::TypingHost {
public:
    uint32_t State() override { return state; }
    uint32_t state = 0;
};

class RecordingMenu : public CMainMenu {
public:
    void ProcessCommand(int id) override
    {
        commands.push_back(id);
        CMainMenu::ProcessCommand(id);
    }
    std::vector<int> commands;
};

class MenuTextTest : public uitest::MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        SetMenuHost(&netHost);
        FrameTime = 0.05f;
        machine = std::make_unique<CFerrovant>();
        PlayerFerrovant = machine.get();
        menu = std::make_unique<RecordingMenu>();
        std::strcpy(menu->buildingKey, "B_TEST");
        menu->buildingTitle = "Test base";
        menu->Init();
        std::memset(ZJEngine.destinationFile, 0, sizeof ZJEngine.destinationFile);
        ZJEngine.pendingAction.actionBuilding = {};
    }
    void TearDown() override
    {
        menu.reset();
        PlayerFerrovant = nullptr;
        NetClient.players.Done();
        SetMenuHost(nullptr);
        MenuTest::TearDown();
    }
    std::string Texts() const override
    {
        return "[LINKSOLD]\nNAME = Sold\nTEXT = What was sold\n"
               "[INT_NO_TASK]\nTEXT = Nothing to do\n"
               "[INT_ACCEPTTASK_QUESTION]\nTEXT = Take it? <link:Yes=LINKACCEPTQUEST>\n"
               "[INT_PLAYER_GOT_TASK]\nTEXT = Task taken\n"
               "[INT_TIMELEFT]\nNAME = Left %d h %d min\n"
               "[INT_PLAYER_ADD_BALANCE]\nTEXT = Got %COUNT\n"
               "[Q_RUN]\nNAME = Run\nTEXT = Run the ore\n"
               "[RATING.1]\nNAME = Novice\n[RATING.2]\nNAME = Apprentice\n"
               "[INT_STAT_EXPO]\nNAME = Experience\nTEXT = Points %d\n"
               "[INT_STAT_RATING]\nTEXT = Level %d\n"
               "[INT_STAT_RATING_TONEXT]\nTEXT = Missing %d\n"
               "[INT_STAT_KILLED]\nNAME = Kills\nTEXT = Killed %d\n"
               "[INT_STAT_KILLED_BY_RATING]\nTEXT = By level\n"
               "[INT_NET_PLAYER_LIST]\nNAME = Players\n"
               "[INT_NET_PLAYER_STAT]\nTEXT = %s L%d %d%% K%d\n";
    }
    void ClickWord(const std::string& word)
    {
        menu->textPanel->linkTarget = word;
        menu->textPanel->linkClicked = 1;
        menu->RunControl();
    }
    std::string Panel() const
    {
        std::string text;
        CMHTLWindow& window = *menu->textPanel->window;
        for (int i = 0; i < window.LineCount(); ++i)
            text += std::string(window.Line(i).text.Text()) + "|";
        return text;
    }
    bool HasBlock(const char* name) const { return menu->textPanel->window->SetBlock(name, true); }

    NetworkHost netHost;
    std::unique_ptr<CFerrovant> machine;
    std::unique_ptr<RecordingMenu> menu;
};

TEST_F(MenuTextTest, linkWordsSendTheirCommandsAndATextKeyShowsItsText)
{
    Script("B_TEST", "scr", "PROC NOTHING\nEND\n");
    for (const SLinkWord& link : kLinkWords) {
        menu->commands.clear();
        ClickWord(link.word);
        if (std::string(link.word) == "LINKSOLD") {
            EXPECT_TRUE(menu->commands.empty()) << "a text key is shown, not carried out";
            EXPECT_TRUE(HasBlock("LINKSOLD"));
            EXPECT_NE(Panel().find("What was sold"), std::string::npos);
        } else {
            EXPECT_EQ(menu->commands, std::vector<int> { link.command }) << link.word;
        }
        EXPECT_EQ(menu->textPanel->linkClicked, 0);
    }
    EXPECT_EQ(LinkWordCommand("linkbuy"), -1);
    EXPECT_EQ(LinkWordCommand("LINKBUYX"), -1);
    EXPECT_EQ(LogLineCount("unknown idetificator"), 0) << "a script without the procedure is silent";
}

TEST_F(MenuTextTest, unknownScriptIsLogged)
{
    ClickWord("SOMETHING");
    EXPECT_EQ(LogLineCount("HTML return unknown idetificator: SOMETHING"), 1);
}

TEST_F(MenuTextTest, jumpLinksSetTheTargetOrAreRefused)
{
    struct Case {
        std::string word;
        const char* file; // null: no jump
        const char* entry;
    };
    const Case cases[] = {
        { "LINKJUMPTO 3 gate", "location3.zjp", "gate" },
        { "LINKJUMPTO Data\\MAPS\\far_away_sector.zjp", "Data\\MAPS\\far_away_sector.zjp", "" },
        { "LINKJUMPTO", nullptr, "" },
        { "LINKJUMPTO ", nullptr, "" },
        { "LINKJUMPTO 3 " + std::string(40, 'e'), nullptr, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        menu->result = 0;
        menu->closing = 0; // each case a fresh run of the menu
        std::memset(ZJEngine.destinationFile, 0, sizeof ZJEngine.destinationFile);
        const int logged = int(LogLines().size());
        ClickWord(c.word);
        if (c.file) {
            EXPECT_EQ(menu->result, CMainMenu::kResultLinkJump);
            EXPECT_STREQ(ZJEngine.destinationFile, c.file);
            EXPECT_STREQ(ZJEngine.pendingAction.actionBuilding.text, c.entry);
            EXPECT_EQ(LogLineCount(std::string("JUMP to '") + c.file + "'"), 1);
        } else {
            EXPECT_EQ(menu->result, 0u);
            EXPECT_STREQ(ZJEngine.destinationFile, "");
            EXPECT_EQ(int(LogLines().size()), logged + 1);
        }
    }
}

TEST_F(MenuTextTest, questOfferedOnceAcceptedWithItsTimeLeft)
{
    Script("B_TEST", "scr", "PROC Q_RUN\n_ADDBALANCE(25)\nEND\n");
    Script("B_TEST", "qst", "IF(!Q_RUN.GET)\n{\n_QUEST(Q_RUN)\n}\nPROC Q_RUN\n_STARTTIMER(Q_RUN,6)\nEND\n");
    ClickWord("LINKQUEST");
    ClickWord("LINKQUEST");
    std::string panel = Panel();
    EXPECT_EQ(panel.find("Take it?"), panel.rfind("Take it?")) << panel;
    ASSERT_NE(panel.find("Take it?"), std::string::npos) << panel;

    ClickWord("LINKACCEPTQUEST");
    EXPECT_FALSE(HasBlock("LINKACCEPTQUEST"));
    ASSERT_EQ(manager->Quests().size(), 1u);
    panel = Panel();
    EXPECT_NE(panel.find("Task taken"), std::string::npos) << panel;
    const int32_t minutes = QuestMinutesLeft(manager->Quests()[0].time, GameTimeDays(), true);
    EXPECT_NE(
        panel.find("Left " + std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min"),
        std::string::npos)
        << panel;

    menu->textPanel->window->Clear();
    ClickWord("LINKQUEST");
    EXPECT_NE(Panel().find("Nothing to do"), std::string::npos) << "the quest is taken";
}

TEST_F(MenuTextTest, questWithoutARunningTimerShowsNoTimeLeft)
{
    Script("B_TEST", "qst", "IF(!Q_RUN.GET)\n{\n_QUEST(Q_RUN)\n}\nPROC Q_RUN\nEND\n");
    ClickWord("LINKACCEPTQUEST");
    ASSERT_EQ(manager->Quests().size(), 1u);
    const std::string panel = Panel();
    EXPECT_NE(panel.find("Task taken"), std::string::npos) << panel;
    EXPECT_EQ(panel.find("Left"), std::string::npos) << panel;
}

TEST(MenuTextRules, timeLeftIsTenMinutesShortInWholeMinutes)
{
    const float now = 3.0f;
    EXPECT_EQ(QuestMinutesLeft(now + 1.5f / 24.0f, now, true), 80) << "1:20";
    EXPECT_EQ(QuestMinutesLeft(now + 6.0f / 24.0f, now, true), 350) << "5:50";
    EXPECT_EQ(QuestMinutesLeft(now + 5.0f / 1440.0f, now, true), 0);
    EXPECT_EQ(QuestMinutesLeft(now - 1.0f, now, true), 0);
}

TEST_F(MenuTextTest, runAgainStopsAfterThreePassesWithOneLogLine)
{
    Script("B_TEST", "scr", "_ADDBALANCE(25)\n_RESTART()\n");
    EXPECT_TRUE(menu->RunScript(CMainMenu::kScriptEvent, nullptr, 0));
    EXPECT_EQ(LogLineCount("CMainMenu::RunScript script loop fail"), 1);
    EXPECT_FLOAT_EQ(machine->cargo.bulkAmount, 75.0f) << "three passes";
    const std::string panel = Panel();
    EXPECT_NE(panel.find("Got 25"), std::string::npos) << panel;
    EXPECT_EQ(panel.find("Got 25"), panel.rfind("Got 25")) << "each pass clears the panel";
}

TEST_F(MenuTextTest, namesAreSubstitutedAndABlockIsShownOnce)
{
    EXPECT_EQ(menu->ShowHTMLText(CXAnsiString("Hello"), CXAnsiString("at %BUILDINGNAME"), "B1", 0, 0), 0u);
    EXPECT_EQ(menu->ShowHTMLText(CXAnsiString("Hello"), CXAnsiString("again"), "B1", 0, 0), 1u);
    const std::string panel = Panel();
    EXPECT_NE(panel.find("at Test base"), std::string::npos) << panel;
    EXPECT_EQ(panel.find("again"), std::string::npos) << panel;
}

class JournalTest : public MenuTextTest { };

TEST_F(JournalTest, journalGroupsQuestsAndPutsUnreadNotesFirst)
{
    const char* quests[] = { "Q_A", "Q_B", "Q_C", "Q_D" };
    for (const char* quest : quests)
        manager->AddQuest(quest);
    manager->SetEvent("Q_B.COMPLETE");
    manager->SetEvent("Q_C.FAIL");
    manager->SetEvent("Q_D.COMPLETE");
    manager->SetEvent("Q_D.FAIL");
    manager->journal = { "N_1", "N_2", "N_3", "N_4" };
    manager->SetEvent("N_1.NC");
    manager->SetEvent("N_3.NC");
    std::string order;
    for (const SListEntry& entry : menu->BuildJournalList())
        order += std::string(entry.key) + (entry.kind == kEntryOpenHeader ? ":" : ",");
    EXPECT_EQ(order,
        "INT_QUESTS:Q_A_BRIEF,INT_QUESTS_COMPLETE:Q_D_BRIEF,Q_B_BRIEF,INT_QUESTS_FAIL:Q_D_BRIEF,Q_C_BRIEF,"
        "INT_JOURNAL:N_3,N_1,N_4,N_2,");
}

TEST_F(JournalTest, statisticsComeFromTheBlockByOffset)
{
    uint8_t block[212] = {};
    const float income0 = 900.0f;
    std::memcpy(block + 8, &income0, 4);
    const int32_t killed = 0;
    std::memcpy(block + 44, &killed, 4);
    static_assert(sizeof manager->statistics == sizeof block);
    std::memcpy(&manager->statistics, block, sizeof block);
    machine->rating = 120.0f;
    machine->level = 0;
    menu->ShowStatistics();
    EXPECT_EQ(machine->level, 1) << "level 0 is stored as 1";
    std::string panel = Panel();
    EXPECT_NE(panel.find("Level 1 ( Novice )"), std::string::npos) << panel;
    EXPECT_NE(panel.find("Points 120"), std::string::npos) << panel;
    EXPECT_EQ(panel.find("By level"), std::string::npos) << "no kills: only the count";

    menu->textPanel->window->Clear();
    machine->level = 2;
    manager->statistics.killed = 3;
    manager->statistics.killedByLevel[1] = 3;
    menu->ShowStatistics();
    panel = Panel();
    EXPECT_NE(panel.find("Missing 80"), std::string::npos) << panel;
    EXPECT_NE(panel.find("Killed 3"), std::string::npos) << panel;
    EXPECT_NE(panel.find("By level"), std::string::npos) << panel;
}

TEST_F(JournalTest, playerListSortedByScoreAndEmptyShowsTheTitle)
{
    netHost.state = 3;
    menu->ShowPlayerList();
    EXPECT_NE(Panel().find("Players"), std::string::npos);
    EXPECT_EQ(Panel().find(" L"), std::string::npos);
    EXPECT_EQ(LogText(), "");

    menu->textPanel->window->Clear();
    const std::pair<const char*, int32_t> players[]
        = { { "Low", 1 }, { "<color:FF0000>High", 9 }, { "Mid", 5 } };
    for (const auto& [name, kills] : players) {
        SPlayerInfo info {};
        std::strcpy(info.name, name);
        info.kills = kills;
        const float rating = 100.0f;
        std::memcpy(&info.rating, &rating, 4);
        NetClient.players.Add(info);
    }
    menu->ShowPlayerList();
    const std::string panel = Panel();
    const size_t high = panel.find("color:FF0000High L2 33% K9");
    const size_t mid = panel.find("Mid L2");
    const size_t low = panel.find("Low L2");
    ASSERT_NE(high, std::string::npos) << "names lose their mark-up: " << panel;
    EXPECT_LT(high, mid);
    EXPECT_LT(mid, low);
}

} // namespace

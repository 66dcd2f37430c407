#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "ai/CFerrovant.h"
#include "platform/win/text.h"
#include "script/ScriptCommands.h"
#include "tests/script/script_fixture.h"
#include "tests/support/ini_tables.h"
#include "ui/CRadar.h"
#include "world/db/COrgManager.h"
#include "world/db/CRoadManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CObjectList.h"

#include <cstring>
#include <set>

namespace {

constexpr int kPlayer = 0, kFree = 1, kA = 2, kB = 3;

class CommandsTest : public zoq::test::ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        zoq::test::UseIniTables(
            { { plat::win::Utf8ToCp1251("Организации"), "[ORG_PLAYER]\n[ORG_FREE]\n[ORG_A]\n[ORG_B]\n" } });
        g_OrgManager.Init(plat::win::Utf8ToCp1251("Организации").c_str());
        ObjectList.Clear();
        FerroGroupList.Clear();
        g_pRadar = new CRadar();
    }
    void TearDown() override
    {
        ObjectList.Clear();
        FerroGroupList.Clear();
        g_RoadManager.Nodes().Done();
        delete g_pRadar;
        ScriptTest::TearDown();
    }

    // The command's own result, as an IF condition sees it.
    bool Run(const std::string& call) { return manager->CheckCondition(("IF(" + call + ")").c_str()); }

    CFerroGroup& Group(const char* name, int members = 1)
    {
        auto group = std::make_unique<CFerroGroup>();
        std::snprintf(group->name, sizeof group->name, "%s", name);
        group->memberCount = members;
        CFerroGroup& added = *group;
        FerroGroupList.AddGroup(group.release());
        return added;
    }
};

TEST(ScriptCommandTable, hashesAreDistinctAndMatchTheKnownValues)
{
    const auto commands = ScriptCommands();
    ASSERT_EQ(commands.size(), 61u);
    std::set<int> hashes;
    int withHandler = 0;
    for (const ScriptCommand& command : commands) {
        hashes.insert(HashScriptName(command.keyword));
        withHandler += command.handler != nullptr;
    }
    EXPECT_EQ(hashes.size(), 61u);
    EXPECT_EQ(HashScriptName("INFO"), 3455);
    EXPECT_EQ(HashScriptName("DIE"), 2311);
    EXPECT_EQ(HashScriptName("REMOVEGROUPFROMPLAYER"), 32559);
    EXPECT_EQ(HashScriptName(""), 0);
    EXPECT_EQ(HashScriptName("TDFO"), 3455); // same hash, another name
    EXPECT_EQ(FindScriptCommand("TDFO"), nullptr);
    EXPECT_EQ(FindScriptCommand("SETPOLITICS"), nullptr);
    EXPECT_NE(FindScriptCommand("INFO"), nullptr);
    EXPECT_EQ(std::string(commands[60].keyword), "REANIMATE");
}

TEST_F(CommandsTest, aNameOfAnotherCommandsHashTakesTheUnknownPath)
{
    EXPECT_FALSE(Run("_TDFO(KEY)"));
    EXPECT_FALSE(Run("_MOREGLIDERS(1)"));
    EXPECT_EQ(manager->outputCount, 0);
    EXPECT_EQ(LogLineCount("CZJScriptManager::RunFunction Unknown user procedure TDFO"), 1);
    EXPECT_EQ(LogLineCount("Unknown user procedure MOREGLIDERS"), 1);
}

TEST_F(CommandsTest, outputCommandsAppendTheirEntries)
{
    EXPECT_TRUE(Run("_INFO(KEY)"));
    EXPECT_TRUE(Run("_KNOW(X)"));
    EXPECT_TRUE(Run("_QUEST(Q)"));
    EXPECT_TRUE(Run("_JOURNAL(J)"));
    ASSERT_EQ(manager->outputCount, 4);
    EXPECT_EQ(manager->Output(0).kind, SScriptOutput::Info);
    EXPECT_EQ(manager->Output(0).displayName, "Key name");
    EXPECT_EQ(manager->Output(1).kind, SScriptOutput::Info);
    EXPECT_EQ(manager->Output(1).text, "X");
    EXPECT_EQ(manager->Output(2).kind, SScriptOutput::Quest);
    EXPECT_EQ(manager->Output(3).kind, SScriptOutput::Journal);
    EXPECT_EQ(manager->journal, std::vector<std::string> { "J" });
    EXPECT_TRUE(Run("_SETEVENT(E)") && manager->IsEventSet("E"));
    EXPECT_TRUE(Run("_REMOVEEVENT(E)") && !manager->IsEventSet("E"));
    EXPECT_TRUE(Run("_ADDQUEST(Q)") && manager->IsEventSet("Q.GET"));
}

TEST_F(CommandsTest, orgRelationsFollowThePlayersOrganisation)
{
    g_OrgManager.playerOrganisation = kA;
    g_OrgManager.SetRelation(kPlayer, kB, 0.1f, false);
    g_OrgManager.SetRelation(kA, kB, 0.2f, false);
    EXPECT_TRUE(Run("_SETORGRELATION(ORG_B,ORG_PLAYER,10,R)"));
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kPlayer, kB, false), 0.2f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kA, kB, false), 0.3f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kA, kB, true), 0.2f); // the standard value stays
    EXPECT_TRUE(Run("_SETORGRELATION(ORG_PLAYER,ORG_B,-60)"));
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kPlayer, kB, false), -0.6f);
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kA, kB, false), -0.6f);
    EXPECT_TRUE(Run("_PLAYERISENEMY(ORG_B)"));
    EXPECT_FALSE(Run("_PLAYERISFRIEND(ORG_B)"));
    EXPECT_TRUE(Run("_RESTOREORGRELATION(ORG_A,ORG_B)"));
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kA, kB, false), 0.2f);
    EXPECT_TRUE(Run("_SETORGSTDRELATION(ORG_A,ORG_B,60)"));
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kA, kB, true), 0.6f);
    EXPECT_TRUE(Run("_PLAYERISFRIEND(ORG_B)"));
    EXPECT_TRUE(Run("_PLAYERINORG(ORG_A)"));
    EXPECT_FALSE(Run("_PLAYERINORG(ORG_B)"));

    // Without an organisation of his own only the pair changes.
    g_OrgManager.playerOrganisation = kPlayer;
    EXPECT_TRUE(Run("_SETORGRELATION(ORG_PLAYER,ORG_B,40)"));
    EXPECT_FLOAT_EQ(g_OrgManager.GetPairValue(kA, kB, false), 0.6f);
    EXPECT_FALSE(Run("_PLAYERISENEMY(ORG_NONE)"));
    EXPECT_EQ(LogLineCount("Player is enemy - 'ORG_NONE' ogranisation not found"), 1);
    EXPECT_TRUE(Run("_SETORGRELATION(ORG_NONE,ORG_B,40)"));
}

TEST_F(CommandsTest, orgPowerAndKillsCompare)
{
    EXPECT_FALSE(Run("_ORGRATINGMORE(ORG_A,0)")); // equal is not more
    EXPECT_TRUE(Run("_ORGRATINGMORE(ORG_A,-1)"));
    EXPECT_FALSE(Run("_ORGRATINGMORE(ORG_NONE,-1)"));
    manager->statistics.CountKill(kA);
    manager->statistics.CountKill(kA);
    EXPECT_TRUE(Run("_MOREORGKILLED(ORG_A,2)"));
    EXPECT_FALSE(Run("_MOREORGKILLED(ORG_A,3)"));
    EXPECT_TRUE(Run("_SETORGAUTORITY(ORG_A,0.7)"));
    EXPECT_FLOAT_EQ(g_OrgManager.GetAuthority(kA), 0.7f);
    EXPECT_TRUE(Run("_RESTOREORGAUTORITY(ORG_A)"));
    EXPECT_TRUE(Run("_SETORGAUTORITY(ORG_NONE,0.7)"));
}

TEST_F(CommandsTest, taskExistLooksForTheRunningScriptsTaskTimer)
{
    std::strcpy(manager->runningScript, "B1");
    EXPECT_TRUE(Run("_TASKEXIST()"));
    EXPECT_TRUE(Run("_TASKEXIST(1)"));
    manager->StartTimer("B1.NEXTTASK", "24");
    EXPECT_FALSE(Run("_TASKEXIST()"));
    EXPECT_TRUE(Run("_TASKEXIST(1)"));
    manager->StopTimer("B1.NEXTTASK");
    manager->StartTimer("B1.NEXTTASK", "24000");
    EXPECT_FALSE(Run("_TASKEXIST(1)"));
}

TEST_F(CommandsTest, pauseTogglesTheMessageWindow)
{
    EXPECT_FALSE(Run("_PAUSE(0)"));
    EXPECT_EQ(host.toggles, 0);
    EXPECT_TRUE(Run("_PAUSE()"));
    EXPECT_TRUE(host.expanded);
    EXPECT_TRUE(Run("_PAUSE(0)"));
    EXPECT_FALSE(host.expanded);
    EXPECT_EQ(host.toggles, 2);
}

TEST_F(CommandsTest, applicationCommandsGoThroughItsInterface)
{
    EXPECT_TRUE(Run("_PROCESS(1)"));
    EXPECT_FALSE(Run("_PROCCESS(2)"));
    EXPECT_EQ(host.processes, (std::vector<int> { 1, 2 }));
    EXPECT_TRUE(Run("_SETBONUS(1.5,2)"));
    EXPECT_EQ(host.bonus, (std::vector<float> { 1.5f, 2.0f }));
    g_pScriptHost = nullptr;
    EXPECT_FALSE(Run("_PROCESS(1)"));
    EXPECT_FALSE(Run("_PAUSE()"));
}

TEST_F(CommandsTest, groupCommandsAnswerWhetherTheGroupIsMissing)
{
    EXPECT_TRUE(Run("_STOPGROUP(G1,1)"));
    EXPECT_TRUE(Run("_SETGROUPAT(G1,P1)"));
    EXPECT_FALSE(Run("_REANIMATE(G1)"));
    CFerroGroup& group = Group("G1");
    EXPECT_FALSE(Run("_STOPGROUP(G1,1)"));
    EXPECT_EQ(group.halted, 1);
    EXPECT_FALSE(Run("_STOPGROUP(G1)"));
    EXPECT_EQ(group.halted, 0);
    EXPECT_TRUE(Run("_SETGROUPAT(G1,P1)")); // no such point
    SRoadNode node {};
    std::strcpy(node.name, "P1");
    g_RoadManager.Nodes().Add(node);
    std::strcpy(node.name, "P2");
    g_RoadManager.Nodes().Add(node);
    EXPECT_FALSE(Run("_SETGROUPAT(G1,P2,P1)"));
    EXPECT_FALSE(Run("_SETGROUPAT(G1,P1)"));
    group.active = 0;
    EXPECT_TRUE(Run("_REANIMATE(G1)"));
    EXPECT_EQ(group.active, 1);
    EXPECT_TRUE(Run("_MOVE(G1,P1,3)"));
}

TEST_F(CommandsTest, theTeamCommandsFindTheirGroup)
{
    CFerroGroup& group = Group("G1");
    EXPECT_TRUE(Run("_ADDGROUPTOPLAYER(G1)"));
    EXPECT_EQ(group.attachedToPlayer, 1);
    EXPECT_TRUE(Run("_ADDGROUPTOPLAYER(G9)"));
    EXPECT_TRUE(Run("_REMOVEGROUPFROMPLAYER(G1)"));
    EXPECT_EQ(group.attachedToPlayer, 0);
    EXPECT_TRUE(Run("_REMOVEGROUPFROMPLAYER(G9)"));
    EXPECT_EQ(LogLineCount("CZJScriptManager::RemoveGroupFromPlayer group 'G9' not found"), 1);
}

TEST_F(CommandsTest, showAndHideReachGroupsAndObjects)
{
    CFerroGroup& group = Group("G1");
    EXPECT_TRUE(Run("_HIDEOBJECT(G1)"));
    EXPECT_EQ(group.assembled, 1);
    EXPECT_EQ(group.visible, 0);
    EXPECT_EQ(group.hidden, 1);
    Group("EMPTY", 0);
    EXPECT_TRUE(Run("_SHOWOBJECT(EMPTY)"));
    EXPECT_EQ(LogLineCount("CZJScriptManager::ShowObject group is empty"), 1);
    auto* object = new CZJObject;
    std::strcpy(object->name, "THING");
    ObjectList.AddObject(object);
    EXPECT_TRUE(Run("_SHOWOBJECT(THING)"));
    EXPECT_EQ(object->visible, 1);
    EXPECT_TRUE(Run("_HIDEOBJECT(THING)"));
    EXPECT_EQ(object->visible, 0);
    EXPECT_TRUE(Run("_SHOWOBJECT(NOTHING)"));
    EXPECT_EQ(LogLineCount("CZJScriptManager::ShowObject object 'NOTHING' not found"), 1);
}

TEST_F(CommandsTest, marksSensorsAndTheDieHeight)
{
    Group("G1");
    EXPECT_TRUE(Run("_MARK(G1)"));
    EXPECT_TRUE(g_pRadar->tracking);
    EXPECT_STREQ(g_pRadar->trackedGroupName, "G1");
    EXPECT_TRUE(Run("_MARK(B1)"));
    EXPECT_FALSE(g_pRadar->tracking);
    EXPECT_EQ(LogLineCount("CRadar::MarkObject object 'B1' not found"), 1);
    manager->markedPoints = { "B1", "B2" };
    EXPECT_TRUE(Run("_UNMARK(B1)"));
    EXPECT_EQ(manager->markedPoints, std::vector<std::string> { "B2" });
    EXPECT_EQ(host.Count("SND_INT_MAP_PLACE"), 3);

    const float placement[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
    auto* point = new CHelperPoint(placement, "POINT1", 0);
    ObjectList.AddHelperPoint(point);
    EXPECT_TRUE(Run("_ADDSENSOR(POINT1)"));
    EXPECT_TRUE(Run("_ADDSENSOR(POINT1)"));
    EXPECT_TRUE(Run("_ADDSENSOR(POINT9)"));
    ASSERT_EQ(ObjectList.Sensors().Count(), 1);
    EXPECT_EQ(ObjectList.Sensors().At(0), point);

    EXPECT_TRUE(Run("_SETDIEHEIGHT(-50.5)"));
    EXPECT_FLOAT_EQ(Environment.dieHeight, -50.5f);
    Environment.dieHeight = -1000.0f;
}

TEST_F(CommandsTest, aScriptedOrganisationIsDescribedByItsAboutProcedure)
{
    ASSERT_TRUE(g_OrgManager.ApplyPolitics(";ORG_NEW;ORG_QUIET\n;0;0\n;0;0\n"));
    const int added = g_OrgManager.FindOrganisation("ORG_NEW");
    ASSERT_GE(added, g_OrgManager.GetFirstScriptedIndex());
    Script("ORG_NEW", "scr", "PROC ABOUT\n_INFO(ORG_NEW_ABOUT)\nEND\n");
    Script("ORG_QUIET", "scr", "PROC ABOUT\nEND\n");
    EXPECT_EQ(manager->GetAboutText(added), "ORG_NEW_ABOUT");
    EXPECT_EQ(manager->GetAboutText(g_OrgManager.FindOrganisation("ORG_QUIET")), "ORG_QUIET");
    EXPECT_EQ(manager->GetAboutText(kA), "ORG_A");
    EXPECT_EQ(manager->GetAboutText(-1), "_DEFAULT_");
    g_OrgManager.playerOrganisation = kA;
    CXAnsiString text("%ORGMEMBER");
    manager->UpdateXStringWithNames(text);
    EXPECT_EQ(text, "Member");
}

TEST_F(CommandsTest, ejectAndRestartRaiseTheirFlagsForTheCaller)
{
    Script("FLAGS", "scr", "PROC P\n_EJECT()\n_RESTART()\nEND\n");
    manager->ZJRunScript("FLAGS", 1, "P");
    EXPECT_EQ(manager->eject, 1);
    EXPECT_EQ(manager->restart, 1);
    Script("NONE", "scr", "PROC P\nEND\n");
    manager->ZJRunScript("NONE", 1, "P");
    EXPECT_EQ(manager->eject, 0);
    EXPECT_EQ(manager->restart, 0);
}

} // namespace

// Machine groups: members, the switch between record and gliders, deaths, buildings, tactics,
// the caravan's route, the list's scan, save section and the player's team.
#include "tests/ai/group_fixture.h"

#include "ai/CBasicGLAI.h"
#include "ai/CGuardFerroGroup.h"
#include "ai/CTransFerroGroup.h"
#include "foundation/XMemBuffer.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CStoneObject.h"

#include <cstring>

namespace {

TEST_F(GroupTest, MembersAreNamedAfterTheGroupAndCutToTheirField)
{
    EXPECT_STREQ(Group("ONE", 1).members[0].name, "ONE");
    CFerroGroup& two = Group("TWO", 2);
    EXPECT_STREQ(two.members[0].name, "TWO_1");
    EXPECT_STREQ(two.members[1].name, "TWO_2");
    CFerroGroup& longName = Group("ABCDEFGHIJKLMNOPQRSTUVWXYZABC", 10);
    EXPECT_STREQ(longName.members[9].name, "ABCDEFGHIJKLMNOPQRSTUVWXYZABC_1");
    EXPECT_EQ(longName.memberCount, 10);
    EXPECT_FALSE(LogExists());
}

TEST_F(GroupTest, AMissingConfigurationFallsBackToStartup)
{
    CFerroGroup& group = Group<CFerroGroup>(
        "G", 1, 9, "BANDITS", [](CFerroGroup& g) { std::strcpy(g.memberConfigs[0], "CFG_NONE"); });
    EXPECT_EQ(LogLineCount("FerroGroup::Init Config not found 'CFG_NONE'"), 1);
    EXPECT_EQ(group.members[0].configIndex, FerrovantConfigList.Find("CFG_STARTUP"));
}

TEST_F(GroupTest, GuardsAndStandingGroupsNeedTheirPoint)
{
    const int home = Node(100, 200);
    auto& guard
        = Group<CGuardFerroGroup>("GUARD", 2, CFerroGroup::kGuard, "ORG_GUARDS", [](CGuardFerroGroup& g) {
              g.homePoint = 0;
              g.guardRadius = 100.0f;
          });
    EXPECT_EQ(home, 0);
    EXPECT_FLOAT_EQ(guard.guardRadius, 300.0f);
    EXPECT_EQ(guard.active, 1);
    EXPECT_FLOAT_EQ(guard.position.y, 200.0f);
    auto& lost = Group<CGuardFerroGroup>("LOST", 2, CFerroGroup::kGuard);
    EXPECT_EQ(lost.active, 0);
    EXPECT_EQ(lost.memberCount, 0);
    EXPECT_EQ(Group("STAND", 2, CFerroGroup::kStanding).active, 0);
}

TEST_F(GroupTest, GroupsMaterialiseAndFoldBackByDistance)
{
    CFerroGroup& group = Group("G", 2);
    struct Case {
        float distance;
        bool startAssembled;
        int assembled;
    };
    for (const Case c : { Case { 2400, true, 0 }, Case { 600, true, 1 }, Case { 2500, true, 1 },
             Case { 2800, false, 0 }, Case { 2817, false, 1 } }) {
        if (c.startAssembled && !group.assembled)
            group.Assemble();
        if (!c.startAssembled && group.assembled) {
            group.position = {};
            group.Disassemble();
        }
        ObjectList.Pack();
        for (CFerrovant& m : group.members)
            if (m.glider)
                m.glider->frame.position = { c.distance, 0, 0 };
        group.position = { c.distance, 0, 0 };
        group.Run(0.01f);
        EXPECT_EQ(group.assembled, c.assembled) << c.distance;
    }
}

TEST_F(GroupTest, AllMembersDeadMakeTheGroupInactiveUntilCheckAssemble)
{
    CFerroGroup& group = Group("G", 2);
    group.position = { 1000, 0, 0 };
    group.Disassemble();
    ASSERT_NE(group.members[1].glider, nullptr);
    for (CFerrovant& m : group.members) {
        if (!m.glider)
            continue;
        m.glider->dead = 1;
        ObjectList.DeleteObject(m.glider);
    }
    ObjectList.Pack();
    EXPECT_EQ(group.active, 0);
    EXPECT_EQ(group.pendingCheck, 1);
    EXPECT_EQ(group.members[0].dead, 1);
    EXPECT_GT(group.members[0].respawnTime, 1.0e9f);
    group.members[0].dead = 0;
    PlayerPosition = { 3000, 0, 0 };
    group.CheckAssemble();
    EXPECT_EQ(group.active, 0); // the player is too near
    PlayerPosition = { -3000, 0, 0 };
    group.CheckAssemble();
    EXPECT_EQ(group.active, 1);
    EXPECT_EQ(group.pendingCheck, 0);
    group.active = 0;
    group.Reanimate();
    EXPECT_EQ(group.active, 1);
}

TEST_F(GroupTest, AFullDeletionListKeepsTheGlidersAndRetries)
{
    CFerroGroup& group = Group("G", 2);
    group.position = { 1000, 0, 0 };
    group.Disassemble();
    for (int i = 0; i < 499; ++i) {
        auto* stone = new CStoneObject;
        stone->deferredDelete = 1;
        ObjectList.AddObject(stone);
        ObjectList.DeleteObject(stone);
    }
    group.Assemble();
    EXPECT_EQ(group.assembled, 0);
    ASSERT_NE(group.members[0].glider, nullptr);
    EXPECT_EQ(group.members[0].glider->alive, 1);
    EXPECT_EQ(LogLineCount("COBjectList::DeleteObject count overflow"), 2);
    ObjectList.Pack();
    group.Assemble();
    EXPECT_EQ(group.assembled, 1);
    EXPECT_EQ(group.members[0].glider, nullptr);
}

TEST_F(GroupTest, AFullBuildingTurnsACaravanBackAndAPackedGroupLeavesAfterFifteenSeconds)
{
    const int a = Node(0, 0, "BLD_A");
    const int b = Node(1000, 0, "BLD_B", { a });
    auto* building = new CBuildingObject;
    std::strcpy(building->name, "BLD_B");
    building->frame.position = { 1000, 0, 0 };
    ObjectList.AddObject(building);
    building->Run(); // finds its road node
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 1;
        });
    ASSERT_EQ(caravan.routeCount, 2);
    EXPECT_EQ(b, 1);
    PlayerPosition = { -100000, 0, 0 };
    CFerroGroup filler;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(building->AddGroup(&filler));
    caravan.distance = 990.0f;
    caravan.Run(1.0f);
    EXPECT_EQ(caravan.forward, 0);
    EXPECT_NEAR(caravan.distance, 1000.0f - 73.3333f, 0.01f);
    building->groupCount = 0;
    caravan.distance = 990.0f;
    caravan.forward = 1;
    caravan.Run(1.0f);
    EXPECT_EQ(caravan.active, 0);
    building->TrackGliders();
    EXPECT_EQ(caravan.inBuilding, 1);
    EXPECT_EQ(sink.messages.back(), "PACKED CARAVAN");
    FerroGroupList.Run(14.0f, false, false);
    EXPECT_EQ(caravan.exitQueued, 0);
    FerroGroupList.Run(1.5f, false, false);
    EXPECT_EQ(caravan.exitQueued, 1);
    building->TrackGliders();
    EXPECT_EQ(caravan.inBuilding, 0);
    EXPECT_EQ(caravan.active, 1);
    EXPECT_EQ(caravan.forward, 0); // out of the route's last building, backward
    EXPECT_FLOAT_EQ(caravan.distance, 1000.0f);
}

TEST_F(GroupTest, ACaravanReflectsAtTheEndsAndSlotSevenPlacesIt)
{
    Node(0, 0);
    Node(100, 0, "", { 0 });
    Node(200, 0, "", { 1 });
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 2;
        });
    PlayerPosition = { -100000, 0, 0 };
    caravan.forward = 1;
    caravan.distance = 50.0f;
    caravan.Run(5.0f); // 416.7 units: past the end, back past the start
    EXPECT_GE(caravan.distance, 0.0f);
    EXPECT_LE(caravan.distance, caravan.routeLength);
    EXPECT_NEAR(caravan.distance, 66.6667f, 0.01f);
    EXPECT_EQ(caravan.forward, 1);
    caravan.SetGroupAt(2, 0);
    EXPECT_EQ(caravan.forward, 0);
    EXPECT_FLOAT_EQ(caravan.distance, 200.0f);
    caravan.SetGroupAt(1, 0);
    EXPECT_EQ(caravan.forward, 0);
    EXPECT_FLOAT_EQ(caravan.distance, 100.0f);
    caravan.SetGroupAt(1, 2);
    EXPECT_EQ(caravan.forward, 1);
    caravan.SetGroupAt(0, 2);
    EXPECT_FLOAT_EQ(caravan.distance, 0.0f);
    EXPECT_EQ(caravan.forward, 1);
    caravan.routeStart = caravan.routeEnd = 1;
    caravan.Init();
    caravan.Run(5.0f);
    EXPECT_EQ(caravan.routeCount, 1);
    EXPECT_FLOAT_EQ(caravan.position.x, 100.0f);
}

TEST_F(GroupTest, TheTwentiethRecordIsKeptForThePlayersTeamAndStaleRecordsGo)
{
    PlayerFerroGroup.Start();
    PlayerFerroGroup.position = { 10, 0, 0 };
    CFerroGroup& spy = Group("SPY", 1);
    spy.assembled = 0;
    for (int i = 0; i < 20; ++i) {
        CFerroGroup& other = Group(("O" + std::to_string(i)).c_str(), 1);
        other.assembled = 0;
        other.position = { 0, float(i), 0 };
    }
    PlayerFerroGroup.active = 0;
    spy.SpyGroups();
    ASSERT_EQ(spy.targetCount, 19);
    EXPECT_EQ(spy.targets[18].group, 20);
    PlayerFerroGroup.active = 1;
    spy.SpyGroups();
    ASSERT_EQ(spy.targetCount, 20);
    EXPECT_EQ(spy.targets[19].group, 0);
    FerroGroupList.At(2)->assembled = 1;
    FerroGroupList.At(3)->active = 0;
    spy.SpyGroups();
    for (int i = 0; i < spy.targetCount; ++i) {
        EXPECT_NE(spy.targets[i].group, 2);
        EXPECT_NE(spy.targets[i].group, 3);
    }
}

TEST_F(GroupTest, TheEarlierAttackRecordWinsAndAttitudesFollowTheLadder)
{
    CFerroGroup& group = Group("G", 1);
    CFerroGroup& near = Group("NEAR", 1);
    CFerroGroup& far = Group("FAR", 1);
    group.targetCount = 2;
    group.targets[0] = TargetRecord { 3, 3, 900.0f, 1.0f, 0.0f, 0.0f, 0 };
    group.targets[1] = TargetRecord { 2, 3, 1.0f, 1.0f, 0.0f, 0.0f, 0 };
    group.ProcessTarget();
    EXPECT_EQ(group.followed, &far);
    EXPECT_NE(group.followed, &near);

    // Equal ratings: ratio 0, courage = the organisation's 0.5.
    struct Case {
        float relation;
        int difficulty;
        int before;
        int attitude;
    };
    for (const Case c :
        { Case { 0.0f, 1, 0, 2 }, Case { -0.3f, 0, 0, 2 }, Case { -0.34f, 0, 0, 2 }, Case { -0.8f, 0, 0, 6 },
            Case { -0.8f, 2, 0, 3 }, Case { -0.6f, 0, 4, 4 }, Case { -0.6f, 0, 0, 2 } }) {
        Difficulty = c.difficulty;
        CFerroGroup& twin = *FerroGroupList.At(2);
        group.targetCount = 1;
        group.targets[0] = TargetRecord { 2, c.before, 0.0f, 1.0f, c.relation, 0.0f, 0 };
        (void)twin;
        group.DefineGroup(0, false);
        EXPECT_EQ(group.targets[0].attitude, c.attitude) << c.relation << " " << c.difficulty;
    }
}

TEST_F(GroupTest, TheScanRateFollowsTheFrameTime)
{
    for (int i = 0; i < 39; ++i)
        Group(("G" + std::to_string(i)).c_str(), 1);
    ASSERT_EQ(FerroGroupList.Count(), 40);
    for (const auto& [dt, scans] : { std::pair { 1.0f / 60.0f, 2 }, std::pair { 0.1f, 11 } }) {
        int before = 0;
        for (int i = 1; i < 40; ++i)
            before += FerroGroupList.At(i)->spyCounter;
        FerroGroupList.spyIndex = 1;
        FerroGroupList.Run(dt, false, true);
        int after = 0;
        for (int i = 1; i < 40; ++i)
            after += FerroGroupList.At(i)->spyCounter;
        EXPECT_EQ(after - before, scans) << dt;
    }
}

TEST_F(GroupTest, SectionTwoRoundTripsAndAnUnknownGroupStopsIt)
{
    Node(0, 0);
    Node(500, 0, "", { 0 });
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 2, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 1;
        });
    CFerroGroup& plain = Group("PLAIN", 3);
    caravan.distance = 123.0f;
    caravan.forward = 0;
    plain.halted = 1;
    plain.state = 4;
    plain.members[2].dead = 1;
    XMemBuffer stream(1 << 20);
    ASSERT_TRUE(FerroGroupList.SaveGame(stream, false));
    const int size = stream.Position();
    caravan.distance = 0.0f;
    caravan.forward = 1;
    plain.halted = 0;
    plain.state = 0;
    plain.members[2].dead = 0;
    XMemBuffer in;
    in.Attach(stream.Data(), size);
    ASSERT_TRUE(FerroGroupList.LoadGame(in));
    EXPECT_FLOAT_EQ(caravan.distance, 123.0f);
    EXPECT_EQ(caravan.forward, 0);
    EXPECT_EQ(plain.halted, 1);
    EXPECT_EQ(plain.state, 4);
    EXPECT_EQ(plain.members[2].dead, 1);
    EXPECT_EQ(in.Position(), size);

    std::strcpy(plain.name, "OTHER");
    XMemBuffer again;
    again.Attach(stream.Data(), size);
    EXPECT_FALSE(FerroGroupList.LoadGame(again));
    EXPECT_EQ(LogLineCount("CFerroGroupList::LoadGame error ferro groups reading"), 1);

    XMemBuffer cut;
    cut.Attach(stream.Data(), size - 10);
    std::strcpy(plain.name, "PLAIN");
    EXPECT_FALSE(FerroGroupList.LoadGame(cut));
    EXPECT_EQ(LogLineCount("GRP=PLAIN"), 1);
}

TEST_F(GroupTest, TheTeamReleasesBeforeAttachingAndCallsItsGroupBack)
{
    CFerroGroup& first = Group("FIRST", 1);
    CFerroGroup& second = Group("SECOND", 1);
    PlayerFerroGroup.AttachGroup(&first, true);
    EXPECT_EQ(first.assembled, 0);
    PlayerFerroGroup.AttachGroup(&second, true);
    EXPECT_EQ(
        (std::vector<std::string> { "TEAMADD FIRST", "TEAMREMOVE FIRST", "TEAMADD SECOND" }), sink.messages);
    EXPECT_EQ(first.attachedToPlayer, 0);
    EXPECT_EQ(first.active, 1);
    EXPECT_EQ(second.active, 0);

    CBasicGLAI* ai = second.members[0].glider->ai;
    second.members[0].glider->frame.position = { 120, 0, 0 };
    PlayerFerroGroup.Run(0.1f);
    EXPECT_FLOAT_EQ(ai->moveSpeed, 1.0f);
    second.members[0].glider->frame.position = { 70, 0, 0 };
    ai->moveSpeed = 0.0f;
    PlayerFerroGroup.Run(0.1f);
    EXPECT_FLOAT_EQ(ai->moveSpeed, 0.5f);

    sink.messages.clear();
    second.members[0].glider->frame.position = { 1000, 0, 0 };
    PlayerFerroGroup.timeInState = 6.0f;
    PlayerFerroGroup.SpyGroups();
    second.members[0].glider->frame.position = { 2000, 0, 0 };
    PlayerFerroGroup.timeInState = 2.0f;
    PlayerFerroGroup.SpyGroups();
    EXPECT_EQ((std::vector<std::string> { "TEAMFAR SECOND", "TEAMAWAY SECOND" }), sink.messages);
}

} // namespace

// The group list: no scan without groups, and save section 2 over the fields of every kind.
#include "tests/ai/group_fixture.h"

#include "ai/CGuardFerroGroup.h"
#include "ai/CHunterFerroGroup.h"
#include "ai/CTransFerroGroup.h"
#include "foundation/XMemBuffer.h"

#include <limits>

namespace {

TEST_F(GroupTest, WithOnlyThePlayersTeamNothingIsScanned)
{
    ASSERT_EQ(FerroGroupList.Count(), 1);
    FerroGroupList.spyIndex = 0;
    FerroGroupList.Run(0.1f, false, true);
    EXPECT_EQ(FerroGroupList.spyIndex, 0);
    Group("G", 1);
    FerroGroupList.Run(0.1f, false, true);
    EXPECT_EQ(FerroGroupList.spyIndex, 1);
}

TEST_F(GroupTest, SectionTwoRoundTripsTheFieldsOfEveryKind)
{
    Node(0, 0);
    Node(100, 0, "", { 0 });
    Node(200, 0, "", { 1 });
    auto& guard = Group<CGuardFerroGroup>(
        "GUARD", 2, CFerroGroup::kGuard, "ORG_GUARDS", [](CGuardFerroGroup& g) { g.homePoint = 1; });
    auto& people = Group<CPeopleFerroGroup>("PEOPLE", 1, CFerroGroup::kPeople);
    auto& hunter
        = Group<CHunterFerroGroup>("HUNTER", 1, CFerroGroup::kHunter, "BANDITS", [](CHunterFerroGroup& g) {
              g.huntPoints = { 0, 2 };
          });
    auto& stand = Group<CFerroGroup>(
        "STAND", 1, CFerroGroup::kStanding, "BANDITS", [](CFerroGroup& g) { g.standPoint = 2; });
    ASSERT_EQ(stand.active, 1);

    struct Leg {
        int32_t previous;
        int32_t target;
        float length;
        float travelled;
        Vec3 direction;
        Vec3 targetPosition;
    };
    const Leg legs[2]
        = { { 0, 1, 100, 42, { 1, 0, 0 }, { 100, 0, 0 } }, { 2, 1, 100, 7, { -1, 0, 0 }, { 100, 0, 0 } } };
    CPeopleFerroGroup* wanderers[2] = { &people, &hunter };
    const auto set = [&](CPeopleFerroGroup& g, const Leg& l) {
        g.previousPoint = l.previous;
        g.targetPoint = l.target;
        g.legLength = l.length;
        g.travelled = l.travelled;
        g.direction = l.direction;
        g.targetPosition = l.targetPosition;
    };
    for (int i = 0; i < 2; ++i)
        set(*wanderers[i], legs[i]);
    guard.state = CFerroGroup::kRetreating;
    guard.position = { 5, 6, 7 };
    guard.timeInState = 3.5f;
    guard.members[1].dead = 1;
    stand.halted = 1;
    stand.inBuilding = 1;
    stand.buildingWait = 9.0f;

    XMemBuffer stream(1 << 20);
    ASSERT_TRUE(FerroGroupList.SaveGame(stream, false));
    const int size = stream.Position();
    for (CPeopleFerroGroup* g : wanderers)
        set(*g, Leg { -1, 0, 0, 0, {}, {} });
    guard.state = 0;
    guard.position = {};
    guard.timeInState = 0.0f;
    guard.members[1].dead = 0;
    stand.halted = 0;
    stand.inBuilding = 0;
    stand.buildingWait = 0.0f;

    XMemBuffer in;
    in.Attach(stream.Data(), size);
    ASSERT_TRUE(FerroGroupList.LoadGame(in));
    EXPECT_EQ(in.Position(), size);
    for (int i = 0; i < 2; ++i) {
        const CPeopleFerroGroup& g = *wanderers[i];
        EXPECT_EQ(g.previousPoint, legs[i].previous) << i;
        EXPECT_EQ(g.targetPoint, legs[i].target) << i;
        EXPECT_FLOAT_EQ(g.legLength, legs[i].length) << i;
        EXPECT_FLOAT_EQ(g.travelled, legs[i].travelled) << i;
        EXPECT_FLOAT_EQ(g.direction.x, legs[i].direction.x) << i;
        EXPECT_FLOAT_EQ(g.targetPosition.x, legs[i].targetPosition.x) << i;
    }
    EXPECT_EQ(guard.state, CFerroGroup::kRetreating);
    EXPECT_FLOAT_EQ(guard.position.z, 7.0f);
    EXPECT_FLOAT_EQ(guard.timeInState, 3.5f);
    EXPECT_EQ(guard.members[1].dead, 1);
    EXPECT_EQ(stand.halted, 1);
    EXPECT_EQ(stand.inBuilding, 1);
    EXPECT_FLOAT_EQ(stand.buildingWait, 9.0f);
    EXPECT_FALSE(LogExists());
}

TEST_F(GroupTest, ACaravanLoadedOffItsRouteStartsAtTheNearestEnd)
{
    Node(0, 0);
    Node(100, 0, "", { 0 });
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 1;
        });
    for (const auto& [saved, loaded] : { std::pair { 1e30f, 100.0f }, std::pair { -5.0f, 0.0f },
             std::pair { std::numeric_limits<float>::quiet_NaN(), 0.0f }, std::pair { 42.0f, 42.0f } }) {
        caravan.distance = saved;
        XMemBuffer stream(1 << 16);
        FerroGroupList.SaveGame(stream, false);
        XMemBuffer in;
        in.Attach(stream.Data(), stream.Position());
        ASSERT_TRUE(FerroGroupList.LoadGame(in));
        EXPECT_FLOAT_EQ(caravan.distance, loaded) << saved;
    }
}

} // namespace

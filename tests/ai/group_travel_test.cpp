// Groups on the road: the people group's and the hunter's choice of the next point, and the
// caravan's purchases, its fast-forward on a short route, its way out of a building and slot 7 on
// a materialised caravan.
#include "tests/ai/group_fixture.h"

#include "ai/CHunterFerroGroup.h"
#include "ai/CTransFerroGroup.h"
#include "ai/CZJTrade.h"
#include "ai/GroupVector.h"
#include "world/db/CGliderManager.h"
#include "world/objects/CBuildingObject.h"

#include <cstring>
#include <map>

namespace {

class GroupTravelTest : public GroupTest {
protected:
    void SetUp() override
    {
        GroupTest::SetUp();
        ZJTrade.Clear();
    }
    void TearDown() override
    {
        ZJTrade.Clear();
        GroupTest::TearDown();
    }

    CBuildingObject& Building(const char* name, int point)
    {
        auto* building = new CBuildingObject;
        std::strcpy(building->name, name);
        building->pointIndex = point;
        building->frame.position = NodePosition(g_RoadManager.GetNode(point)->position);
        ObjectList.AddObject(building);
        return *building;
    }

    struct Good {
        const char* key;
        float price; // the buying price at the building of purchase, the top price at the other
        float stock = 100.0f;
        uint8_t soldIn = 0;
    };
    static void Trade(const char* building, const std::vector<Good>& goods, bool buying)
    {
        STradeEntry& entry = ZJTrade.Entry(ZJTrade.entryCount++);
        std::snprintf(entry.building, sizeof entry.building, "%s", building);
        entry.goods.Done();
        for (const Good& g : goods) {
            SBuildingTrade record;
            std::memset(&record, 0, sizeof record);
            std::snprintf(record.key, sizeof record.key, "%s", g.key);
            (buying ? record.buyPrice : record.maxPrice) = g.price;
            record.stock = g.stock;
            record.soldIn = g.soldIn;
            entry.goods.Add(record);
        }
    }

    // Puts the group on targetPoint, come from previousPoint, and asks for the next point.
    static int Next(CPeopleFerroGroup& group, int previousPoint, int targetPoint)
    {
        group.previousPoint = previousPoint;
        group.targetPoint = targetPoint;
        group.position = NodePosition(g_RoadManager.GetNode(targetPoint)->position);
        group.GetNextRoadItem();
        EXPECT_EQ(group.previousPoint, targetPoint);
        return group.targetPoint;
    }
};

TEST_F(GroupTravelTest, APeopleGroupTurnsBackAtADeadEndAndJumpsFromAnIsolatedPoint)
{
    const int a = Node(0, 0);
    const int b = Node(100, 0, "", { a });
    Node(-400, 0); // farther from the isolated point than b
    const int isolated = Node(400, 0);
    auto& people = Group<CPeopleFerroGroup>("PEOPLE", 1, CFerroGroup::kPeople);
    EXPECT_EQ(Next(people, a, b), a);
    EXPECT_FLOAT_EQ(people.legLength, 100.0f);
    EXPECT_FLOAT_EQ(people.direction.x, -1.0f);
    EXPECT_FLOAT_EQ(people.travelled, 0.0f);
    EXPECT_EQ(Next(people, -1, isolated), b);
    EXPECT_FLOAT_EQ(people.legLength, 300.0f);
}

TEST_F(GroupTravelTest, AnEscapeTakesTheRoadAwayFromThePursuerEvenBack)
{
    const int centre = Node(0, 0);
    const int west = Node(-100, 0, "", { centre });
    const int north = Node(0, 100, "", { centre });
    const int east = Node(100, 0, "", { centre });
    const int south = Node(0, -100, "", { centre });
    auto& people = Group<CPeopleFerroGroup>("PEOPLE", 1, CFerroGroup::kPeople);
    CFerroGroup& pursuer = Group("PURSUER", 1);
    for (int i = 0; i < 20; ++i)
        EXPECT_NE(Next(people, west, centre), west);
    people.state = CFerroGroup::kEscaping;
    people.followed = &pursuer;
    struct Case {
        Vec3 pursuer;
        int next;
    };
    for (const Case c : { Case { { 200, 0, 0 }, west }, Case { { 0, 200, 0 }, south },
             Case { { -200, 10, 0 }, east }, Case { { 10, -200, 0 }, north } }) {
        pursuer.position = c.pursuer;
        EXPECT_EQ(Next(people, west, centre), c.next) << c.pursuer.x << "," << c.pursuer.y;
    }
}

TEST_F(GroupTravelTest, AHunterBetweenTwoCandidatesTakesTheOther)
{
    const int a = Node(0, 0);
    const int b = Node(100, 0, "", { a });
    const int c = Node(200, 0, "", { b });
    Node(100, 100, "", { b }); // not a hunt point
    auto& hunter
        = Group<CHunterFerroGroup>("HUNTER", 1, CFerroGroup::kHunter, "BANDITS", [](CHunterFerroGroup& g) {
              g.huntPoints = { 0, 1, 2 };
          });
    ASSERT_EQ(hunter.huntPoints, (std::vector<int32_t> { a, b, c }));
    ASSERT_EQ(hunter.active, 1);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Next(hunter, a, b), c);
        EXPECT_EQ(Next(hunter, c, b), a);
    }
}

TEST_F(GroupTravelTest, AHunterWhosePointsAreAllOffTheRoadStaysInactive)
{
    Node(0, 0);
    auto& hunter
        = Group<CHunterFerroGroup>("HUNTER", 1, CFerroGroup::kHunter, "BANDITS", [](CHunterFerroGroup& g) {
              g.huntPoints = { -1, 7 };
          });
    EXPECT_EQ(hunter.active, 0);
}

TEST_F(GroupTravelTest, HuntersAndPeopleWithoutPointsStayInactiveWithoutMembers)
{
    zoq::tools::world::ObjectsFile file;
    zoq::tools::world::GroupEntry hunter;
    hunter.name = "HUNTER";
    hunter.organisation = "BANDITS";
    hunter.kind = CFerroGroup::kHunter;
    hunter.hunterValues = { 3, 0xFFFFFFFFu };
    hunter.members = { "CFG_GUARD" };
    zoq::tools::world::GroupEntry people = hunter;
    people.name = "PEOPLE";
    people.kind = CFerroGroup::kPeople;
    people.hunterValues.clear();
    file.groups.groups = { hunter, people };
    WriteObjects("Data/loc.zjo", file);
    ZJEngine.Load("Data\\loc.zjp");
    ASSERT_EQ(FerroGroupList.Count(), 3);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(FerroGroupList.At(i)->active, 0) << i;
        EXPECT_EQ(FerroGroupList.At(i)->memberCount, 0) << i;
    }
    EXPECT_TRUE(FerroGroupList.At(1)->huntPoints.empty());
    FerroGroupList.Simulate(10.0f);
    EXPECT_EQ(FerroGroupList.At(1)->active, 0);
}

TEST_F(GroupTravelTest, ACaravanBuysTheBestGainPerWeightForTheOtherEnd)
{
    const int a = Node(0, 0, "BLD_A");
    Node(1000, 0, "BLD_B", { a });
    CBuildingObject& here = Building("BLD_A", 0);
    Building("BLD_B", 1);
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 1;
        });
    CFerrovant& member = caravan.members[0];
    SGliderType& hull = g_GliderManager.GetDesc(member.hull.index);

    struct Case {
        const char* what;
        std::vector<Good> offered; // at BLD_A
        std::vector<Good> wanted; // at BLD_B
        float freeLoad;
        std::map<std::string, int> bought;
    };
    const Case cases[] = {
        { "equal gains take the first", { { "TOV_A", 10 }, { "TOV_B", 10 } },
            { { "TOV_A", 20 }, { "TOV_B", 20 } }, 1000, { { "TOV_A", 10 } } },
        { "gain per unit of weight", { { "TOV_A", 10 }, { "TOV_C", 10 } },
            { { "TOV_A", 20 }, { "TOV_C", 40 } }, 1000, { { "TOV_C", 10 } } },
        { "a loss is never bought", { { "TOV_A", 30 }, { "TOV_B", 10 } }, { { "TOV_A", 20 } }, 1000, {} },
        { "sold in and out of stock", { { "TOV_A", 10, 0.5f, 1 }, { "TOV_B", 10 } },
            { { "TOV_A", 40 }, { "TOV_B", 20 } }, 1000, { { "TOV_B", 10 } } },
        { "100 free units buy nothing", { { "TOV_A", 10 } }, { { "TOV_A", 20 } }, 100, {} },
        { "what fits above 100", { { "TOV_A", 10 } }, { { "TOV_A", 20 } }, 110, { { "TOV_A", 5 } } },
    };
    for (const Case& c : cases) {
        ZJTrade.Clear();
        Trade("BLD_A", c.offered, true);
        Trade("BLD_B", c.wanted, false);
        member.cargo.items.Done();
        hull.maxWeight = hull.weight + member.GetTotalWeight() + c.freeLoad;
        caravan.PackInBuilding(&here);
        std::map<std::string, int> bought;
        for (const CargoItem& item : member.cargo.items)
            bought[item.name] += item.count;
        EXPECT_EQ(bought, c.bought) << c.what;
    }
    EXPECT_FALSE(LogExists());
}

TEST_F(GroupTravelTest, AFastForwardOnAShortRouteKeepsTheCaravanOnIt)
{
    Node(0, 0);
    Node(100, 0, "", { 0 });
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 1;
        });
    Node(1000, 0);
    Node(1010, 0, "", { 2 });
    auto& shuttle = Group<CTransFerroGroup>(
        "SHUTTLE", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 2;
            g.routeEnd = 3;
        });
    caravan.distance = 30.0f;
    caravan.forward = 1;
    shuttle.distance = 3.0f;
    shuttle.forward = 1;
    PlayerPosition = { 50, 0, 0 };
    FerroGroupList.Simulate(150.0f);
    // 31 steps of 5 s at 250/3 units a second: 12,916.7 units. The caravan is 146.7 into its
    // 200-unit round trip, the shuttle 19.7 into its 20-unit one: both on the way back.
    EXPECT_EQ(caravan.assembled, 1);
    EXPECT_EQ(caravan.forward, 0);
    EXPECT_NEAR(caravan.distance, 53.33f, 0.05f);
    EXPECT_NEAR(caravan.position.x, 53.33f, 0.05f);
    EXPECT_EQ(shuttle.forward, 0);
    EXPECT_NEAR(shuttle.distance, 0.33f, 0.05f);
    EXPECT_NEAR(shuttle.position.x, 1000.33f, 0.05f);
    EXPECT_FLOAT_EQ(PlayerPosition.x, 50.0f);
}

TEST_F(GroupTravelTest, ACaravanOnARouteOfCoincidentPointsTurnsOnceAStep)
{
    Node(40, 0);
    Node(40, 0, "", { 0 });
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 1;
        });
    ASSERT_EQ(caravan.routeCount, 2);
    ASSERT_FLOAT_EQ(caravan.routeLength, 0.0f);
    PlayerPosition = { -100000, 0, 0 };
    for (int step = 0; step < 4; ++step) {
        const uint8_t before = caravan.forward;
        caravan.Run(5.0f);
        EXPECT_NE(caravan.forward, before) << step;
        EXPECT_FLOAT_EQ(caravan.distance, 0.0f);
        EXPECT_FLOAT_EQ(caravan.position.x, 40.0f);
    }
}

TEST_F(GroupTravelTest, ACaravanLeavesABuildingAwayFromTheRouteEnd)
{
    Node(0, 0, "BLD_0");
    Node(100, 0, "BLD_1", { 0 });
    Node(300, 0, "BLD_2", { 1 });
    Node(0, 500, "BLD_X");
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 1, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 2;
        });
    ASSERT_EQ(caravan.routeCount, 3);
    struct Case {
        int point;
        int forward; // -1: by the parity of the next Rand()
        float distance;
    };
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        for (const Case c : { Case { 0, 1, 0 }, Case { 2, 0, 300 }, Case { 1, -1, 100 } }) {
            CBuildingObject door;
            door.pointIndex = c.point;
            caravan.building = &door;
            SeedRand(seed);
            const int expected = c.forward >= 0 ? c.forward : (Rand() % 2 == 0 ? 1 : 0);
            SeedRand(seed);
            caravan.OnExitFromBuilding();
            EXPECT_EQ(caravan.forward, expected) << c.point << " " << seed;
            EXPECT_FLOAT_EQ(caravan.distance, c.distance) << c.point;
            EXPECT_EQ(caravan.legIndex, caravan.LegIndexAt(c.distance));
            EXPECT_FLOAT_EQ(caravan.position.x, c.distance);
        }
    }
    CBuildingObject aside;
    aside.pointIndex = 3;
    caravan.building = &aside;
    caravan.OnExitFromBuilding();
    EXPECT_EQ(LogLineCount("CTransFerroGroup::OnExitFromBuilding point is not in path"), 1);
    aside.pointIndex = -1;
    caravan.OnExitFromBuilding();
    caravan.building = nullptr;
    caravan.OnExitFromBuilding();
    EXPECT_EQ(LogLineCount("CTransFerroGroup::OnExitFromBuilding building is not set"), 2);
    EXPECT_FLOAT_EQ(caravan.distance, 100.0f);
}

TEST_F(GroupTravelTest, SlotSevenFoldsAMaterialisedCaravanFirst)
{
    Node(0, 0);
    Node(100, 0, "", { 0 });
    Node(300, 0, "", { 1 });
    auto& caravan = Group<CTransFerroGroup>(
        "CARAVAN", 2, CFerroGroup::kCaravan, "ORG_TRANSES", [](CTransFerroGroup& g) {
            g.routeStart = 0;
            g.routeEnd = 2;
        });
    caravan.distance = 250.0f;
    caravan.Disassemble();
    ASSERT_EQ(caravan.assembled, 0);
    ASSERT_NE(caravan.members[1].glider, nullptr);
    caravan.SetGroupAt(1, 0);
    EXPECT_EQ(caravan.assembled, 1);
    EXPECT_EQ(caravan.members[0].glider, nullptr);
    EXPECT_EQ(caravan.members[1].glider, nullptr);
    EXPECT_EQ(caravan.forward, 0);
    EXPECT_FLOAT_EQ(caravan.distance, 100.0f);
    EXPECT_FLOAT_EQ(caravan.position.x, 100.0f);
}

} // namespace

// Group tactics: the attitude ladder, the messages sent once per attack or escape, the shared
// cooldown of HELPME and ATTACKED, towers called when nobody is known, and the player's team
// calling its group back and reporting it far or away.
#include "tests/ai/group_fixture.h"

#include "ai/CBasicGLAI.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CTowerObject.h"

#include <algorithm>

namespace {

class GroupTacticsTest : public GroupTest {
protected:
    static SOrgParams& Params(const char* org)
    {
        return const_cast<SOrgParams&>(*g_OrgManager.GetParams(g_OrgManager.FindOrganisation(org)));
    }
    int Count(const std::string& message) const
    {
        return int(std::count(sink.messages.begin(), sink.messages.end(), message));
    }
};

TEST_F(GroupTacticsTest, TheAttitudeLadderOverHostilityCourageAndDifficulty)
{
    // The other side's rating factor 0.9 evens the full and the plain rating: ratio 0, so the
    // hostility is the relation and the courage the organisation's value.
    Params("ORG_FREE").ratingFactor = 0.9f;
    CFerroGroup& group = Group("G", 1);
    CFerroGroup& other = Group("O", 1, 9, "ORG_FREE");
    ASSERT_NEAR(group.GetGroupRating(true), other.GetGroupRating(false), 1e-3f);
    struct Case {
        float hostility;
        float courage;
        int difficulty;
        int before;
        int attitude;
    };
    const Case cases[] = {
        { -0.2f, 0.9f, 0, 0, 2 }, // not hostile enough, however brave
        { -0.4f, 0.65f, 0, 0, 3 }, // brave
        { -0.4f, 0.55f, 0, 0, 2 },
        { -0.8f, 0.55f, 0, 0, 3 }, // very hostile and brave enough
        { -0.8f, 0.45f, 0, 0, 6 },
        { -0.8f, 0.45f, 0, 4, 4 }, // an escape goes on
        { -0.6f, 0.3f, 0, 0, 6 }, // timid
        { -0.6f, 0.3f, 0, 4, 4 },
        { -0.45f, 0.3f, 0, 0, 2 },
        { -0.6f, 0.45f, 0, 0, 2 },
        { -0.8f, 0.65f, 0, 4, 3 }, // bravery ends an escape
        { -0.3f, 0.56f, 1, 0, 3 }, // difficulty lowers every threshold by 0.05 a step
        { -0.3f, 0.54f, 1, 0, 2 },
        { -0.3f, 0.55f, 0, 0, 2 },
        { -0.3f, 0.55f, 2, 0, 3 },
        { -0.2f, 0.9f, 2, 0, 2 },
        { -0.25f, 0.9f, 2, 0, 3 },
        { -0.7f, 0.45f, 0, 0, 2 },
        { -0.7f, 0.45f, 2, 0, 3 },
        { -0.55f, 0.32f, 0, 0, 6 },
        { -0.55f, 0.32f, 2, 0, 2 },
    };
    for (const Case& c : cases) {
        Difficulty = c.difficulty;
        Params("BANDITS").courage = c.courage;
        group.targetCount = 1;
        group.targets[0] = TargetRecord { 2, c.before, 0.0f, 5.0f, c.hostility, 0.0f, 0 };
        group.DefineGroup(0, false);
        EXPECT_EQ(group.targets[0].attitude, c.attitude)
            << c.hostility << " " << c.courage << " " << c.difficulty << " " << c.before;
        EXPECT_NEAR(group.targets[0].hostility, c.hostility, 1e-4f);
        EXPECT_FLOAT_EQ(group.targets[0].weight, 1.0f);
    }
}

TEST_F(GroupTacticsTest, AttackAndEscapeAreSentOncePerEntry)
{
    PlayerFerroGroup.Start();
    PlayerFerroGroup.position = { 100, 0, 0 };
    CFerroGroup& group = Group("G", 1);
    group.Disassemble();
    group.targetCount = 1;
    const auto run = [&](int attitude, int frames, bool shot) {
        group.targets[0] = TargetRecord { 0, attitude, 1.0f, 1.0f, -0.5f, 0.0f, 0 };
        for (int i = 0; i < frames; ++i) {
            group.Run(FrameTime);
            if (shot) {
                group.helpCooldown = 1.0f; // no ATTACKED in the way
                group.OnGroupAttacked(0, 0.1f, false);
            }
        }
    };
    run(3, 30, false);
    EXPECT_EQ(Count("ATTACK G"), 1);
    run(2, 1, false); // breaks off
    EXPECT_EQ(group.followed, nullptr);
    run(3, 30, false);
    EXPECT_EQ(Count("ATTACK G"), 2);
    PlayerFerroGroup.position = { 600, 0, 0 }; // beyond 500: no word
    run(2, 1, false);
    run(3, 30, false);
    EXPECT_EQ(Count("ATTACK G"), 2);

    // A timid group keeps escaping under fire, and every hit orders the escape again within the
    // same frame.
    Params("BANDITS").courage = 0.1f;
    PlayerFerroGroup.position = { 100, 0, 0 };
    run(4, 30, true);
    EXPECT_EQ(group.state, CFerroGroup::kEscaping);
    EXPECT_EQ(Count("ESCAPE G"), 1);
    group.Stop();
    run(4, 30, false);
    EXPECT_EQ(Count("ESCAPE G"), 2);
}

TEST_F(GroupTacticsTest, HelpMeAndAttackedShareAFifteenSecondCooldown)
{
    PlayerFerroGroup.Start();
    PlayerPosition = { -100000, 0, 0 };
    CFerroGroup& group = Group("G", 1);
    Group("ENEMY", 1, 9, "ORG_FREE");
    group.targetCount = 1;
    group.targets[0] = TargetRecord { 0, 2, 1.0f, 1.0f, 0.5f, 0.0f, 0 };
    const auto hit = [&](int attacker, float after) {
        group.Run(after);
        group.OnGroupAttacked(attacker, 1.0f, false);
    };

    hit(0, 0.0f);
    hit(0, 0.0f);
    hit(0, 14.9f);
    EXPECT_EQ(sink.messages, (std::vector<std::string> { "ATTACKED G" }));
    hit(0, 0.2f);
    EXPECT_EQ(Count("ATTACKED G"), 2);

    // The player's team of the group's own organisation is called for help when an ally is hit.
    sink.messages.clear();
    group.helpCooldown = 0.0f;
    PlayerFerroGroup.organisation = group.organisation;
    hit(2, 0.0f);
    hit(2, 0.0f);
    hit(0, 14.9f); // no ATTACKED either
    EXPECT_EQ(sink.messages, (std::vector<std::string> { "HELPME G" }));
    hit(2, 0.2f);
    EXPECT_EQ(Count("HELPME G"), 2);
}

TEST_F(GroupTacticsTest, TowersAreAlertedOnlyWhenTheGroupKnowsNobody)
{
    CFerroGroup& group = Group("G", 1);
    CFerroGroup& enemy = Group("ENEMY", 1, 9, "ORG_FREE");
    enemy.position = { 2000, 0, 0 };
    enemy.Disassemble();
    CGliderObject* attacker = enemy.members[0].glider;
    ASSERT_NE(attacker, nullptr);
    struct Case {
        float distance;
        float radius;
        bool alerted;
    };
    const Case cases[] = {
        { 300, 600, true }, { 500, 600, false }, // outside radius - 200
        { 900, 1200, true }, { 1100, 2000, false }, // beyond 1000
    };
    // The radius query finds what the cell grid holds: 2 x 2 cells take the towers beyond the map.
    Location.blocksX = Location.blocksY = 2;
    std::vector<CTowerObject*> towers;
    for (const Case& c : cases) {
        auto* tower = new CTowerObject;
        tower->frame.position = { 0, c.distance, 0 };
        tower->radius = c.radius;
        ObjectList.AddObject(tower);
        towers.push_back(tower);
    }
    group.targetCount = 1;
    group.targets[0] = TargetRecord { 2, 2, 1.0f, 1.0f, 0.5f, 0.0f, 0 };
    group.OnGroupAttacked(2, 1.0f, false);
    for (const CTowerObject* tower : towers)
        EXPECT_EQ(tower->target, nullptr);
    group.targetCount = 0;
    group.OnGroupAttacked(2, 1.0f, false);
    for (size_t i = 0; i < towers.size(); ++i)
        EXPECT_EQ(towers[i]->target, cases[i].alerted ? attacker : nullptr) << cases[i].distance;
}

TEST_F(GroupTacticsTest, TheTeamCallsItsGroupBackAndReportsItFarOrAway)
{
    CFerroGroup& group = Group("G", 1);
    PlayerFerroGroup.AttachGroup(&group, false);
    CGliderObject* glider = group.members[0].glider;
    ASSERT_NE(glider, nullptr);
    struct Move {
        float distance;
        float speed; // 0: no order
        float radius;
    };
    for (const Move m :
        { Move { 40, 0, 0 }, Move { 51, 0.5f, 25 }, Move { 99, 0.5f, 25 }, Move { 101, 1.0f, 50 } }) {
        glider->ai->moveSpeed = 0.0f;
        glider->ai->moveRadius2 = 0.0f;
        glider->frame.position = { 0, m.distance, 0 };
        PlayerFerroGroup.Run(0.1f);
        EXPECT_FLOAT_EQ(glider->ai->moveSpeed, m.speed) << m.distance;
        EXPECT_FLOAT_EQ(glider->ai->moveRadius2, m.radius * m.radius) << m.distance;
    }

    struct Scan {
        float distance;
        float timeInState;
        const char* message; // null: none
    };
    const Scan scans[] = {
        { 970, 6, nullptr }, // within 975
        { 980, 5, nullptr }, // not yet 5 s since the last report
        { 980, 5.1f, "TEAMFAR G" }, { 1850, 1.1f, "TEAMAWAY G" }, // beyond 1300 x sqrt 2
        { 1830, 1.1f, nullptr }, { 1850, 1.0f, nullptr },
        { 1850, 6, "TEAMFAR G" }, // the report restarts the clock: no TEAMAWAY in the same scan
    };
    for (const Scan& s : scans) {
        sink.messages.clear();
        glider->frame.position = { s.distance, 0, 0 };
        PlayerFerroGroup.timeInState = s.timeInState;
        PlayerFerroGroup.SpyGroups();
        EXPECT_EQ(
            sink.messages, s.message ? std::vector<std::string> { s.message } : std::vector<std::string> {})
            << s.distance << " " << s.timeInState;
    }
}

} // namespace

// The building: its door, the docking pull, exit placement, the turning kind, the entry of a
// group's members and the groups in its save record.
#include "ai/CBasicGLAI.h"
#include "ai/CFerroGroup.h"
#include "ai/CFerroGroupList.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "tests/world/objects/object_list_fixture.h"
#include "world/db/CBuildingManager.h"
#include "world/db/CRoadManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CBuildingObject.h"
#include "world/objects/CGliderObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace zoq::test {
namespace {

// Entrance A at the origin, approach C in front of it (+y, centre y 105), B and D absent.
SBuildingType DoorRow()
{
    SBuildingType row {};
    row.prepared = 1;
    row.doors[CBuildingObject::kBoxA] = { { -5, -5, 0 }, { 5, 5, 10 } };
    row.doors[CBuildingObject::kBoxC] = { { -10, 10, 0 }, { 10, 200, 10 } };
    row.doorAnimation = -1;
    return row;
}

class BuildingTest : public ObjectListTest {
protected:
    void SetUp() override
    {
        ObjectListTest::SetUp();
        FrameTime = 0.1f;
        g_RoadManager.Nodes().SetSize(0);
        ZJEngine.pendingAction = {};
        ZJEngine.currentBuilding = nullptr;
    }
    void TearDown() override
    {
        FerroGroupList.Clear();
        g_RoadManager.Nodes().SetSize(0);
        ObjectListTest::TearDown();
    }

    CBuildingObject* Building(const SBuildingType& row, const char* name = "B_TEST")
    {
        auto* b = new CBuildingObject;
        std::snprintf(b->name, sizeof b->name, "%s", name);
        Matrix4 m;
        Matrix4Identity(m);
        b->frame.SetMatrix(m);
        b->frame.UpdateAxes();
        b->frame2 = b->frame;
        b->typeRecord = &row;
        b->typeKey = MakeNameKey32("B_DOOR");
        ObjectList.AddObject(b);
        return b;
    }
    CGliderObject* Glider(const Vec3& at, const Vec3& forward = { 0, -1, 0 })
    {
        auto* g = new CGliderObject;
        g->mass = 10.0f;
        g->radius = 20.0f;
        g->bodyRadius = 20.0f;
        g->frame.SetDirection(forward);
        g->frame.SetPosition(at);
        ObjectList.AddObject(g);
        return g;
    }
    static void Frames(CBuildingObject& b, float seconds)
    {
        for (float t = 0; t < seconds - 1e-4f; t += FrameTime)
            b.Run();
    }
};

TEST_F(BuildingTest, TheDoorOpensInASecondClosesFiveSecondsLaterAndReopensWhileClosing)
{
    const SBuildingType row = DoorRow();
    CBuildingObject& b = *Building(row);
    CGliderObject* player = Glider({ 0, 300, 5 });
    PlayerObject = PlayerGlider = player;
    b.Run();
    EXPECT_EQ(b.doorState, CBuildingObject::kClosed);

    player->frame.SetPosition({ 0, 30, 5 });
    Frames(b, 0.9f);
    EXPECT_EQ(b.doorState, CBuildingObject::kOpening);
    Frames(b, 0.2f);
    EXPECT_EQ(b.doorState, CBuildingObject::kOpen);
    EXPECT_FLOAT_EQ(b.doorValue, 2.0f);

    // Time open with the player near does not count.
    Frames(b, 3.0f);
    EXPECT_EQ(b.doorState, CBuildingObject::kOpen);
    player->frame.SetPosition({ 0, 300, 5 });
    Frames(b, 5.0f);
    EXPECT_EQ(b.doorState, CBuildingObject::kOpen);
    Frames(b, 0.2f);
    EXPECT_EQ(b.doorState, CBuildingObject::kClosing);

    player->frame.SetPosition({ 0, 30, 5 });
    b.Run();
    EXPECT_EQ(b.doorState, CBuildingObject::kOpening);
    EXPECT_GT(b.doorValue, 0.0f); // reopened from where it was, not from shut
}

TEST_F(BuildingTest, TheEntranceIsPublishedAndWithoutAPlayerNothingHappens)
{
    const SBuildingType row = DoorRow();
    CBuildingObject& b = *Building(row, "B_L1_CEH");
    b.Run();
    EXPECT_EQ(ZJEngine.pendingAction.actionPending, 0);
    EXPECT_EQ(b.doorState, CBuildingObject::kClosed);

    PlayerObject = PlayerGlider = Glider({ 1, 1, 5 });
    b.Run();
    EXPECT_EQ(ZJEngine.pendingAction.actionPending, 1);
    EXPECT_EQ(ZJEngine.pendingAction.actionCode, 1u);
    EXPECT_STREQ(ZJEngine.pendingAction.actionBuilding.text, "B_L1_CEH");
    EXPECT_STREQ(ZJEngine.pendingAction.actionBuildingType.text, "B_DOOR");
    EXPECT_EQ(ZJEngine.currentBuilding, &b);
}

TEST_F(BuildingTest, ThePullStartsAfterASecondOnlyWhenFacingTheDoorAndNear)
{
    const SBuildingType row = DoorRow();
    struct Case {
        Vec3 forward;
        bool pulled;
    };
    for (const Case c :
        { Case { { 0, -1, 0 }, true }, Case { { 1, -1, 0 }, false }, Case { { 0, 1, 0 }, false } }) {
        CBuildingObject& b = *Building(row);
        CGliderObject* player = Glider({ 0, 150, 5 }, [&] {
            Vec3 f;
            Vec3Normalize(f, c.forward);
            return f;
        }());
        PlayerObject = PlayerGlider = player;
        Frames(b, 0.9f);
        EXPECT_FLOAT_EQ(player->velocity.y, 0.0f);
        Frames(b, 0.3f);
        EXPECT_EQ(player->velocity.y < 0.0f, c.pulled) << c.forward.x << " " << c.forward.y;
        EXPECT_FLOAT_EQ(player->radius, 20.0f); // damped only within 100
        player->velocity = {};
        ObjectList.Clear();
    }
}

TEST_F(BuildingTest, AMemberInsideClosesTheDoorAtOnce)
{
    const SBuildingType row = DoorRow();
    CBuildingObject& b = *Building(row);
    CFerrovant member;
    member.glider = Glider({ 0, 0, 5 });
    b.doorState = CBuildingObject::kOpen;
    b.doorValue = 2.0f;
    b.trackedMember = &member;
    b.Run();
    EXPECT_EQ(b.doorState, CBuildingObject::kClosing);
    b.trackedMember = nullptr;
}

TEST_F(BuildingTest, TheTwentyFirstGroupIsRefused)
{
    const SBuildingType row = DoorRow();
    CBuildingObject& b = *Building(row);
    CFerroGroup groups[21];
    for (int i = 0; i < 20; ++i) {
        groups[i].active = 1;
        groups[i].exitQueued = 1;
        ASSERT_TRUE(b.AddGroup(&groups[i]));
        EXPECT_EQ(groups[i].active, 0);
        EXPECT_EQ(groups[i].exitQueued, 0);
    }
    groups[20].active = 1;
    EXPECT_FALSE(b.AddGroup(&groups[20]));
    EXPECT_EQ(b.groupCount, 20);
    EXPECT_EQ(groups[20].active, 1);
    b.groupCount = 0;
}

TEST_F(BuildingTest, AMemberThatNeverArrivesGoesToTheDoorAfter7Point5AndInAfter15Seconds)
{
    const SBuildingType row = DoorRow();
    CBuildingObject& b = *Building(row);
    b.Run();
    CFerroGroup group;
    group.assembled = 0;
    group.memberCount = 1;
    CGliderObject* glider = Glider({ 0, 500, 5 });
    CBasicGLAI driver;
    glider->ai = &driver;
    group.members[0].glider = glider;
    ASSERT_TRUE(b.AddGroup(&group));
    FrameTime = 0.5f;
    b.TrackGliders();
    EXPECT_EQ(b.trackedMember, &group.members[0]);
    EXPECT_EQ(driver.state, CBasicGLAI::kMove);
    EXPECT_FLOAT_EQ(glider->radius, 15.0f);
    for (int i = 0; i < 14; ++i)
        b.TrackGliders(); // 7.5 s
    EXPECT_EQ(b.memberPhase, 0);
    b.TrackGliders();
    EXPECT_EQ(b.memberPhase, 1);
    for (int i = 0; i < 14; ++i)
        b.TrackGliders(); // 15 s
    EXPECT_EQ(b.memberAtDoor, 0);
    b.TrackGliders(); // at the door, and the door is shut
    EXPECT_EQ(group.members[0].inBuilding, 1);
    EXPECT_EQ(group.members[0].glider, nullptr);
    EXPECT_EQ(b.trackedMember, nullptr);
    EXPECT_EQ(glider->deferredDelete, 1);
    glider->ai = nullptr;
    b.TrackGliders(); // none left: the group is packed and leaves the queue
    EXPECT_EQ(group.inBuilding, 1);
    EXPECT_EQ(b.groupCount, 0);
}

TEST_F(BuildingTest, ATrackedMemberWhoseGliderIsGoneIsForgotten)
{
    const SBuildingType row = DoorRow();
    CBuildingObject& b = *Building(row);
    CFerroGroup group;
    group.assembled = 0;
    group.memberCount = 2;
    group.members[0].glider = Glider({ 0, 500, 5 });
    group.members[1].glider = Glider({ 0, 600, 5 });
    b.AddGroup(&group);
    b.TrackGliders();
    ASSERT_EQ(b.trackedMember, &group.members[0]);
    group.members[0].glider = nullptr;
    group.members[0].dead = 1;
    b.TrackGliders();
    EXPECT_EQ(b.trackedMember, &group.members[1]);
    b.groupCount = 0;
}

TEST_F(BuildingTest, PlaceAtExitWithAndWithoutBoxes)
{
    SBuildingType bare {};
    bare.prepared = 1;
    CBuildingObject& plain = *Building(bare);
    plain.frame.SetPosition({ 100, 100, 0 });
    CGliderObject* g = Glider({ 0, 0, 0 });
    g->moves = 1;
    g->velocity = { 5, 5, 5 };
    plain.PlaceAtExit(g);
    EXPECT_NEAR(g->frame.position.x, 100.0f, 5.0f);
    EXPECT_NEAR(g->frame.position.y, -200.0f, 5.0f);
    EXPECT_FLOAT_EQ(g->velocity.x, 0.0f);

    const SBuildingType row = DoorRow();
    CBuildingObject& b = *Building(row);
    PlayerObject = PlayerGlider = g;
    g->thrustSound = 1.0f;
    g->hoverSound = 1.0f;
    b.approachTimer = 3.0f;
    b.PlaceAtExit(g);
    EXPECT_NEAR(g->frame.position.x, 0.0f, 5.0f);
    EXPECT_NEAR(g->frame.position.y, 105.0f, 5.0f);
    EXPECT_FLOAT_EQ(g->frame.position.z, 5.0f);
    EXPECT_FLOAT_EQ(b.approachTimer, 0.0f);
    EXPECT_FLOAT_EQ(g->thrustSound, 0.0f);
    EXPECT_FLOAT_EQ(g->hoverSound, 0.0f);
    // Facing away from box A.
    EXPECT_GT(g->frame.matrix.m[6], 0.99f);
}

TEST_F(BuildingTest, ATurningBuildingTurnsAndBobsWithNoDoorAndNoGroups)
{
    SBuildingType row = DoorRow();
    row.kind = CBuildingObject::kTurningKind;
    CBuildingObject& b = *Building(row);
    PlayerObject = PlayerGlider = Glider({ 0, 30, 5 });
    CFerroGroup group;
    b.AddGroup(&group);
    b.Run();
    EXPECT_EQ(b.doorState, CBuildingObject::kClosed);
    EXPECT_EQ(b.groupCount, 1);
    EXPECT_EQ(group.inBuilding, 0);
    EXPECT_NEAR(
        std::abs(std::atan2(b.frame.matrix.m[1], b.frame.matrix.m[0])), 0.1f * 3.14159265f * 0.1f, 1e-5f);
    EXPECT_FLOAT_EQ(b.bobOffset, 20.0f * std::sin(0.5f * float(b.id) + 0.5f * GameClockF32));
    b.groupCount = 0;
}

TEST_F(BuildingTest, ARoadNodeOver300UnitsFromTheDoorIsLogged)
{
    const SBuildingType row = DoorRow();
    for (const float distance : { 299.0f, 301.0f }) {
        g_RoadManager.Nodes().SetSize(1);
        SRoadNode& node = g_RoadManager.Nodes().At(0);
        node = {};
        std::strcpy(node.name, "B_ROAD");
        node.position[0] = distance;
        node.position[2] = 5.0f;
        CBuildingObject& b = *Building(row, "B_ROAD");
        b.Run();
        EXPECT_EQ(b.pointIndex, 0);
        EXPECT_FLOAT_EQ(b.roadPoint.x, distance);
        EXPECT_EQ(LogLineCount("CBuildingObject::Run road item and building is too far gameid='B_ROAD'"),
            distance > 300.0f ? 1 : 0);
    }
}

TEST_F(BuildingTest, GroupsRoundTripThroughTheSaveAndAMissingOneIsSkipped)
{
    const SBuildingType row = DoorRow();
    auto* kept = new CFerroGroup;
    std::strcpy(kept->name, "KEPT");
    FerroGroupList.AddGroup(kept);
    CFerroGroup gone;
    std::strcpy(gone.name, "GONE");
    CBuildingObject& b = *Building(row);
    b.AddGroup(&gone);
    b.AddGroup(kept);
    XMemBuffer stream;
    b.SaveToStream2(stream);
    EXPECT_EQ(stream.Position(), 1 + 4 + 2 * 32);

    CBuildingObject& copy = *Building(row);
    stream.Rewind();
    copy.LoadFromStream2(stream);
    EXPECT_EQ(copy.groupCount, 1);
    EXPECT_EQ(copy.groups[0], kept);
    EXPECT_EQ(LogLineCount("CBuildingObject::LoadFromStream2 group not found 'GONE'"), 1);

    XMemBuffer tooMany;
    tooMany.WriteValue(uint8_t(1));
    tooMany.WriteValue(uint32_t(21));
    tooMany.Rewind();
    EXPECT_THROW(copy.LoadFromStream2(tooMany), XRangeError);
    b.groupCount = 0;
    copy.groupCount = 0;
}

} // namespace
} // namespace zoq::test

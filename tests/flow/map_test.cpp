// A game's preparation: the location load, the player's machine record, the player's glider at a
// start point with its camera, marker and observers, and the numbered script actions.
#include "tests/flow/map_fixture.h"

#include "app/MapPreparation.h"
#include "foundation/CViewFrame.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "ui/CBaseMenu.h"
#include "world/objects/CCamera.h"
#include "world/objects/CHelperPoint.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CTrajectoryObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

void ExpectNear(const Vec3& a, const Vec3& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-4f);
    EXPECT_NEAR(a.y, b.y, 1e-4f);
    EXPECT_NEAR(a.z, b.z, 1e-4f);
}

Vec3 Forward(const CTransform& frame)
{
    return Vec3 { frame.matrix.m[2], frame.matrix.m[6], frame.matrix.m[10] };
}

Vec3 Up(const CTransform& frame)
{
    return Vec3 { frame.matrix.m[1], frame.matrix.m[5], frame.matrix.m[9] };
}

} // namespace

TEST(MapPreparationHelpers, startPointChoiceTakesAtMost101PicksAndKeepsTheLast)
{
    CHelperPoint plain, tunnel;
    std::snprintf(plain.name, sizeof plain.name, "START_A");
    std::snprintf(tunnel.name, sizeof tunnel.name, "TUNNEL_IN");
    struct SCase {
        bool tunnelStart;
        std::vector<CHelperPoint*> sequence; // the last repeats
        int picks;
        CHelperPoint* chosen;
    };
    const SCase cases[] = {
        { false, { &plain }, 1, &plain },
        { false, { &tunnel, &tunnel, &plain }, 3, &plain },
        { false, { &tunnel }, 101, &tunnel },
        { true, { &plain, &tunnel }, 2, &tunnel },
        { true, { &plain }, 101, &plain },
        { true, { nullptr }, 1, nullptr },
    };
    for (const SCase& c : cases) {
        int picks = 0;
        CHelperPoint* chosen = preparation::ChooseStartPoint(c.tunnelStart, [&] {
            const size_t i = std::min<size_t>(size_t(picks++), c.sequence.size() - 1);
            return c.sequence[i];
        });
        EXPECT_EQ(picks, c.picks) << c.tunnelStart << " " << c.sequence.size();
        EXPECT_EQ(chosen, c.chosen);
    }
}

TEST(MapPreparationHelpers, scatterAndObserverCounts)
{
    EXPECT_EQ(preparation::ScatterCount(999, 1000), 0);
    EXPECT_EQ(preparation::ScatterCount(1000, 1000), 1);
    EXPECT_EQ(preparation::ScatterCount(4097, 4097), 16);
    EXPECT_EQ(preparation::ObserverCount(1024, 4097, 20), 0);
    EXPECT_EQ(preparation::ObserverCount(1025, 1025, 5), 0);
    EXPECT_EQ(preparation::ObserverCount(1025, 1025, 6), 20); // 5.25 + 15
    EXPECT_EQ(preparation::ObserverCount(4097, 4097, 6), 98); // 83.9 + 15
}

TEST(MapPreparationHelpers, scatterCellTakesYBeforeX)
{
    for (uint32_t seed : { 1u, 7u, 12345u }) {
        SeedRand(seed);
        const int y = Rand() % 300;
        const int x = Rand() % 2000;
        SeedRand(seed);
        const Vec3 cell = preparation::ScatterCell(2000, 300);
        ExpectNear(cell, Vec3 { float(x) * 10.0f, float(y) * 10.0f, 0.0f });
    }
}

TEST(MapPreparationHelpers, framesKeepUpAndHalfTurnReversesForward)
{
    Matrix4 m = preparation::LevelFrame(Vec3 { 3.0f, 0.0f, 5.0f }, Vec3 { 1.0f, 2.0f, 3.0f });
    CTransform frame;
    frame.SetMatrix(m);
    ExpectNear(Forward(frame), Vec3 { 1.0f, 0.0f, 0.0f });
    ExpectNear(Up(frame), Vec3 { 0.0f, 0.0f, 1.0f });
    ExpectNear(frame.position, Vec3 { 1.0f, 2.0f, 3.0f });
    preparation::HalfTurn(m);
    frame.SetMatrix(m);
    ExpectNear(Forward(frame), Vec3 { -1.0f, 0.0f, 0.0f });
    ExpectNear(Up(frame), Vec3 { 0.0f, 0.0f, 1.0f });

    const Matrix4 standard = preparation::StandardFrame(Vec3 {});
    Matrix4 swap;
    AxisSwapMatrix(swap);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(standard.m[i], swap.m[i]) << i;
    const Matrix4 vertical = preparation::LevelFrame(Vec3 { 0.0f, 0.0f, 1.0f }, Vec3 {});
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(vertical.m[i], swap.m[i]) << i;

    const float s = std::sqrt(0.5f);
    frame.SetMatrix(preparation::GroundFrame(Vec3 { 0.0f, s, s }, Vec3 {}));
    ExpectNear(Up(frame), Vec3 { 0.0f, s, s });
    EXPECT_NEAR(Vec3Dot(Forward(frame), Up(frame)), 0.0f, 1e-5f);
    EXPECT_NEAR(Vec3Length(Forward(frame)), 1.0f, 1e-5f);
}

TEST_F(MapPreparationTest, initMapFillsTheMusicDefaultsOpensTheRadarMapAndSetsTheClock)
{
    SLocationLayout layout;
    layout.weathers = 3;
    Environment.frozen = 1;
    Environment.hour = 3.0f;
    WriteLocation(layout);
    app.InitMap(kLocation, 0);

    EXPECT_STREQ(app.locationFile, kLocation);
    EXPECT_STREQ(ZJEngine.music.mainTrack, "MUS_LOC1");
    EXPECT_STREQ(ZJEngine.music.towerTrack, "MUS_LOC1");
    ASSERT_EQ(ZJEngine.music.battleCount, 1u);
    EXPECT_STREQ(ZJEngine.music.battleTracks[0], "MUS_FIGHT");
    EXPECT_TRUE(radarMap.IsOpen()); // Data\location1.mmm
    EXPECT_EQ(radar.markShown, 0);
    EXPECT_EQ(Environment.frozen, 0);
    EXPECT_EQ(Environment.active, 2);
    EXPECT_FLOAT_EQ(Environment.hour, 10.0f);
    EXPECT_FLOAT_EQ(Environment.moonClock, 10.0f);
}

TEST_F(MapPreparationTest, initMapKeepsTheLocationsOwnMusicAndHasNoWeatherWithoutRecords)
{
    SLocationLayout layout;
    layout.music.mainTrack = "MUS_OWN";
    layout.music.towerTrack = "MUS_TOWER";
    layout.music.battle = { "MUS_B1", "MUS_B2" };
    WriteLocation(layout);
    app.InitMap(kLocation, 0);

    EXPECT_STREQ(ZJEngine.music.mainTrack, "MUS_OWN");
    EXPECT_STREQ(ZJEngine.music.towerTrack, "MUS_TOWER");
    ASSERT_EQ(ZJEngine.music.battleCount, 2u);
    EXPECT_STREQ(ZJEngine.music.battleTracks[1], "MUS_B2");
    EXPECT_EQ(Environment.active, -1);
}

TEST_F(MapPreparationTest, initMapForgetsThePlayerObjectsOfTheLastGame)
{
    SLocationLayout layout;
    layout.starts = { { "START_A", { 300, 200, 5 } } };
    Prepare(layout);
    ASSERT_NE(PlayerGlider, nullptr);
    app.InitMap(kLocation, 0);
    EXPECT_EQ(PlayerGlider, nullptr);
    EXPECT_EQ(PlayerObject, nullptr);
    EXPECT_EQ(CameraObject, nullptr);
    EXPECT_EQ(TrajectoryMarker, nullptr);
    EXPECT_TRUE(ObjectsOfType(CZJObject::kGlider).empty());
}

TEST_F(MapPreparationTest, anOverlongLocationNameIsRefusedAndLogged)
{
    WriteLocation({});
    app.InitMap(kLocation, 0);
    const std::string tooLong = "Data\\" + std::string(130, 'x'); // 135 bytes
    EXPECT_THROW(app.InitMap(tooLong.c_str(), 0), std::runtime_error);
    EXPECT_EQ(LogCount("CZJApp::InitMap: location name too long: " + tooLong), 1);
    EXPECT_STREQ(app.locationFile, kLocation);

    const std::string longest = "Data\\" + std::string(129, 'x'); // 134 bytes: not refused, missing
    EXPECT_ANY_THROW(app.InitMap(longest.c_str(), 0));
    EXPECT_EQ(LogCount("CZJApp::InitMap: location name too long"), 1);
    EXPECT_STREQ(app.locationFile, longest.c_str());
}

TEST_F(MapPreparationTest, applyStartConfigBuildsSmt5001FromCfgStartup)
{
    WriteLocation({});
    app.InitMap(kLocation, 0);
    PlayerControl.Cruise = 1;
    PlayerControl.GliderValue = 9.0f;
    app.ApplyStartConfig(false);

    ASSERT_EQ(PlayerFerrovant, &PlayerFerroGroup.members[0]);
    EXPECT_STREQ(PlayerFerrovant->name, "SMT5001");
    EXPECT_EQ(PlayerFerrovant->configIndex, FerrovantConfigList.Find("CFG_STARTUP"));
    EXPECT_EQ(PlayerFerrovant->group, &PlayerFerroGroup);
    EXPECT_EQ(PlayerFerroGroup.organisation, g_OrgManager.FindOrganisation("ORG_PLAYER"));
    EXPECT_EQ(PlayerControl.Cruise, 0);
    EXPECT_EQ(PlayerControl.GliderValue, 0.0f);
}

TEST_F(MapPreparationTest, applyStartConfigGivesThePlayersGroupTheCurrentOrganisation)
{
    WriteLocation({});
    app.InitMap(kLocation, 0);
    g_OrgManager.playerOrganisation = g_OrgManager.FindOrganisation("ORG_GUARDS");
    app.ApplyStartConfig(false);
    EXPECT_EQ(PlayerFerroGroup.organisation, g_OrgManager.FindOrganisation("ORG_GUARDS"));
}

TEST_F(MapPreparationTest, aMissingCfgStartupAppliesTheFirstConfiguration)
{
    UseMachineTables(FullRow("CFG_GUARD") + FullRow("CFG_OTHER"));
    WriteLocation({});
    app.InitMap(kLocation, 0);
    app.ApplyStartConfig(false);
    EXPECT_EQ(PlayerFerrovant->configIndex, 0);
    EXPECT_STREQ(PlayerFerrovant->name, "SMT5001");
}

TEST_F(MapPreparationTest, keepCopiesTheCurrentRecordIntoTheSlotAndResetsIt)
{
    WriteLocation({});
    app.InitMap(kLocation, 0);
    CFerrovant outside;
    outside.ApplyConfig(FerrovantConfigList.Find("CFG_GUARD"), true, 0);
    outside.cargo.AddGoods("TOV_A", 3, 1.0f, 0);
    outside.dead = 1;
    outside.rating = 900.0f;
    PlayerFerrovant = &outside;
    app.ApplyStartConfig(true);

    CFerrovant& slot = PlayerFerroGroup.members[0];
    ASSERT_EQ(PlayerFerrovant, &slot);
    EXPECT_STREQ(slot.config.name, "CFG_GUARD");
    EXPECT_STREQ(slot.name, "SMT5001");
    EXPECT_EQ(slot.cargo.items.Count(), 0);
    EXPECT_EQ(slot.dead, 0);
    EXPECT_FLOAT_EQ(slot.rating, 0.05f);
    EXPECT_EQ(slot.level, 1);
    EXPECT_EQ(slot.group, &PlayerFerroGroup);
}

TEST_F(MapPreparationTest, theGliderStartsAtAStartPointTurnedHalfAround)
{
    SLocationLayout layout;
    layout.starts = { { "START_A", { 300, 200, 5 }, { 1, 0, 0 } }, { "TUNNEL_1", { 100, 100, 0 } } };
    ShieldHits = ArmourHits = HullHits = 2.0f;
    AnomalyLevel = 3;
    PlayerControl.NearTower = 1;
    app.deathCountdown = 0.5f;
    app.deathStarted = 1;
    for (uint32_t seed : { 1u, 2u, 3u, 4u, 5u }) {
        SeedRand(seed);
        Prepare(layout);
        CGliderObject* glider = PlayerGlider;
        ASSERT_NE(glider, nullptr);
        ExpectNear(glider->frame.position, Vec3 { 300, 200, 17 });
        ExpectNear(Forward(glider->frame), Vec3 { -1, 0, 0 });
        ExpectNear(Up(glider->frame), Vec3 { 0, 0, 1 });
        ExpectNear(PlayerPosition, Vec3 { 300, 200, 17 });
        ExpectNear(ViewFrame.position, Vec3 { 300, 200, 17 });
    }
    EXPECT_EQ(ShieldHits + ArmourHits + HullHits, 0.0f);
    EXPECT_EQ(AnomalyLevel, -1);
    EXPECT_EQ(PlayerControl.NearTower, 0);
    EXPECT_FLOAT_EQ(app.deathCountdown, 5.0f);
    EXPECT_EQ(app.deathStarted, 0);

    // A respawn places it again without the half turn.
    PlayerGlider->frame.SetPosition(Vec3 { 10, 10, 10 });
    app.InitGliderOnStartPos(false);
    ExpectNear(Forward(PlayerGlider->frame), Vec3 { 1, 0, 0 });
    EXPECT_EQ(PlayerGlider->visible, 1);
}

TEST_F(MapPreparationTest, aTunnelStartTakesATunnelPoint)
{
    SLocationLayout layout;
    layout.starts = { { "START_A", { 300, 200, 5 } }, { "TUNNEL_1", { 100, 120, 0 } } };
    for (uint32_t seed : { 1u, 2u, 3u, 4u }) {
        SeedRand(seed);
        Prepare(layout, true);
        ExpectNear(PlayerGlider->frame.position, Vec3 { 100, 120, 12 });
    }
}

TEST_F(MapPreparationTest, withoutStartPointsTheGliderStartsAt40PercentOfTheMap)
{
    SLocationLayout layout;
    layout.width = 129;
    Prepare(layout);
    ExpectNear(PlayerGlider->frame.position, Vec3 { 129 * 4, 65 * 4, 100 });
    ExpectNear(PlayerPosition, Vec3 { 129 * 4, 65 * 4, 100 });
}

TEST_F(MapPreparationTest, initMainFerroMakesTheGliderCameraAndMarker)
{
    SLocationLayout layout;
    layout.starts = { { "START_A", { 300, 200, 5 } } };
    Prepare(layout);

    ASSERT_NE(PlayerGlider, nullptr);
    EXPECT_EQ(PlayerObject, PlayerGlider);
    EXPECT_EQ(PlayerFerrovant->glider, PlayerGlider);
    EXPECT_EQ(PlayerGlider->ferrovant, PlayerFerrovant);
    EXPECT_EQ(ObjectsOfType(CZJObject::kGlider), std::vector<CZJObject*> { PlayerGlider });
    ASSERT_NE(CameraObject, nullptr);
    EXPECT_EQ(CameraObject->attachedTarget, PlayerGlider);
    EXPECT_EQ(CameraObject->visible, 1);
    ExpectNear(CameraObject->frame.position, PlayerGlider->frame.position);
    EXPECT_EQ(ObjectsOfType(CZJObject::kCamera).size(), 1u);
    ASSERT_NE(TrajectoryMarker, nullptr);
    EXPECT_EQ(ObjectsOfType(CZJObject::kTrajectory), std::vector<CZJObject*> { TrajectoryMarker });
    EXPECT_TRUE(ObjectList.ExtraList().IsEmpty());
    EXPECT_TRUE(ObjectsOfType(CZJObject::kFlyTeh).empty());
}

TEST_F(MapPreparationTest, aNetworkGamePutsTheGliderOnTheExtraList)
{
    app.state = CZJApp::kNetGame;
    Prepare({});
    EXPECT_EQ(ObjectList.ExtraList().IndexOf(PlayerGlider), 0);
}

TEST_F(MapPreparationTest, aMissingGliderTypeThrowsWithTheLogLine)
{
    WriteLocation({});
    app.InitMap(kLocation, 0);
    app.ApplyStartConfig(false);
    PlayerFerrovant->hull.index = 7;
    EXPECT_THROW(app.InitMainFerro(true, false), std::runtime_error);
    EXPECT_EQ(LogCount("CZJApp::InitMainFerro: no glider 7"), 1);
    EXPECT_EQ(PlayerGlider, nullptr);
    EXPECT_TRUE(ObjectsOfType(CZJObject::kGlider).empty());
}

TEST_F(MapPreparationTest, aWideMapWithManyGroupsGetsObservers)
{
    SLocationLayout layout;
    layout.width = 1089;
    layout.height = 513;
    layout.groups = 5;
    Prepare(layout);
    ASSERT_EQ(FerroGroupList.Count(), 6);
    const auto observers = ObjectsOfType(CZJObject::kFlyTeh);
    EXPECT_EQ(observers.size(), 17u); // 1089 x 513 x 0.000005 + 15
    for (const CZJObject* observer : observers) {
        EXPECT_GE(observer->frame.position.x, 5000.0f);
        EXPECT_LT(observer->frame.position.x, 10890.0f);
        EXPECT_GE(observer->frame.position.y, 5000.0f);
        EXPECT_LT(observer->frame.position.y, 5130.0f);
        EXPECT_FLOAT_EQ(observer->frame.position.z, 25.0f);
    }
}

TEST_F(MapPreparationTest, scriptActionsAsATable)
{
    Prepare({});
    CBaseMenu menu;
    app.modalMenu = &menu;
    struct SCase {
        int code;
        bool result;
        uint32_t action; // 0: none pending
        bool quits;
    };
    const SCase cases[] = {
        { 0, false, 0, false },
        { 1, true, 0, false },
        { 4, true, 7, true },
        { 5, true, 6, true },
        { 6, true, 0, false },
        { -3, true, 0, false },
    };
    for (const SCase& c : cases) {
        ZJEngine.pendingAction = {};
        app.SetQuit(0);
        menu.endRequested = 0;
        EXPECT_EQ(app.DoScriptAction(c.code), c.result) << c.code;
        EXPECT_EQ(ZJEngine.pendingAction.actionPending, c.action ? 1 : 0) << c.code;
        EXPECT_EQ(ZJEngine.pendingAction.actionCode, c.action) << c.code;
        EXPECT_EQ(app.IsQuitting(), c.quits) << c.code;
        EXPECT_EQ(menu.endRequested, c.quits ? 1 : 0) << c.code;
    }
    app.modalMenu = nullptr;
    app.SetQuit(0);
}

TEST_F(MapPreparationTest, action2NamesThePlayerFromTheScriptText)
{
    Prepare({});
    EXPECT_TRUE(app.DoScriptAction(2));
    EXPECT_EQ(scripts->playerName, "Pilot Ivo");
    EXPECT_STREQ(PlayerFerrovant->name, "Pilot Ivo");
}

TEST_F(MapPreparationTest, action2WithoutTheTextLeavesTheRecordsName)
{
    std::string error;
    ASSERT_TRUE(zoq::test::WriteTextTable(m_dir, "[OTHER]\nTEXT = x\n", error)) << error;
    scripts = std::make_unique<CZJScriptManager>();
    scripts->Init();
    g_pScriptManager = scripts.get();
    Prepare({});
    EXPECT_TRUE(app.DoScriptAction(2));
    EXPECT_STREQ(PlayerFerrovant->name, "SMT5001");
}

TEST_F(MapPreparationTest, theScatterLaysGoodsAndMoneyWithinTheMap)
{
    SLocationLayout layout;
    layout.width = 2049;
    layout.height = 513;
    Prepare(layout);
    int goods = 0, money = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SeedRand(seed);
        SharedRandom.seed = seed * 7;
        const size_t before = ObjectsOfType(CZJObject::kThing).size();
        EXPECT_TRUE(app.DoScriptAction(3));
        const auto things = ObjectsOfType(CZJObject::kThing);
        ASSERT_EQ(things.size(), before + 1) << seed; // int(2049 x 513 x 0.000001)
        const auto* thing = static_cast<const CTheThing*>(things.back());
        const Vec3& at = thing->frame.position;
        EXPECT_GE(at.x, 0.0f);
        EXPECT_LT(at.x, 20490.0f);
        EXPECT_GE(at.y, 0.0f);
        EXPECT_LT(at.y, 5130.0f);
        EXPECT_EQ(std::fmod(at.x, 10.0f), 0.0f);
        ASSERT_EQ(thing->contentCount, 1) << seed;
        if (thing->kind == 513) {
            ++goods;
            EXPECT_STREQ(thing->contents[0].id, "TOV_A");
            EXPECT_EQ(thing->contents[0].kind, 0u);
            EXPECT_EQ(thing->contents[0].amount, 1u);
        } else {
            ASSERT_EQ(thing->kind, 515);
            ++money;
            EXPECT_STREQ(thing->contents[0].id, "");
            EXPECT_EQ(thing->contents[0].kind, 3u);
            EXPECT_GE(thing->contents[0].amount, 20u); // (0.5 .. 1.5) x 40
            EXPECT_LT(thing->contents[0].amount, 60u);
        }
    }
    EXPECT_GT(goods, 0);
    EXPECT_GT(money, 0);
}

TEST_F(MapPreparationTest, moneyNeedsAGoodBeyondTheFirstRowOfTheGoodsTable)
{
    SLocationLayout layout;
    layout.width = 2049;
    layout.height = 513;
    Prepare(layout, false, "TOV_Z");
    int money = 0;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SharedRandom.seed = seed * 7;
        EXPECT_TRUE(app.DoScriptAction(3));
        const auto* thing = static_cast<const CTheThing*>(ObjectsOfType(CZJObject::kThing).back());
        if (thing->kind == 515) {
            ++money;
            EXPECT_EQ(thing->contentCount, 0) << seed;
        } else {
            ASSERT_EQ(thing->contentCount, 1) << seed;
            EXPECT_STREQ(thing->contents[0].id, "TOV_Z");
        }
    }
    EXPECT_GT(money, 0);
}

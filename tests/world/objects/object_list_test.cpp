#include "foundation/CTimer.h"
#include "foundation/CViewFrame.h"
#include "foundation/XMemBuffer.h"
#include "tests/support/error_log_test.h"
#include "tests/world/objects/object_list_fixture.h"
#include "world/objects/CCamera.h"
#include "world/objects/CDynamicObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/PlayerGlobals.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using zoq::test::ObjectListTest;
using zoq::test::Probe;

TEST_F(ObjectListTest, IdsComeFromTheLastIdUnlessLoadingOrBrought)
{
    struct Case {
        const char* what;
        uint8_t loading;
        int32_t last;
        int32_t brought;
        int32_t id; // the object's id after AddObject
        int32_t lastAfter;
    };
    for (const Case& c : {
             Case { "id-less outside loading", 0, 0, 0, 1, 1 },
             Case { "brought above the last", 0, 12, 57, 57, 57 },
             Case { "brought below the last", 0, 12, 5, 5, 12 },
             Case { "id-less while loading", 1, 5, 0, 0, 5 },
             Case { "brought while loading", 1, 5, 80, 80, 80 },
         }) {
        SCOPED_TRACE(c.what);
        ObjectList.Clear();
        ObjectList.lastObjectId = c.last;
        ObjectList.loading = c.loading;
        auto* object = new Probe;
        object->id = c.brought;
        ObjectList.AddObject(object);
        ObjectList.loading = 0;
        EXPECT_EQ(object->id, c.id);
        EXPECT_EQ(ObjectList.lastObjectId, c.lastAfter);
        EXPECT_EQ(object->alive, 1);
        EXPECT_EQ(ObjectList.FindObjectById(c.id), object);
    }
    ObjectList.Clear();
    ObjectList.lastObjectId = 12;
    ObjectList.AddObject([] {
        auto* brought = new Probe;
        brought->id = 57;
        return brought;
    }());
    EXPECT_EQ(Add(new Probe)->id, 58);
}

TEST_F(ObjectListTest, NetNumbersCountNetworkedObjectsFromOneAndNetworkIdsFromTheSeed)
{
    Probe* first = Add(new Probe, [](Probe& p) { p.networked = 1; });
    Probe* plain = Add(new Probe);
    Probe* second = Add(new Probe, [](Probe& p) { p.networked = 1; });
    EXPECT_EQ(first->netNumber, 1);
    EXPECT_EQ(plain->netNumber, 0);
    EXPECT_EQ(second->netNumber, 2);
    EXPECT_EQ(ObjectList.FindObjectByNetId(2), second);
    ObjectList.networkIdCounter = 0x300000;
    EXPECT_EQ(ObjectList.NextNetworkId(), 0x300001u);
    EXPECT_EQ(ObjectList.NextNetworkId(), 0x300002u);
    ObjectList.Clear();
    EXPECT_EQ(ObjectList.lastObjectId, 0);
    EXPECT_EQ(ObjectList.netNumberCounter, 0);
    EXPECT_EQ(ObjectList.networkIdCounter, 0u);
}

TEST_F(ObjectListTest, FindsMatchNameExactlyTypeZeroIsAnyAndDeadObjectsAreFound)
{
    Probe* rock = Add(new Probe, [](Probe& p) {
        p.Name("ROCK");
        p.type = 3;
    });
    Probe* house = Add(new Probe, [](Probe& p) {
        p.Name("HOUSE");
        p.type = 11;
    });
    EXPECT_EQ(ObjectList.FindObject(MakeNameKey32("ROCK"), 3), rock);
    EXPECT_EQ(ObjectList.FindObject(MakeNameKey32("ROCK"), 0), rock);
    EXPECT_EQ(ObjectList.FindObject(MakeNameKey32("ROCK"), 11), nullptr);
    EXPECT_EQ(ObjectList.FindObject(MakeNameKey32("rock"), 3), nullptr);
    house->alive = 0;
    EXPECT_EQ(ObjectList.FindObject(MakeNameKey32("HOUSE"), 11), house);

    XDynamicArray<CZJObject*> found;
    ObjectList.GetObjectList(0, found);
    EXPECT_EQ(found.Count(), 1) << "only alive ones";
    ObjectList.GetObjectList(11, found);
    EXPECT_EQ(found.Count(), 0);
}

TEST_F(ObjectListTest, RandomSysObjPicksAPointOfTheKindOrNone)
{
    EXPECT_EQ(ObjectList.GetRandomSysObj(9), nullptr);
    CHelperPoint* a = AddPoint("START1", { 0, 0, 0 }, 9);
    AddPoint("ZONE", { 0, 0, 0 }, 20);
    CHelperPoint* b = AddPoint("START2", { 0, 0, 0 }, 9);
    std::vector<CHelperPoint*> seen;
    for (int i = 0; i < 40; ++i) {
        CHelperPoint* p = ObjectList.GetRandomSysObj(9);
        ASSERT_TRUE(p == a || p == b);
        seen.push_back(p);
    }
    EXPECT_NE(std::count(seen.begin(), seen.end(), a), 0);
    EXPECT_NE(std::count(seen.begin(), seen.end(), b), 0);
    EXPECT_EQ(ObjectList.GetRandomSysObj(21), nullptr);
    EXPECT_EQ(ObjectList.FindHelperPoint(MakeNameKey32("START2")), b);
}

TEST_F(ObjectListTest, TheFiveHundredthDeletionIsLoggedAndStillAnnouncedByPack)
{
    Probe* listener = Add(new Probe, [](Probe& p) { p.notifyOnDelete = 1; });
    std::vector<Probe*> doomed;
    for (int i = 0; i < 500; ++i)
        doomed.push_back(Add(new Probe, [](Probe& p) {
            p.runs = 1;
            p.deferredDelete = 1;
        }));
    for (int i = 0; i < 499; ++i)
        ObjectList.DeleteObject(doomed[size_t(i)]);
    EXPECT_EQ(ObjectList.DeleteQueueCount(), 499);
    EXPECT_EQ(LogLineCount("COBjectList::DeleteObject count overflow"), 0);
    ObjectList.DeleteObject(doomed[0]);
    EXPECT_EQ(ObjectList.DeleteQueueCount(), 499) << "queued once at most";
    ObjectList.DeleteObject(doomed[499]);
    EXPECT_EQ(LogLineCount("COBjectList::DeleteObject count overflow"), 1);
    EXPECT_EQ(ObjectList.DeleteQueueCount(), 499);
    EXPECT_EQ(doomed[499]->alive, 0);
    EXPECT_FALSE(ObjectList.IsDeletePending(doomed[499]));

    const int last = doomed[499]->id;
    ObjectList.Pack();
    EXPECT_EQ(listener->notices.size(), 500u) << "every destroyed object announced once";
    EXPECT_EQ(std::count(listener->notices.begin(), listener->notices.end(), last), 1);
    EXPECT_EQ(ObjectList.DeleteQueueCount(), 0);
    EXPECT_EQ(ObjectList.Objects().Count(), 1);
}

TEST_F(ObjectListTest, ADeadObjectIsFoundUntilThePassThatDestroysIt)
{
    Probe* moving = Add(new Probe, [](Probe& p) { p.runs = 1; });
    Probe* still = Add(new Probe);
    const int movingId = moving->id;
    const int stillId = still->id;
    ObjectList.DeleteObject(moving);
    ObjectList.DeleteObject(still);
    EXPECT_EQ(ObjectList.FindObjectById(movingId), moving);
    ObjectList.Pack();
    EXPECT_EQ(ObjectList.FindObjectById(movingId), nullptr);
    EXPECT_EQ(ObjectList.FindObjectById(stillId), still) << "only in the main list: kept";
    ObjectList.Pack();
    EXPECT_EQ(ObjectList.FindObjectById(stillId), still);
    ObjectList.Pack(true);
    EXPECT_EQ(ObjectList.FindObjectById(stillId), nullptr) << "a full pack scans the main list";
}

TEST_F(ObjectListTest, NotifyDeleteReachesListenersInListOrderDeadOnesAndTheObjectItself)
{
    std::vector<int> order;
    std::vector<Probe*> listeners;
    for (int i = 0; i < 3; ++i)
        listeners.push_back(Add(new Probe, [&](Probe& p) {
            p.notifyOnDelete = 1;
            p.order = &order;
        }));
    Add(new Probe, [&](Probe& p) { p.order = &order; }); // does not listen
    listeners[1]->alive = 0;
    ObjectList.NotifyDelete(listeners[2]);
    EXPECT_EQ(order, (std::vector<int> { listeners[0]->id, listeners[1]->id, listeners[2]->id }));
}

TEST_F(ObjectListTest, AFindInsideANoticeKeepsTheAnnouncementWalking)
{
    std::vector<int> order;
    for (int i = 0; i < 3; ++i)
        Add(new Probe, [&](Probe& p) {
            p.notifyOnDelete = 1;
            p.order = &order;
            p.findOnNotice = true;
        });
    Probe* gone = Add(new Probe);
    ObjectList.NotifyDelete(gone);
    EXPECT_EQ(order.size(), 3u);
}

TEST_F(ObjectListTest, ObjectsKilledByTheirOwnCodeAreAnnouncedOnceWhenDestroyed)
{
    Probe* listener = Add(new Probe, [](Probe& p) { p.notifyOnDelete = 1; });
    Probe* quiet = Add(new Probe, [](Probe& p) {
        p.runs = 1;
        p.deferredDelete = 1;
    });
    Probe* plain = Add(new Probe, [](Probe& p) { p.runs = 1; });
    Probe* queued = Add(new Probe, [](Probe& p) {
        p.runs = 1;
        p.deferredDelete = 1;
    });
    const std::vector<int> ids { quiet->id, queued->id };
    quiet->alive = 0; // its own code, no DeleteObject
    plain->alive = 0; // needs no announcement
    ObjectList.DeleteObject(queued);
    ObjectList.Pack();
    std::vector<int> notices = listener->notices;
    std::sort(notices.begin(), notices.end());
    EXPECT_EQ(notices, ids);
    EXPECT_EQ(ObjectList.Objects().Count(), 1);
}

TEST_F(ObjectListTest, NoCellOrListKeepsADestroyedObject)
{
    bool destroyed = false;
    Probe* big = Add(new Probe, [&](Probe& p) {
        p.runs = 1;
        p.hitByRays = 1;
        p.solid = 0;
        p.radius = 700.0f;
        p.networkId = 7;
        p.destroyed = &destroyed;
        p.frame.SetPosition(Vec3 { 960.0f, 960.0f, 0.0f });
    });
    EXPECT_EQ(FiledCells(big), 9) << "a spread object over its neighbours";
    ObjectList.AddToExtraList(big);
    EXPECT_EQ(big->remote, 1);
    big->remote = 0; // unlinked from the network list whatever its flag says
    EXPECT_EQ(ObjectList.AddWatched(big), 0);
    big->SetPosition(Vec3 { 1000.0f, 960.0f, 0.0f });
    EXPECT_EQ(FiledCells(big), 9);
    ObjectList.DeleteObject(big);
    ObjectList.Pack();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(FiledCells(nullptr), 0);
    EXPECT_TRUE(ObjectList.Objects().IsEmpty());
    EXPECT_TRUE(ObjectList.MovingObjects().IsEmpty());
    EXPECT_TRUE(ObjectList.ExtraList().IsEmpty());
    EXPECT_EQ(ObjectList.Watched().Count(), 0);
    EXPECT_EQ(ObjectList.FindNetObject(7), nullptr);
}

TEST_F(ObjectListTest, ClearEmptiesTheCellListsAndEveryList)
{
    Add(new Probe, [](Probe& p) { p.frame.SetPosition(Vec3 { 100.0f, 100.0f, 0.0f }); });
    Probe* net = Add(new Probe, [](Probe& p) { p.runs = 1; });
    ObjectList.AddToExtraList(net);
    AddPoint("P", { 0, 0, 0 }, 7);
    ObjectList.AddSensor(MakeNameKey32("P"));
    EXPECT_GT(FiledCells(nullptr), 0);
    ObjectList.Clear();
    EXPECT_EQ(FiledCells(nullptr), 0);
    EXPECT_TRUE(ObjectList.Objects().IsEmpty());
    EXPECT_TRUE(ObjectList.MovingObjects().IsEmpty());
    EXPECT_TRUE(ObjectList.ExtraList().IsEmpty());
    EXPECT_TRUE(ObjectList.HelperPoints().IsEmpty());
    EXPECT_TRUE(ObjectList.Sensors().IsEmpty());
}

TEST_F(ObjectListTest, WatchedAndSensorArraysKeepTheirCapacities)
{
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(ObjectList.AddWatched(Add(new Probe)), i);
    EXPECT_EQ(ObjectList.AddWatched(Add(new Probe)), 100);
    for (int i = 0; i < 51; ++i)
        AddPoint(("S" + std::to_string(i)).c_str(), { 0, 0, 0 }, 7);
    for (int i = 0; i < 51; ++i)
        EXPECT_NE(ObjectList.AddSensor(MakeNameKey32(("S" + std::to_string(i)).c_str())), nullptr);
    EXPECT_EQ(ObjectList.Sensors().Count(), 50);
    EXPECT_EQ(ObjectList.AddSensor(MakeNameKey32("NONE")), nullptr);
    ObjectList.AddSensor(MakeNameKey32("S0"));
    EXPECT_EQ(ObjectList.Sensors().Count(), 50);
}

TEST_F(ObjectListTest, CheckNetDeadRetiresOneSilentCopyAFrame)
{
    struct Case {
        const char* what;
        double age;
        uint8_t owned;
        bool retired;
    };
    for (const Case& c : { Case { "2.5 s silent", 2.5, 0, true }, Case { "exactly 2.0 s", 2.0, 0, false },
             Case { "owned", 10.0, 1, false } }) {
        SCOPED_TRACE(c.what);
        ObjectList.Clear();
        Probe* copy = Add(new Probe, [&](Probe& p) {
            p.runs = 1;
            p.owned = c.owned;
            p.lastNetTime = GameClock - c.age;
        });
        ObjectList.AddToExtraList(copy);
        ObjectList.CheckNetDead();
        EXPECT_EQ(copy->alive, c.retired ? 0 : 1);
    }
    ObjectList.Clear();
    std::vector<Probe*> stale;
    for (int i = 0; i < 2; ++i) {
        stale.push_back(Add(new Probe, [](Probe& p) {
            p.runs = 1;
            p.deferredDelete = 1;
            p.lastNetTime = GameClock - 3.0;
        }));
        ObjectList.AddToExtraList(stale.back());
    }
    ObjectList.CheckNetDead();
    EXPECT_EQ(stale[0]->alive, 0);
    EXPECT_EQ(stale[1]->alive, 1);
    EXPECT_TRUE(ObjectList.IsDeletePending(stale[0]));
    ObjectList.Pack();
    ObjectList.CheckNetDead();
    EXPECT_EQ(stale[1]->alive, 0);
    ObjectList.Pack();
    EXPECT_TRUE(ObjectList.ExtraList().IsEmpty());
}

TEST_F(ObjectListTest, ARemoteCopyCatchesUpByHalfAFramePlusTwiceItsLag)
{
    FrameTime = 0.1f;
    auto mover = [](uint8_t owned) {
        auto* object = new CDynamicObject;
        object->moves = 1;
        object->remote = 1;
        object->owned = owned;
        object->netLag = 0.2f;
        object->velocity = Vec3 { 10.0f, 0.0f, 0.0f };
        ObjectList.AddObject(object);
        return object;
    };
    CDynamicObject* remote = mover(0);
    CDynamicObject* owned = mover(1);
    ObjectList.PreMove();
    EXPECT_FLOAT_EQ(remote->netLag, 0.2f) << "PreMove leaves the lag";
    remote->velocity = owned->velocity = Vec3 { 10.0f, 0.0f, 0.0f };
    ObjectList.Move();
    EXPECT_NEAR(remote->frame.position.x, 10.0f * (0.1f * 0.5f + 2 * 0.2f), 1e-4f);
    EXPECT_EQ(remote->netLag, 0.0f);
    EXPECT_NEAR(owned->frame.position.x, 1.0f, 1e-5f);
    ObjectList.Move();
    EXPECT_NEAR(remote->frame.position.x, 4.5f + 1.0f, 1e-4f) << "a plain frame once caught up";
}

TEST_F(ObjectListTest, RunVisitsRunningAliveObjectsAndResetsTheZoneLevel)
{
    std::vector<int> order;
    Probe* a = Add(new Probe, [&](Probe& p) {
        p.runs = 1;
        p.order = &order;
    });
    Probe* dead = Add(new Probe, [&](Probe& p) {
        p.runs = 1;
        p.order = &order;
    });
    Probe* b = Add(new Probe, [&](Probe& p) {
        p.runs = 1;
        p.order = &order;
    });
    dead->alive = 0;
    AnomalyLevel = 3;
    ObjectList.Run();
    EXPECT_EQ(order, (std::vector<int> { a->id, b->id }));
    EXPECT_EQ(AnomalyLevel, -1);
}

TEST_F(ObjectListTest, TheCameraStepsOnceWithItsOwnTimeStepEvenWhenListed)
{
    FrameTime = 0.1f;
    CameraTimeStep = 0.05f;
    auto* camera = Add(new CCamera, [](CCamera& c) {
        c.moves = 1;
        c.hovers = 0;
        c.followsTerrain = 0;
    });
    CameraObject = camera;
    camera->velocity = Vec3 { 10.0f, 0.0f, 0.0f };
    ObjectList.Move();
    CameraObject = nullptr;
    EXPECT_NEAR(camera->frame.position.x, 0.5f, 1e-5f);
}

// A sink that records the journal notices.
class JournalSink : public CZJAppEvent {
public:
    void OnAddRating(float, int) override { }
    void OnGroupMessage(const char*, CFerroGroup*) override { }
    void UpdateJournal(int reason) override { reasons.push_back(reason); }
    std::vector<int> reasons;
};

TEST_F(ObjectListTest, ASensorFiresOnceWithinItsRadiusButAtLeastOneHundred)
{
    JournalSink sink;
    AppEvents = &sink;
    Probe player;
    struct Case {
        float radius;
        float distance;
        bool fires;
    };
    for (const Case& c : { Case { 30, 99.9f, true }, Case { 30, 100.5f, false }, Case { 250, 250, true },
             Case { 250, 251, false } }) {
        SCOPED_TRACE(c.distance);
        ObjectList.Clear();
        sink.reasons.clear();
        CHelperPoint* point = AddPoint("POINT1", { 500, 500, 0 }, 7);
        point->radius = c.radius;
        ObjectList.AddSensor(MakeNameKey32("POINT1"));
        ViewFrame.SetViewPosition(Vec3 { 500 + c.distance, 500, 0 });
        PlayerObject = nullptr;
        ObjectList.CheckSysObjectSensors();
        EXPECT_EQ(ObjectList.Sensors().Count(), 1) << "no player vehicle: no sensor";
        PlayerObject = &player;
        ObjectList.CheckSysObjectSensors();
        EXPECT_EQ(ObjectList.Sensors().Count(), c.fires ? 0 : 1);
        EXPECT_EQ(sink.reasons, c.fires ? std::vector<int> { 1 } : std::vector<int> {});
    }
    ObjectList.Clear();
    sink.reasons.clear();
    AddPoint("A", { 0, 0, 0 }, 7);
    AddPoint("B", { 10, 0, 0 }, 7);
    AddPoint("C", { 5000, 0, 0 }, 7);
    for (const char* name : { "A", "B", "C" })
        ObjectList.AddSensor(MakeNameKey32(name));
    ViewFrame.SetViewPosition(Vec3 { 0, 0, 0 });
    ObjectList.CheckSysObjectSensors();
    ASSERT_EQ(ObjectList.Sensors().Count(), 2);
    EXPECT_STREQ(ObjectList.Sensors().At(0)->name, "B");
    ObjectList.CheckSysObjectSensors();
    ASSERT_EQ(ObjectList.Sensors().Count(), 1);
    EXPECT_STREQ(ObjectList.Sensors().At(0)->name, "C");
    ObjectList.CheckSysObjectSensors();
    EXPECT_EQ(sink.reasons.size(), 2u);
}

} // namespace

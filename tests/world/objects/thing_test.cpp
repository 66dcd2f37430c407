// Things: who may take one, the transfer into the machine record with its refusals and load
// check, expiry, the network record and the save form.
#include "tests/ai/machine_fixture.h"
#include "tests/world/objects/translation.h"

#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "net/wire/NetWire.h"
#include "tools/map/map_writer.h"
#include "world/db/CGliderManager.h"
#include "world/db/CMissileManager.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CTheThing.h"
#include "world/objects/CZJAppEvent.h"
#include "world/terrain/CLocation.h"
#include "world/terrain/Map.h"

#include <string>
#include <vector>

namespace {

class PickupLog : public CZJAppEvent {
public:
    void OnAddRating(float, int) override { }
    void OnGroupMessage(const char*, CFerroGroup*) override { }
    void OnPickup(int kind, const SThingItem* items, int count) override
    {
        kinds.push_back(kind);
        for (int i = 0; i < count; ++i)
            ids.push_back(items[i].id);
    }
    std::vector<int> kinds;
    std::vector<std::string> ids;
};

class ThingTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        LoadTables(FullRow("CFG_ONE"));
        FrameTime = 0.1f;
        VisibleRadius = 256;
        PlayerObject = nullptr;
        PlayerPosition = kSpot;
        zoq::tools::map::LocationMap map = zoq::tools::map::LocationMap::Flat(129, 129);
        WriteBytes("Data/flat.zjp", zoq::tools::map::WriteMap(map));
        const std::string path = std::string(g_ResourceDBManager.BaseDirectory()) + "Data\\flat.zjp";
        Location.SizeBufferPools(4, 4);
        ASSERT_TRUE(g_PakManager.Open(path.c_str()));
        Map::Load(Location);
        g_PakManager.CloseFile();
        machine.ApplyConfig(FerrovantConfigList.Find("CFG_ONE"), false, 0);
        glider = new CGliderObject;
        glider->Init(TranslationAt(kSpot).m, MakeNameKey32("GL_A"));
        glider->AssignFerrovant(&machine);
        ObjectList.AddObject(glider);
    }
    void TearDown() override
    {
        ObjectList.Clear();
        Location.ClearCellObjects();
        Location.Purge();
        PlayerObject = nullptr;
        AppEvents = nullptr;
        MachineTest::TearDown();
    }

    CTheThing* Thing(int32_t kind, const Vec3& at = kSpot)
    {
        auto* thing = new CTheThing;
        thing->Init(TranslationAt(at).m, kind);
        ObjectList.AddObject(thing);
        return thing;
    }
    int Stock(const char* name) const
    {
        const int row = g_MissileManager.GetRowNames().Find(name);
        for (int i = 0; i < machine.ammoCount; ++i)
            if (machine.ammo[i].index == row)
                return machine.ammo[i].count;
        return 0;
    }

    static constexpr Vec3 kSpot { 300.0f, 300.0f, 10.0f };
    CFerrovant machine;
    CGliderObject* glider = nullptr;
};

TEST_F(ThingTest, QualificationBySpeedAndHorizontalDistance)
{
    struct Case {
        float speed;
        float away;
        bool taken;
    };
    const Case cases[] = { { 8.0f, 16.0f, true }, { 8.1f, 16.0f, false }, { 8.1f, 8.0f, true },
        { 80.0f, 0.0f, false }, { 0.0f, 16.1f, false } };
    CTheThing* thing = Thing(513);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.speed << " at " << c.away);
        glider->frame.SetPosition(Vec3 { kSpot.x + c.away, kSpot.y, kSpot.z + 40.0f });
        glider->velocity = Vec3 { 0.0f, 0.0f, c.speed };
        EXPECT_EQ(thing->Qualifies(*glider), c.taken);
    }
    glider->velocity = Vec3 {};
    glider->dead = 1;
    EXPECT_FALSE(thing->Qualifies(*glider));
    glider->dead = 0;
    thing->owned = 1;
    PlayerObject = glider;
    EXPECT_FALSE(thing->Qualifies(*glider)) << "the player never takes an owned thing";
}

TEST_F(ThingTest, PickUpMovesEachItemOnceIntoStocksCargoAndMoney)
{
    PickupLog events;
    AppEvents = &events;
    PlayerObject = glider;
    const int bombs = Stock("MIS_BOMB");
    CTheThing* thing = Thing(513);
    thing->AddItem(0, "MIS_BOMB", 3);
    thing->AddItem(0, "MIS_ROCKET", 2);
    thing->AddItem(0, "TOV_A", 5);
    thing->AddItem(3, "", 250);
    thing->Run();
    EXPECT_EQ(thing->onGround, 0);
    EXPECT_EQ(thing->contentCount, 0) << "items handed over leave the thing";
    EXPECT_EQ(Stock("MIS_BOMB"), bombs + 3);
    EXPECT_EQ(Stock("MIS_ROCKET"), 2) << "a new stock is appended";
    EXPECT_TRUE(machine.cargo.HasGoods("TOV_A", CargoItem::kGoods, 5));
    EXPECT_FLOAT_EQ(machine.cargo.bulkAmount, 250.0f);
    EXPECT_FLOAT_EQ(glider->mass, machine.GetSumWeight());
    EXPECT_EQ(events.kinds, std::vector<int> { 513 });
    EXPECT_EQ(events.ids, (std::vector<std::string> { "MIS_BOMB", "MIS_ROCKET", "TOV_A", "" }));
    for (int i = 0; i < 6 && !ObjectList.IsDeletePending(thing); ++i)
        thing->Run();
    EXPECT_TRUE(ObjectList.IsDeletePending(thing)) << "rises for 0.5 s, then deleted";
    EXPECT_FALSE(LogExists());
}

TEST_F(ThingTest, ARefusedItemStaysLoggedOnceAndTheNextGoesOn)
{
    CTheThing* thing = Thing(513);
    thing->AddItem(0, "TOV_UNKNOWN", 1);
    thing->AddItem(0, "TOV_A", 1);
    thing->Run();
    thing->Run();
    EXPECT_EQ(thing->onGround, 1);
    ASSERT_EQ(thing->contentCount, 1);
    EXPECT_STREQ(thing->contents[0].id, "TOV_UNKNOWN");
    EXPECT_TRUE(machine.cargo.HasGoods("TOV_A", CargoItem::kGoods, 1));
    EXPECT_EQ(LogLineCount("CTheThing::Run item refused 'TOV_UNKNOWN'"), 1);
}

TEST_F(ThingTest, AFullStockTableRefusesANewAmmunition)
{
    machine.ammoCount = CFerrovant::kMaxAmmo;
    for (AmmoStock& stock : machine.ammo)
        stock = AmmoStock { g_MissileManager.GetRowNames().Find("MIS_BOMB"), {}, 1 };
    CTheThing* thing = Thing(513);
    thing->AddItem(0, "MIS_ROCKET", 1);
    thing->Run();
    EXPECT_EQ(thing->contentCount, 1);
    EXPECT_EQ(machine.ammoCount, CFerrovant::kMaxAmmo);
    EXPECT_EQ(LogLineCount("CTheThing::Run item refused 'MIS_ROCKET'"), 1);
}

TEST_F(ThingTest, TheLoadCheckStopsThePlayerExceptForMoney)
{
    PlayerObject = glider;
    machine.cargo.AddGoods("TOV_A", 1000, 1.0f, CargoItem::kGoods);
    CTheThing* goods = Thing(513);
    goods->AddItem(0, "TOV_A", 1);
    goods->Run();
    EXPECT_EQ(goods->onGround, 1);
    EXPECT_EQ(goods->contentCount, 1);
    CTheThing* money = Thing(515);
    money->AddItem(3, "", 10);
    money->Run();
    EXPECT_EQ(money->onGround, 0);
    EXPECT_FLOAT_EQ(machine.cargo.bulkAmount, 10.0f);
}

TEST_F(ThingTest, AnEmptyThingIsTakenAndAFarPlayerOnlyOneIsNot)
{
    PlayerObject = glider;
    CTheThing* empty = Thing(513);
    empty->Run();
    EXPECT_EQ(empty->onGround, 0);

    VisibleRadius = 10; // takers only within 90 of the camera
    PlayerPosition = Vec3 { kSpot.x + 200.0f, kSpot.y, kSpot.z };
    CTheThing* far = Thing(513);
    far->playerOnly = 1;
    far->age = 5000.0f;
    far->Run();
    EXPECT_EQ(far->onGround, 1);
    EXPECT_FALSE(ObjectList.IsDeletePending(far)) << "a player-only thing never expires";
}

TEST_F(ThingTest, AnOldThingFarFromTheCameraExpires)
{
    glider->SetPosition(Vec3 { kSpot.x + 500.0f, kSpot.y, kSpot.z });
    CTheThing* core = Thing(257);
    core->AddItem(2, "NOBODY", 1);
    core->age = 1199.0f;
    PlayerPosition = Vec3 { kSpot.x + 1001.0f, kSpot.y, kSpot.z };
    core->Run();
    EXPECT_FALSE(ObjectList.IsDeletePending(core));
    core->age = 1200.5f;
    core->Run();
    EXPECT_TRUE(ObjectList.IsDeletePending(core));
    EXPECT_EQ(LogLineCount("CTheThing::Run: ferro not found.."), 1);
}

TEST_F(ThingTest, TheNetworkRecordCarriesKindAndItemsAndRefusesBadCounts)
{
    using namespace NetWire;
    CTheThing thing;
    thing.Init(TranslationAt(kSpot).m, 514);
    thing.AddItem(1, "TOV_NOMERGE", 2);
    thing.AddItem(0, "TOV_A", 7);
    uint8_t record[600] = {};
    int size = 0;
    thing.PackNetState(record, &size);
    EXPECT_EQ(size, 43 + 40 * 2);
    EXPECT_EQ(Get<uint16_t>(record, Record::kLength), 43 + 40 * 2);

    CTheThing copy;
    int read = 0;
    copy.UnpackNetState(record, &read);
    EXPECT_EQ(read, size);
    EXPECT_EQ(copy.kind, 514);
    ASSERT_EQ(copy.contentCount, 2);
    EXPECT_STREQ(copy.contents[1].id, "TOV_A");
    EXPECT_EQ(copy.contents[1].amount, 7u);

    CTheThing untouched;
    Put<uint32_t>(record, Thing::kCount, 11);
    Put<uint16_t>(record, Record::kLength, uint16_t(Thing::SizeFor(11)));
    untouched.UnpackNetState(record, &read);
    EXPECT_EQ(read, 0) << "more than ten items";
    Put<uint32_t>(record, Thing::kCount, 3);
    Put<uint16_t>(record, Record::kLength, uint16_t(Thing::SizeFor(2)));
    untouched.UnpackNetState(record, &read);
    EXPECT_EQ(read, 0) << "shorter than its count";
    EXPECT_EQ(untouched.contentCount, 0);
}

TEST_F(ThingTest, ARemoteCopyTakenSendsAHitOnceItHasRisen)
{
    CTheThing* thing = Thing(513);
    thing->remote = 1;
    thing->Run();
    ASSERT_EQ(thing->onGround, 0);
    EXPECT_EQ(thing->damagePending, 0);
    for (int i = 0; i < 6 && !thing->damagePending; ++i)
        thing->Run();
    EXPECT_EQ(thing->damagePending, 1);
    EXPECT_FLOAT_EQ(thing->pendingDamage[0], 1.0f);
}

TEST_F(ThingTest, TheSaveFormRoundTripsAndABadCountFailsTheLoad)
{
    CTheThing thing;
    thing.Init(TranslationAt(kSpot).m, 515);
    thing.playerOnly = 1;
    thing.AddItem(3, "", 99);
    XMemBuffer stream(16);
    thing.SaveToStream2(stream);
    EXPECT_EQ(stream.Position(), 1 + 12 + 4 + 1 + 4 + 40);

    CTheThing loaded;
    XMemBuffer in;
    in.Attach(stream.Data(), stream.Position());
    loaded.LoadFromStream2(in);
    EXPECT_EQ(loaded.kind, 515);
    EXPECT_EQ(loaded.playerOnly, 1);
    EXPECT_EQ(loaded.saved, 1);
    EXPECT_EQ(loaded.frame.position.x, kSpot.x);
    ASSERT_EQ(loaded.contentCount, 1);
    EXPECT_EQ(loaded.contents[0].amount, 99u);

    const uint32_t eleven = 11;
    std::memcpy(stream.Data() + 1 + 12 + 4 + 1, &eleven, sizeof eleven);
    CTheThing bad;
    in.Attach(stream.Data(), stream.Position());
    EXPECT_THROW(bad.LoadFromStream2(in), XRangeError);
    EXPECT_EQ(bad.contentCount, 0);
    EXPECT_EQ(LogLineCount("CTheThing::LoadFromStream2 bad item count 11"), 1);
}

TEST_F(ThingTest, TheFlashFrameGridBelowAndAbove256)
{
    struct Case {
        uint32_t grid;
        float rise;
        int frame;
    };
    const Case cases[] = { { 4, 0.0f, 0 }, { 4, 0.25f, 8 }, { 4, 0.5f, 15 }, { (2u << 8) | 3u, 0.25f, 3 },
        { (2u << 8) | 3u, 0.49f, 5 }, { 0, 0.3f, 0 } };
    for (const Case& c : cases)
        EXPECT_EQ(CTheThing::FlashFrame(c.grid, c.rise), c.frame) << c.grid << " at " << c.rise;
}

TEST_F(ThingTest, AnUnknownKindIsLoggedAndHasNoModel)
{
    CTheThing thing;
    thing.Init(TranslationAt(kSpot).m, 7);
    EXPECT_EQ(thing.modelIndex, -1);
    EXPECT_EQ(LogLineCount("CTheThing::Init unknown type"), 1);
}

} // namespace

#include "foundation/CTimer.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"
#include "net/wire/NetWire.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace NetWire;

namespace {

// A plain object the list owns, as a class would make it.
CZJObject* NewObject()
{
    auto* object = new CZJObject;
    object->type = 7;
    object->typeIndex = 5;
    object->networkId = 0x00300011;
    ObjectList.AddObject(object);
    return object;
}

class ObjectBaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ObjectList.Clear();
        Location.Purge();
        Location.blocksX = Location.blocksY = 4;
        GameClock = 100.0;
    }
    void TearDown() override
    {
        Location.ClearCellObjects();
        Location.Purge();
        ObjectList.Clear();
    }
    static bool Filed(int column, int row, CZJObject* object)
    {
        return Location.Cell(column, row).objects.IndexOf(object) >= 0;
    }
};

TEST_F(ObjectBaseTest, ANewObjectHasTheConstructorDefaults)
{
    CZJObject object;
    EXPECT_EQ(object.constructedFlag, 1);
    EXPECT_EQ(object.netDirty, 1);
    EXPECT_EQ(object.solid, 1);
    EXPECT_EQ(object.visible, 0);
    EXPECT_EQ(object.alive, 0);
    EXPECT_EQ(object.typeIndex, 0);
    EXPECT_EQ(object.lastRecordTime, -1.0e10);
    EXPECT_FLOAT_EQ(object.drawDistanceFactor, 1.0f);
    EXPECT_EQ(object.GetModel(), nullptr);
    object.Draw(); // no model: nothing drawn, no fault
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FLOAT_EQ(CZJObject::GetObjectBrightness(Vec3 { nan, 1e30f, 0 }), 1.0f) << "off the grid";
    EXPECT_NO_THROW(object.EffectSphere(7));
    EXPECT_THROW(object.EffectSphere(8), XRangeError);
    EXPECT_THROW(object.EffectSphere(-1), XRangeError);
}

TEST_F(ObjectBaseTest, SetPositionRefilesOnlyWhenTheCellMayChange)
{
    CZJObject* object = NewObject();
    const Vec3 start { 100, 100, 5 };
    object->frame.SetPosition(start);
    // Filed in another cell than its position on purpose: an unchanged position must not refile.
    Location.AddCellObject(Vec3 { 700, 700, 0 }, object, false);
    object->SetPosition(start);
    EXPECT_TRUE(Filed(1, 1, object));
    EXPECT_FALSE(Filed(0, 0, object));
    // One coordinate changed: the object moves from the old position's cell to the new one's.
    object->SetPosition(Vec3 { 100, 1300, 5 });
    EXPECT_TRUE(Filed(0, 2, object));
    EXPECT_FALSE(Filed(1, 1, object));
    EXPECT_FLOAT_EQ(object->frame.matrix.m[13], 1300.0f);
}

TEST_F(ObjectBaseTest, SaveRecordsOfBothFormsAndTheirLoads)
{
    CZJObject* object = NewObject();
    object->frame.SetPosition(Vec3 { 1, 2, 3 });
    object->runs = 1;
    object->visible = 1;

    XMemBuffer full;
    int size = -7;
    object->SaveGame(full, &size, false);
    ASSERT_EQ(full.Position(), 68);
    EXPECT_EQ(size, -7) << "the base leaves size";
    float m[16];
    std::memcpy(m, full.Data(), sizeof m);
    EXPECT_EQ(m[12], 1.0f);
    EXPECT_EQ(m[14], 3.0f);
    EXPECT_EQ(
        std::vector<uint8_t>(full.Data() + 64, full.Data() + 68), (std::vector<uint8_t> { 1, 1, 0, 1 }));

    XMemBuffer brief;
    object->SaveGame(brief, &size, true);
    ASSERT_EQ(brief.Position(), 68);
    EXPECT_EQ(brief.Data()[67], 1);

    CZJObject* copy = NewObject();
    full.Rewind();
    copy->LoadGame(full, &size, false);
    EXPECT_EQ(full.Position(), 68);
    EXPECT_FLOAT_EQ(copy->frame.position.y, 2.0f);
    EXPECT_EQ(copy->runs, 1);
    EXPECT_EQ(copy->visible, 1);

    // The short form reads the same 68 bytes but keeps the visible flag.
    copy->visible = 0;
    full.Rewind();
    copy->LoadGame(full, &size, true);
    EXPECT_EQ(full.Position(), 68);
    EXPECT_EQ(copy->visible, 0);
}

TEST_F(ObjectBaseTest, UntrustedSavesApplyNoNonFiniteFrameAndStopAtTheEnd)
{
    CZJObject* object = NewObject();
    object->frame.SetPosition(Vec3 { 4, 5, 6 });
    float bad[16] = {};
    bad[5] = std::numeric_limits<float>::quiet_NaN();
    XMemBuffer stream;
    stream.Write(bad, sizeof bad);
    const uint8_t flags[4] = { 1, 1, 1, 1 };
    stream.Write(flags, 4);
    stream.Rewind();
    int size = 0;
    object->LoadGame(stream, &size, false);
    EXPECT_FLOAT_EQ(object->frame.position.x, 4.0f);
    EXPECT_FALSE(std::isnan(object->frame.matrix.m[5]));

    XMemBuffer shortStream;
    shortStream.Write(bad, 20);
    shortStream.Rewind();
    EXPECT_THROW(object->LoadGame(shortStream, &size, false), XRangeError);
    EXPECT_FLOAT_EQ(object->frame.position.x, 4.0f);
}

TEST_F(ObjectBaseTest, TheListRecordOfANamedObjectIsItsVisibleByteAlone)
{
    struct Case {
        const char* name;
        int bytes;
    };
    for (const Case& c : { Case { "", 13 }, Case { "DEPOT", 1 } }) {
        SCOPED_TRACE(c.name);
        CZJObject* object = NewObject();
        std::strncpy(object->name, c.name, sizeof object->name - 1);
        object->visible = 1;
        object->frame.SetPosition(Vec3 { 7, 8, 9 });
        XMemBuffer stream;
        object->SaveToStream2(stream);
        ASSERT_EQ(stream.Position(), c.bytes);

        CZJObject* copy = NewObject();
        std::strncpy(copy->name, c.name, sizeof copy->name - 1);
        stream.Rewind();
        copy->LoadFromStream2(stream);
        EXPECT_EQ(stream.Position(), c.bytes);
        EXPECT_EQ(copy->visible, 1);
        EXPECT_FLOAT_EQ(copy->frame.position.z, c.bytes == 13 ? 9.0f : 0.0f);
    }
}

TEST_F(ObjectBaseTest, TheBaseRecordRoundTripsAtItsOffsets)
{
    for (const uint8_t alive : { 1, 0 }) {
        SCOPED_TRACE(int(alive));
        CZJObject* object = NewObject();
        object->frame.SetPosition(Vec3 { 10, 20, 30 });
        object->alive = alive;
        uint8_t record[64] = {};
        int size = 0;
        object->PackNetState(record, &size);
        ASSERT_EQ(size, 35);
        EXPECT_EQ(object->netDirty, 0);
        EXPECT_EQ(object->lastNetTime, 100.0);
        EXPECT_EQ(Get<uint32_t>(record, Record::kNetId), 0x00300011u);
        EXPECT_EQ(Get<double>(record, Record::kTime), 100.0);
        EXPECT_EQ(record[Record::kKind], alive ? 0 : 1);
        EXPECT_EQ(Get<float>(record, Record::kPosition + 4), 20.0f);
        EXPECT_EQ(Get<uint32_t>(record, Record::kType), 7u);
        EXPECT_EQ(Get<uint32_t>(record, Record::kBaseState), 5u);
        EXPECT_EQ(Get<uint16_t>(record, Record::kLength), 35);

        CZJObject* copy = NewObject();
        copy->deferredDelete = 1; // queued, so the deletion is visible
        Put<double>(record, Record::kTime, 99.5);
        GameClock = 101.0;
        copy->UnpackNetState(record, &size);
        EXPECT_EQ(size, 35);
        EXPECT_FLOAT_EQ(copy->frame.position.z, 30.0f) << "the position comes before a delete";
        EXPECT_EQ(copy->lastRecordTime, 99.5);
        EXPECT_EQ(copy->lastNetTime, 101.0);
        EXPECT_EQ(ObjectList.IsDeletePending(copy), alive == 0);
        GameClock = 100.0;
    }
}

TEST_F(ObjectBaseTest, ABadBaseRecordChangesNothing)
{
    struct Case {
        const char* what;
        uint16_t length;
        float x;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case& c : { Case { "short", 34, 1.0f }, Case { "over-length", 10001, 1.0f },
             Case { "NaN", 35, nan }, Case { "infinite", 35, std::numeric_limits<float>::infinity() } }) {
        SCOPED_TRACE(c.what);
        uint8_t record[35] = {};
        record[Record::kKind] = Record::kFinal;
        Put<float>(record, Record::kPosition, c.x);
        Put<uint16_t>(record, Record::kLength, c.length);
        Put<double>(record, Record::kTime, 5.0);
        CZJObject* object = NewObject();
        int size = -1;
        object->UnpackNetState(record, &size);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(object->frame.position.x, 0.0f);
        EXPECT_EQ(object->lastRecordTime, -1.0e10);
        EXPECT_FALSE(ObjectList.IsDeletePending(object));
    }
}

} // namespace

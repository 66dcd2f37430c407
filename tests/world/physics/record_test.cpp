// The moving-object record: a round trip at its offsets (the frame's columns 2, 0 and 1, the
// twelve motion words, visible), a final record deleting after it applies, and records that are
// short, over-long or not finite changing nothing.
#include "tests/world/physics/physics_fixture.h"

#include "foundation/CTimer.h"
#include "net/wire/NetWire.h"
#include "world/objects/CObjectList.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace NetWire;

class MovingRecordTest : public testing::Test {
protected:
    void TearDown() override { ObjectList.Clear(); }

    static TestMover* NewMover()
    {
        auto* object = new TestMover;
        object->deferredDelete = 1;
        ObjectList.AddObject(object);
        return object;
    }

    // A packed record of a turned, moving object with its length set as the network client does.
    static std::vector<uint8_t> Packed(TestMover& object)
    {
        std::vector<uint8_t> record(Moving::kSize + 8, 0xEE);
        int size = 0;
        object.PackNetState(record.data(), &size);
        EXPECT_EQ(size, int(Moving::kSize));
        Put<uint16_t>(record.data(), Record::kLength, uint16_t(size));
        return record;
    }

    static void Turned(TestMover& object)
    {
        object.frame.SetPosition(Vec3 { 10, 20, 30 });
        object.frame.SetDirection(Vec3 { 0.6f, 0.8f, 0.0f });
        object.thrust = 1.0f;
        object.sideImpulse = 2.0f;
        object.bankCoupling = 3.0f;
        object.velocity = Vec3 { 4, 5, 6 };
        object.rateSpare = 7.0f;
        object.pitchRate = 8.0f;
        object.rollRate = 9.0f;
        object.controlX = 0.5f;
        object.controlY = -0.5f;
        object.spareControl = 12.0f;
        object.visible = 1;
    }
};

TEST_F(MovingRecordTest, ARecordRoundTripsAtItsOffsets)
{
    TestMover& object = *NewMover();
    Turned(object);
    const std::vector<uint8_t> record = Packed(object);
    const uint8_t* r = record.data();
    const Matrix4& m = object.frame.matrix;
    for (const auto& [offset, column] :
        { std::pair { Moving::kAxis0, 2 }, { Moving::kAxis1, 0 }, { Moving::kAxis2, 1 } })
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Get<float>(r, offset + 4 * size_t(i)), m.m[4 * i + column]) << offset << " " << i;
    const struct {
        size_t offset;
        float value;
    } words[] = { { Moving::kThrust, 1 }, { Moving::kSideImpulse, 2 }, { Moving::kBankCoupling, 3 },
        { Moving::kVelocity, 4 }, { Moving::kVelocity + 8, 6 }, { Moving::kRates, 7 },
        { Moving::kRates + 4, 8 }, { Moving::kRates + 8, 9 }, { Moving::kControlX, 0.5f },
        { Moving::kControlY, -0.5f }, { Moving::kSpare, 12 } };
    for (const auto& word : words)
        EXPECT_EQ(Get<float>(r, word.offset), word.value) << word.offset;
    EXPECT_EQ(r[Moving::kVisible], 1);
    EXPECT_EQ(r[Moving::kSize], 0xEE) << "nothing written past the record";

    TestMover& copy = *NewMover();
    int size = 0;
    copy.UnpackNetState(r, &size);
    EXPECT_EQ(size, int(Moving::kSize));
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(copy.frame.matrix.m[i], m.m[i], 1e-6f) << i;
    EXPECT_FLOAT_EQ(copy.frame.forward.x, 0.6f);
    EXPECT_FLOAT_EQ(copy.velocity.z, 6.0f);
    EXPECT_FLOAT_EQ(copy.rollRate, 9.0f);
    EXPECT_FLOAT_EQ(copy.spareControl, 12.0f);
    EXPECT_EQ(copy.visible, 1);
    EXPECT_FALSE(ObjectList.IsDeletePending(&copy));
}

TEST_F(MovingRecordTest, AFinalRecordAppliesThenDeletes)
{
    TestMover& object = *NewMover();
    Turned(object);
    object.alive = 0;
    const std::vector<uint8_t> record = Packed(object);
    EXPECT_EQ(record[Record::kKind], Record::kFinal);
    TestMover& copy = *NewMover();
    int size = 0;
    copy.UnpackNetState(record.data(), &size);
    EXPECT_EQ(size, int(Moving::kSize));
    EXPECT_FLOAT_EQ(copy.frame.position.y, 20.0f);
    EXPECT_FLOAT_EQ(copy.velocity.x, 4.0f);
    EXPECT_TRUE(ObjectList.IsDeletePending(&copy));
}

TEST_F(MovingRecordTest, AShortOverLongOrNonFiniteRecordChangesNothing)
{
    TestMover source;
    Turned(source);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* what;
        size_t offset; // a float set to NaN, or 0 for none
        uint16_t length;
    } cases[] = {
        { "base length", 0, 35 },
        { "119 bytes", 0, 119 },
        { "over-long", 0, 10001 },
        { "position", Record::kPosition + 8, 120 },
        { "axis", Moving::kAxis2 + 4, 120 },
        { "velocity", Moving::kVelocity, 120 },
        { "spare word", Moving::kSpare, 120 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> record = Packed(source);
        Put<uint16_t>(record.data(), Record::kLength, c.length);
        if (c.offset != 0)
            Put<float>(record.data(), c.offset, nan);
        TestMover& copy = *NewMover();
        int size = -1;
        copy.UnpackNetState(record.data(), &size);
        EXPECT_EQ(size, 0);
        EXPECT_EQ(copy.frame.position.x, 0.0f);
        EXPECT_EQ(copy.velocity.x, 0.0f);
        EXPECT_EQ(copy.lastRecordTime, -1.0e10);
        EXPECT_EQ(copy.visible, 0);
    }
}

} // namespace

// The moving object: jumps once per two seconds, throttle and control inputs with their change
// flag, impulses by mass, and the two save forms.
#include "tests/world/physics/physics_fixture.h"

#include "foundation/CTimer.h"
#include "foundation/XMemBuffer.h"
#include "foundation/XRangeError.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

class MovingTest : public testing::Test {
protected:
    void SetUp() override { m_clock = GameClock; }
    void TearDown() override { GameClock = m_clock; }

private:
    double m_clock = 0.0;
};

TEST_F(MovingTest, JumpsAreTwoSecondsApart)
{
    for (const double gap : { 1.9, 2.1 }) {
        SCOPED_TRACE(gap);
        TestMover object;
        GameClock = 100.0;
        object.Jump(5.0f);
        GameClock += gap;
        object.Jump(5.0f);
        EXPECT_FLOAT_EQ(object.velocity.z, gap < 2.0 ? 5.0f : 10.0f);
    }
    TestMover fresh; // the first jump of a new object is accepted at any clock
    GameClock = 0.0;
    fresh.Jump(1.0f);
    EXPECT_FLOAT_EQ(fresh.velocity.z, 1.0f);
}

TEST_F(MovingTest, InputsMarkTheObjectChangedOnlyWhenTheyChange)
{
    TestMover object;
    object.netDirty = 0;
    object.SetThrottle(0.4f);
    EXPECT_FLOAT_EQ(object.thrust, 10.0f);
    EXPECT_EQ(object.netDirty, 1);

    struct Case {
        const char* name;
        void (*set)(TestMover&, float);
        float value;
        uint8_t dirty;
    } const cases[] = {
        { "same throttle", [](TestMover& o, float v) { o.SetThrottle(v); }, 0.4f, 0 },
        { "same control x", [](TestMover& o, float v) { o.SetControlX(v); }, 0.0f, 0 },
        { "same control y", [](TestMover& o, float v) { o.SetControlY(v); }, 0.0f, 0 },
        { "new control x", [](TestMover& o, float v) { o.SetControlX(v); }, 0.5f, 1 },
        { "new control y", [](TestMover& o, float v) { o.SetControlY(v); }, -1.0f, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        object.netDirty = 0;
        c.set(object, c.value);
        EXPECT_EQ(object.netDirty, c.dirty);
    }
    EXPECT_FLOAT_EQ(object.controlX, 0.5f);
    EXPECT_FLOAT_EQ(object.controlY, -1.0f);
}

TEST_F(MovingTest, AnImpulseIsDividedByTheMass)
{
    TestMover missile;
    missile.mass = 0.0001f;
    missile.netDirty = 0;
    missile.ApplyImpulse(Vec3 { 1.0f, -2.0f, 0.5f });
    EXPECT_NEAR(missile.velocity.x, 10000.0f, 1.0f);
    EXPECT_NEAR(missile.velocity.y, -20000.0f, 2.0f);
    EXPECT_NEAR(missile.velocity.z, 5000.0f, 0.5f);
    EXPECT_EQ(missile.netDirty, 1);
}

// Both forms take 108 bytes, so records behind a short one stay in step.
TEST_F(MovingTest, SavesKeepTheMotionWordsAndBothFormsTakeTheSameBytes)
{
    TestMover saved;
    saved.thrust = 7.0f;
    saved.velocity = Vec3 { 1, 2, 3 };
    saved.rateSpare = 4.0f;
    saved.pitchRate = 5.0f;
    saved.rollRate = 6.0f;
    saved.controlX = 0.25f;
    saved.controlY = -0.5f;
    saved.spareControl = 9.0f;
    for (const bool shortForm : { false, true }) {
        SCOPED_TRACE(shortForm);
        XMemBuffer stream;
        int size = -1;
        saved.SaveGame(stream, &size, shortForm);
        stream.WriteValue(uint32_t(0xABCD1234)); // the next record
        EXPECT_EQ(stream.Position(), 68 + 40 + 4);
        stream.Rewind();
        TestMover loaded;
        loaded.LoadGame(stream, &size, shortForm);
        EXPECT_EQ(stream.ReadU32(), 0xABCD1234u);
        if (!shortForm) {
            EXPECT_FLOAT_EQ(loaded.thrust, 7.0f);
            EXPECT_FLOAT_EQ(loaded.velocity.z, 3.0f);
            EXPECT_FLOAT_EQ(loaded.rollRate, 6.0f);
            EXPECT_FLOAT_EQ(loaded.controlY, -0.5f);
            EXPECT_FLOAT_EQ(loaded.spareControl, 9.0f);
        }
    }
}

TEST_F(MovingTest, ABadSaveChangesNoMotion)
{
    TestMover source;
    source.velocity = Vec3 { std::numeric_limits<float>::quiet_NaN(), 0, 0 };
    source.thrust = 3.0f;
    XMemBuffer stream;
    int size = 0;
    source.SaveGame(stream, &size, false);
    stream.WriteValue(uint32_t(0xABCD1234)); // the next record stays in step
    stream.Rewind();
    TestMover loaded;
    loaded.LoadGame(stream, &size, false);
    EXPECT_FLOAT_EQ(loaded.velocity.x, 0.0f);
    EXPECT_FLOAT_EQ(loaded.thrust, 0.0f);
    EXPECT_EQ(stream.ReadU32(), 0xABCD1234u);

    XMemBuffer shortStream;
    source.SaveGame(shortStream, &size, false);
    std::vector<uint8_t> cut(shortStream.Data(), shortStream.Data() + 100);
    XMemBuffer reader;
    reader.Attach(cut.data(), int(cut.size()));
    EXPECT_THROW(loaded.LoadGame(reader, &size, false), XRangeError);
}

} // namespace

#include "foundation/ErrorLog.h"
#include "foundation/Rand.h"
#include "foundation/XRandom.h"
#include "foundation/XRangeError.h"
#include "tests/support/error_log_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RandomTest : public zoq::test::ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        SharedRandom = XRandom();
        RandomStateStack.Clear();
    }

    void TearDown() override
    {
        RandomStateStack.Clear();
        ErrorLogTest::TearDown();
    }
};

TEST_F(RandomTest, GetFromSeedZero)
{
    XRandom random;
    EXPECT_FLOAT_EQ(random.Get(1.0f), 0.9297f);
    EXPECT_EQ(random.seed, 49297u);
    EXPECT_FLOAT_EQ(random.last, 49297.0f / 233280.0f);

    XRandom other;
    EXPECT_EQ(other.GetInt(10), 2);
    EXPECT_EQ(other.seed, 49297u);
}

TEST_F(RandomTest, ValuesStayInRangeOverAFullPeriod)
{
    XRandom random;
    for (int i = 0; i < 233280; ++i) {
        float v = random.Get(7.5f);
        ASSERT_GE(v, 0.0f);
        ASSERT_LT(v, 7.5f);
        ASSERT_LT(random.seed, XRandom::kModulus);
        ASSERT_LT(random.last, 1.0f);
    }
    // The full-period congruence comes back to its start.
    EXPECT_EQ(random.seed, 0u);
}

TEST_F(RandomTest, GetIntOfANonPositiveCountIsZeroAndStillSteps)
{
    XRandom random;
    for (int n : { 0, -5 }) {
        uint32_t before = random.seed;
        EXPECT_EQ(random.GetInt(n), 0);
        EXPECT_NE(random.seed, before);
    }
}

TEST_F(RandomTest, SameSeedSameSequence)
{
    auto draw = [](uint32_t seed) {
        SeedRand(seed);
        std::vector<int> values;
        for (int i = 0; i < 100; ++i)
            values.push_back(Rand());
        return values;
    };
    EXPECT_EQ(draw(12345), draw(12345));
    EXPECT_NE(draw(12345), draw(12346));
    for (int v : draw(7)) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, kRandMax);
    }
}

TEST_F(RandomTest, RandRangeStaysBelowItsBound)
{
    SeedRand(99);
    for (float x : { 1.0f, 10.0f, 0.001f, 123456.0f }) {
        for (int i = 0; i < 2000; ++i) {
            float v = RandRange(x);
            ASSERT_GE(v, 0.0f);
            ASSERT_LT(v, x);
        }
    }
}

TEST_F(RandomTest, PushAndPopRestoreTheSequence)
{
    auto draw = [] {
        std::vector<float> values;
        for (int i = 0; i < 5; ++i)
            values.push_back(SharedRandom.Get(1.0f));
        return values;
    };
    SharedRandom.Get(1.0f);
    const XRandom outer = SharedRandom;
    PushRandomState();
    const std::vector<float> first = draw();

    const XRandom inner = SharedRandom;
    PushRandomState();
    SharedRandom.seed = 4242;
    SharedRandom.last = 0.5f;
    PopRandomState();
    EXPECT_EQ(SharedRandom.seed, inner.seed);
    EXPECT_EQ(SharedRandom.last, inner.last);

    PopRandomState();
    EXPECT_EQ(SharedRandom.seed, outer.seed);
    EXPECT_EQ(SharedRandom.last, outer.last);
    EXPECT_EQ(draw(), first);
    EXPECT_TRUE(RandomStateStack.IsEmpty());
}

TEST_F(RandomTest, TheStackHoldsFourStates)
{
    for (int i = 0; i < 4; ++i)
        PushRandomState();
    EXPECT_THROW(PushRandomState(), XRangeError);
    EXPECT_NE(LogText().find("XStaticFIFO::Push index is out of range"), std::string::npos);
}

TEST_F(RandomTest, PoppingAnEmptyStackLogsAndThrows)
{
    SharedRandom.Get(1.0f);
    const XRandom before = SharedRandom;
    EXPECT_THROW(PopRandomState(), XRangeError);
    EXPECT_NE(LogText().find("XStaticFIFO::Pop index is out of range"), std::string::npos);
    EXPECT_EQ(SharedRandom.seed, before.seed);
    EXPECT_EQ(SharedRandom.last, before.last);
}

} // namespace

TEST_F(RandomTest, aFilledBlockIsTheSequenceOfSingleDraws)
{
    for (const size_t n : { size_t(0), size_t(3), size_t(32), size_t(100) }) {
        SCOPED_TRACE(n);
        SeedRand(77);
        std::vector<uint16_t> block(n);
        RandFill(block.data(), n);
        const int after = Rand();
        SeedRand(77);
        for (size_t i = 0; i < n; ++i)
            EXPECT_EQ(block[i], Rand());
        EXPECT_EQ(Rand(), after);
    }
}

// XRing: wrapping, refusal instead of overtaking the reader, and exact round trips.
#include "net/XRing.h"

#include "tests/support/error_log_test.h"

#include <numeric>
#include <vector>

using zoq::test::ErrorLogTest;

namespace {

class RingTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        m_storage.assign(16, 0);
        m_ring.size = 16;
        m_ring.data = m_storage.data();
    }
    std::vector<uint8_t> m_storage;
    XRing m_ring;
};

std::vector<uint8_t> Sequence(int n, uint8_t first)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

TEST_F(RingTest, PushEndingExactlyAtTheEndWrapsWriteToZero)
{
    const auto head = Sequence(6, 1);
    std::vector<uint8_t> out(6);
    ASSERT_TRUE(m_ring.Push(head.data(), 6));
    ASSERT_TRUE(m_ring.Pop(out.data(), 6));
    EXPECT_EQ(m_ring.read, 6);
    const auto tail = Sequence(10, 50);
    ASSERT_TRUE(m_ring.Push(tail.data(), 10));
    EXPECT_EQ(m_ring.write, 0);
    EXPECT_EQ(m_ring.Used(), 10);
    std::vector<uint8_t> back(10);
    ASSERT_TRUE(m_ring.Pop(back.data(), 10));
    EXPECT_EQ(back, tail);
    EXPECT_TRUE(m_ring.IsEmpty());
    EXPECT_FALSE(LogExists());
}

TEST_F(RingTest, PushThatWouldOvertakeTheReaderIsRefusedAndLogged)
{
    const auto bytes = Sequence(16, 1);
    ASSERT_TRUE(m_ring.Push(bytes.data(), 6));
    // With read at 0 the same push that ends at the end would meet the reader.
    EXPECT_FALSE(m_ring.Push(bytes.data(), 10));
    EXPECT_EQ(m_ring.write, 6);
    EXPECT_EQ(m_ring.read, 0);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("XRing переполнение"), std::string::npos);
    EXPECT_TRUE(m_ring.Push(bytes.data(), 9));
    EXPECT_EQ(m_ring.Free(), 0);
}

TEST_F(RingTest, WrappedContentComesBackInOrder)
{
    std::vector<uint8_t> out(16);
    uint8_t next = 0;
    uint8_t expect = 0;
    for (int round = 0; round < 40; ++round) {
        const int n = 1 + round % 7;
        std::vector<uint8_t> chunk(static_cast<size_t>(n));
        for (auto& b : chunk)
            b = next++;
        ASSERT_TRUE(m_ring.Push(chunk.data(), n));
        ASSERT_TRUE(m_ring.Pop(out.data(), n));
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(out[static_cast<size_t>(i)], expect++);
    }
    EXPECT_FALSE(m_ring.Pop(out.data(), 1));
}
} // namespace

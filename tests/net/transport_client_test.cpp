// CDPClient8 over a fake transport: the host table, the receive ring's overflow rules and a
// producer thread racing the drain.
#include "net/CDPClient8.h"

#include "foundation/XRangeError.h"
#include "tests/net/fake_transport.h"
#include "tests/support/error_log_test.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

using zoq::test::ErrorLogTest;

namespace {

// Exposes the handler and records every dispatched payload.
class TestClient : public CDPClient8 {
public:
    using CDPClient8::CDPClient8;
    using CDPClient8::HandleMessage;
    using CDPClient8::lock;
    using CDPClient8::ring;

    std::vector<std::vector<uint8_t>> received;

protected:
    void OnProcessMessage(uint8_t* payload, uint32_t size) override
    {
        received.emplace_back(payload, payload + size);
    }
};

class TransportClientTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        ASSERT_TRUE(m_client.Init());
        ASSERT_NE(m_fake, nullptr);
    }

    static std::vector<uint8_t> Payload(std::size_t size, uint8_t fill)
    {
        return std::vector<uint8_t>(size, fill);
    }
    int OverflowLines() const { return LogLineCount("XRing переполнение"); }

    FakeTransport* m_fake = nullptr;
    TestClient m_client { FakeFactory(m_fake) };
};

TEST_F(TransportClientTest, EmptyDrainReturnsFalse)
{
    EXPECT_FALSE(m_client.ProcessMessages());
    m_fake->Other(plat::net::MessageId::TerminateSession);
    m_fake->Other(plat::net::MessageId::SendComplete);
    EXPECT_FALSE(m_client.ProcessMessages());
    m_fake->Deliver(Payload(10, 1));
    EXPECT_TRUE(m_client.ProcessMessages());
    ASSERT_EQ(m_client.received.size(), 1u);
    EXPECT_EQ(m_client.received[0], Payload(10, 1));
    EXPECT_FALSE(m_client.ProcessMessages());
}

TEST_F(TransportClientTest, TwentyFirstHostIsDroppedAndASearchStartsAfresh)
{
    ASSERT_TRUE(m_client.EnumHosts(plat::net::Guid {}));
    for (uint8_t n = 1; n <= 21; ++n)
        m_fake->Answer(n);
    EXPECT_EQ(m_client.GetHostCount(), 20);
    SDPHostEntry entry;
    ASSERT_TRUE(m_client.GetHost(19, entry));
    EXPECT_EQ(plat::net::FormatAddress(entry.host), "10.0.0.20:28650");
    EXPECT_FALSE(m_client.GetHost(20, entry));

    ASSERT_TRUE(m_client.Connect(0, u"PLAYER"));
    EXPECT_EQ(m_fake->clientName, u"PLAYER");
    EXPECT_THROW(m_client.Connect(20, u"PLAYER"), XRangeError);
    EXPECT_THROW(m_client.Connect(-1, u"PLAYER"), XRangeError);

    m_client.CancelEnumHosts();
    ASSERT_EQ(m_fake->cancels.size(), 1u);
    EXPECT_EQ(m_fake->cancels[0], plat::net::Cancel::Enum);
    ASSERT_TRUE(m_client.EnumHosts(plat::net::Guid {}));
    EXPECT_EQ(m_client.GetHostCount(), 0);
    // An index within 0..19 but past the answers finds no host.
    EXPECT_FALSE(m_client.Connect(3, u"PLAYER"));
}

TEST_F(TransportClientTest, PayloadAboveThreeQuartersEmptiesTheRingAndIsQueuedAlone)
{
    for (uint8_t i = 1; i <= 3; ++i)
        m_fake->Deliver(Payload(40000, i));
    EXPECT_GT(m_client.ring.Used(), CDPClient8::kRingSize / 4 * 3);
    m_fake->Deliver(Payload(100, 4));
    EXPECT_TRUE(m_client.ProcessMessages());
    ASSERT_EQ(m_client.received.size(), 1u);
    EXPECT_EQ(m_client.received[0], Payload(100, 4));
    EXPECT_EQ(OverflowLines(), 0);
}

TEST_F(TransportClientTest, MessageThatStillDoesNotFitEmptiesTheRingAndIsLogged)
{
    m_fake->Deliver(Payload(100000, 1));
    EXPECT_LE(m_client.ring.Used(), CDPClient8::kRingSize / 4 * 3);
    m_fake->Deliver(Payload(60000, 2));
    EXPECT_EQ(OverflowLines(), 1);
    EXPECT_TRUE(m_client.ProcessMessages());
    ASSERT_EQ(m_client.received.size(), 1u);
    EXPECT_EQ(m_client.received[0], Payload(60000, 2));
}

TEST_F(TransportClientTest, PayloadLargerThanTheReceiveBufferIsRefused)
{
    m_fake->Deliver(Payload(5, 1));
    m_fake->Deliver(Payload(102413, 2));
    m_fake->Deliver(Payload(102412, 3));
    EXPECT_TRUE(m_client.ProcessMessages());
    ASSERT_EQ(m_client.received.size(), 2u);
    EXPECT_EQ(m_client.received[1].size(), 102412u);
    ASSERT_TRUE(LogExists());
    EXPECT_NE(LogText().find("102413"), std::string::npos);
}

TEST_F(TransportClientTest, SendFailuresAreLoggedWithTheMessageIds)
{
    m_fake->connected = false;
    const uint32_t request[3] = { 2, 6, 20 };
    EXPECT_LT(m_client.Send(request, sizeof request, false), 0);
    const uint32_t objects[1] = { 1 };
    EXPECT_LT(m_client.Send(objects, sizeof objects, true), 0);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("CDPClient8::Send fail message ID=2 Command=6"), std::string::npos);
    EXPECT_NE(lines[1].find("CDPClient8::Send fail message ID=1"), std::string::npos);
    m_fake->connected = true;
    EXPECT_GE(m_client.Send(request, sizeof request, false), 0);
    ASSERT_EQ(m_fake->sent.size(), 1u);
    EXPECT_TRUE(plat::net::HasFlag(m_fake->sent[0].flags, plat::net::SendFlags::Guaranteed));
    EXPECT_EQ(m_fake->sent[0].timeoutMs, 3000u);
    EXPECT_GE(m_client.Send(objects, sizeof objects, true), 0);
    EXPECT_TRUE(plat::net::HasFlag(m_fake->sent[1].flags, plat::net::SendFlags::NoComplete));
}

// Message body: sequence number, length, then bytes derived from both, then a checksum.
std::vector<uint8_t> StressMessage(uint32_t sequence, std::size_t size)
{
    std::vector<uint8_t> bytes(size);
    std::memcpy(bytes.data(), &sequence, 4);
    uint32_t sum = sequence;
    for (std::size_t i = 8; i + 4 < size; ++i) {
        bytes[i] = static_cast<uint8_t>(sequence * 31 + i * 7);
        sum = sum * 131 + bytes[i];
    }
    const uint32_t length = static_cast<uint32_t>(size);
    std::memcpy(bytes.data() + 4, &length, 4);
    std::memcpy(bytes.data() + size - 4, &sum, 4);
    return bytes;
}

bool IsWhole(const std::vector<uint8_t>& bytes, uint32_t& sequence)
{
    if (bytes.size() < 12)
        return false;
    uint32_t length = 0;
    std::memcpy(&sequence, bytes.data(), 4);
    std::memcpy(&length, bytes.data() + 4, 4);
    if (length != bytes.size())
        return false;
    return StressMessage(sequence, bytes.size()) == bytes;
}

TEST_F(TransportClientTest, ProducerThreadAgainstTheDrainDeliversOnlyWholeMessages)
{
    constexpr uint32_t kMessages = 20000;
    std::atomic<bool> done { false };
    std::vector<uint32_t> clearPoints; // a 3/4 clear happened just before this sequence was pushed
    std::thread producer([&] {
        std::mt19937 random(12345);
        for (uint32_t sequence = 0; sequence < kMessages; ++sequence) {
            const auto message = StressMessage(sequence, 12 + random() % 3000);
            plat::win::CriticalSectionLock guard(m_client.lock);
            if (m_client.ring.Used() > CDPClient8::kRingSize / 4 * 3)
                clearPoints.push_back(sequence);
            m_fake->Deliver(message);
        }
        done = true;
    });
    std::mt19937 pause(99);
    while (!done || m_client.ProcessMessages()) {
        m_client.ProcessMessages();
        if (pause() % 4 == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(pause() % 3000));
    }
    producer.join();
    m_client.ProcessMessages();

    std::vector<uint32_t> sequences;
    for (const auto& bytes : m_client.received) {
        uint32_t sequence = 0;
        ASSERT_TRUE(IsWhole(bytes, sequence));
        sequences.push_back(sequence);
    }
    ASSERT_FALSE(sequences.empty());
    EXPECT_EQ(sequences.back(), kMessages - 1);
    // In order, and every gap ends just before a 3/4 clear.
    uint32_t expected = 0;
    for (uint32_t sequence : sequences) {
        ASSERT_GE(sequence, expected);
        if (sequence != expected) {
            EXPECT_NE(std::find(clearPoints.begin(), clearPoints.end(), sequence), clearPoints.end())
                << sequence;
        }
        expected = sequence + 1;
    }
    EXPECT_EQ(OverflowLines(), 0);
    RecordProperty("clears", static_cast<int>(clearPoints.size()));
    RecordProperty("received", static_cast<int>(sequences.size()));
}

} // namespace

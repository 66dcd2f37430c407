// CDPServer8 over a fake transport: the order of the hooks, the ring's overflow policy, the
// bounded drain, a nested handler call and the start-up failures.
#include "server/CDPServer8.h"

#include "net/NetSession.h"
#include "tests/server/fake_server.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

using zoq::test::ErrorLogTest;

namespace {

using plat::net::MessageId;

// Records every hook call as a line: "create 5", "receive 5 100", "destroy 5", "info 5".
class TestTransport : public CDPServer8 {
public:
    using CDPServer8::CDPServer8;
    using CDPServer8::ring;

    std::vector<std::string> calls;
    std::function<void()> onReceive; // runs inside the receive hook
    std::function<void()> onQueue; // runs inside the handler, with its lock held

protected:
    void OnCreatePlayer(const plat::net::CreatePlayerMessage& m) override
    {
        calls.push_back("create " + std::to_string(m.player));
    }
    void OnDestroyPlayer(const plat::net::DestroyPlayerMessage& m) override
    {
        calls.push_back("destroy " + std::to_string(m.player));
    }
    void OnClientInfo(const plat::net::ClientInfoMessage& m) override
    {
        calls.push_back("info " + std::to_string(m.player));
    }
    void OnProcessMessage(uint32_t dpnid, uint8_t* payload, uint32_t size) override
    {
        calls.push_back("receive " + std::to_string(dpnid) + " " + std::to_string(size) + " "
            + std::to_string(size ? payload[size - 1] : 0));
        if (onReceive)
            onReceive();
    }
    void QueueMessage(MessageId id, const void* message) override
    {
        if (onQueue) {
            auto hook = std::move(onQueue);
            onQueue = nullptr;
            hook();
        }
        CDPServer8::QueueMessage(id, message);
    }
};

class ServerTransportTest : public ErrorLogTest {
protected:
    void SetUp() override
    {
        ErrorLogTest::SetUp();
        ASSERT_TRUE(server.Init(kZJApplicationGuid));
        ASSERT_NE(fake, nullptr);
    }

    bool Create(uint32_t player)
    {
        plat::net::CreatePlayerMessage m;
        m.player = player;
        return server.HandleMessage(MessageId::CreatePlayer, &m);
    }
    bool Destroy(uint32_t player)
    {
        plat::net::DestroyPlayerMessage m;
        m.player = player;
        return server.HandleMessage(MessageId::DestroyPlayer, &m);
    }
    bool Info(uint32_t player)
    {
        plat::net::ClientInfoMessage m;
        m.player = player;
        return server.HandleMessage(MessageId::ClientInfo, &m);
    }
    bool Receive(uint32_t player, std::size_t size, uint8_t last = 0x77)
    {
        std::vector<uint8_t> payload(size, 0x11);
        if (size)
            payload.back() = last;
        plat::net::ReceiveMessage m;
        m.sender = player;
        m.data = payload.data();
        m.dataSize = static_cast<uint32_t>(size);
        return server.HandleMessage(MessageId::Receive, &m);
    }

    FakeServer* fake = nullptr;
    TestTransport server { FakeServerFactory(fake) };
};

TEST_F(ServerTransportTest, aPlayerWhoComesSendsAndGoesBeforeTheDrainIsSeenInThatOrder)
{
    EXPECT_FALSE(server.ProcessMessages()); // empty
    Create(5);
    Info(5);
    Receive(5, 100);
    Destroy(5);
    plat::net::SendCompleteMessage complete;
    server.HandleMessage(MessageId::SendComplete, &complete); // queued, then dropped by the drain
    EXPECT_TRUE(server.ProcessMessages());
    EXPECT_EQ(
        server.calls, (std::vector<std::string> { "create 5", "info 5", "receive 5 100 119", "destroy 5" }));
    EXPECT_FALSE(server.ProcessMessages());
}

TEST_F(ServerTransportTest, receivesThatDoNotFitAreRefusedAndCountedOnceASecond)
{
    ASSERT_TRUE(Receive(5, 150000, 1));
    Receive(5, 60000, 2); // does not fit
    Receive(5, 60000, 3);
    Receive(5, 60000, 4);
    EXPECT_EQ(LogLineCount("XRing переполнение"), 1);
    EXPECT_EQ(LogLineCount("XRing переполнение: 1 refused"), 1);
    server.ProcessMessages();
    EXPECT_EQ(server.calls, (std::vector<std::string> { "receive 5 150000 1" }));
}

TEST_F(ServerTransportTest, playerArrivalsAndDeparturesAreNeverRefused)
{
    Receive(5, 150000, 1);
    Receive(5, 54000, 2); // the ring is now nearly full
    const int32_t before = server.ring.size;
    for (uint32_t player = 10; player < 2000; ++player) {
        EXPECT_TRUE(Create(player));
        EXPECT_TRUE(Info(player));
        EXPECT_TRUE(Destroy(player));
    }
    EXPECT_GT(server.ring.size, before);
    EXPECT_EQ(LogLineCount("XRing переполнение"), 0);
    server.ProcessMessages();
    ASSERT_EQ(server.calls.size(), 2u + 3u * 1990u);
    EXPECT_EQ(server.calls[0], "receive 5 150000 1");
    EXPECT_EQ(server.calls[1], "receive 5 54000 2");
    EXPECT_EQ(server.calls[2], "create 10");
    EXPECT_EQ(server.calls.back(), "destroy 1999");
    EXPECT_EQ(server.ring.size, CDPServer8::kRingSize); // back to its size once empty
}

TEST_F(ServerTransportTest, payloadsAboveTheReceiveBufferAreRefusedAtPush)
{
    Receive(5, CDPServer8::kReceiveBufferSize, 1);
    server.ProcessMessages();
    Receive(5, CDPServer8::kReceiveBufferSize + 1, 2);
    EXPECT_FALSE(server.ProcessMessages());
    EXPECT_EQ(server.calls, (std::vector<std::string> { "receive 5 153600 1" }));
    EXPECT_EQ(LogLineCount("a message of 153601 bytes is refused"), 1);
}

TEST_F(ServerTransportTest, oneDrainTakesOnlyWhatWasQueuedWhenItBegan)
{
    Receive(5, 10, 1);
    Receive(5, 10, 2);
    int arrivals = 0;
    server.onReceive = [&] {
        if (arrivals++ < 5)
            Receive(6, 10, 9); // arrives while the drain runs
    };
    EXPECT_TRUE(server.ProcessMessages());
    EXPECT_EQ(server.calls.size(), 2u);
    server.onReceive = nullptr;
    EXPECT_TRUE(server.ProcessMessages());
    EXPECT_EQ(server.calls.size(), 4u);
    EXPECT_EQ(server.calls.back(), "receive 6 10 9");
}

TEST_F(ServerTransportTest, aNestedHandlerCallFailsAndKeepsNoLock)
{
    bool nested = true;
    server.onQueue = [&] { nested = Receive(7, 10, 5); };
    EXPECT_TRUE(Receive(5, 10, 1));
    EXPECT_FALSE(nested);

    // A later call from another thread gets the lock.
    auto other = std::async(std::launch::async, [&] { return Receive(6, 10, 2); });
    ASSERT_EQ(other.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(other.get());
    server.ProcessMessages();
    EXPECT_EQ(server.calls, (std::vector<std::string> { "receive 5 10 1", "receive 6 10 2" }));
}

TEST_F(ServerTransportTest, anArrivalWakesTheIdleWait)
{
    EXPECT_FALSE(server.WaitForArrival(1));
    std::thread producer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Receive(5, 10);
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(server.WaitForArrival(5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    producer.join();
}

TEST_F(ServerTransportTest, sendsUseTheFlagsOfTheirKindAndFailuresAreLogged)
{
    const uint8_t bytes[4] = { 1, 2, 3, 4 };
    server.SendTo(5, bytes, 4, true);
    server.SendTo(0, bytes, 4, false);
    ASSERT_EQ(fake->sent.size(), 2u);
    EXPECT_EQ(fake->sent[0].flags, plat::net::SendFlags::NoComplete);
    EXPECT_EQ(fake->sent[0].timeoutMs, 0u);
    EXPECT_EQ(fake->sent[1].player, 0u);
    EXPECT_EQ(fake->sent[1].flags, plat::net::SendFlags::Guaranteed);
    EXPECT_EQ(fake->sent[1].timeoutMs, 1000u);

    server.Close(); // no transport: every send fails
    server.SendTo(5, bytes, 4, true);
    server.SendTo(5, bytes, 4, true);
    EXPECT_EQ(LogLineCount("CDPServer8::SendTo fail"), 1);
}

TEST(ServerTransportInitTest, failuresAreLoggedInStepOrder)
{
    struct Row {
        bool make;
        plat::net::Result host;
        const char* line;
    };
    const Row rows[] = {
        { false, plat::net::Result::Ok, "DPServer8::Init() can`t create IDirectPlay8Server interface" },
        { true, plat::net::Result::Failed, "DPServer8::Init() can`t host server" },
    };
    for (const Row& row : rows) {
        const zoq::test::TempDir folder("server");
        SetErrorLogDirectory(folder.Path().string() + "/");
        FakeServer* fake = nullptr;
        CDPServer8 server([&]() -> std::unique_ptr<plat::net::Server> {
            if (!row.make)
                return nullptr;
            auto made = std::make_unique<FakeServer>();
            made->hostResult = row.host;
            fake = made.get();
            return made;
        });
        EXPECT_FALSE(server.Init(kZJApplicationGuid));
        EXPECT_NE(zoq::test::ReadText(folder / "error.log").find(row.line), std::string::npos) << row.line;
        SetErrorLogDirectory({});
    }
}

} // namespace

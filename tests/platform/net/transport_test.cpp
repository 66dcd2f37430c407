// The ENet transport on 127.0.0.1 with ports chosen by the system: search, handshake, ordering,
// large messages, the send queue and both ways a session ends.
#include "platform/net/net.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace plat::net;

namespace {

constexpr Guid kApp { 0xAF7C2A36, 0xDAFE, 0x4FE2, { 0x85, 0xF6, 0xBF, 0xE3, 0x84, 0xC4, 0x1E, 0xD7 } };
constexpr Guid kOtherApp { 0x12345678, 0x1111, 0x2222, { 1, 2, 3, 4, 5, 6, 7, 8 } };
const std::u16string kSession = u"Ferrovants DirectPlay Server 1.0";
constexpr auto kWait = std::chrono::seconds(10);

struct Recorded {
    MessageId id;
    std::vector<uint8_t> message;
    std::vector<uint8_t> payload;

    template <class T> T As() const
    {
        T value;
        std::memcpy(&value, message.data(), sizeof value);
        return value;
    }
};

// Keeps every handler message; tests wait on it from the main thread.
class Recorder {
public:
    MessageHandler Handler()
    {
        return [this](MessageId id, const void* message) { Add(id, message); };
    }

    bool WaitFor(const std::function<bool(const std::vector<Recorded>&)>& done,
        std::chrono::milliseconds timeout = kWait)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return done(m_messages); });
    }
    bool WaitCount(MessageId id, std::size_t n, std::chrono::milliseconds timeout = kWait)
    {
        return WaitFor([&](const std::vector<Recorded>& all) { return Count(all, id) >= n; }, timeout);
    }
    std::vector<Recorded> Snapshot()
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    std::size_t CountOf(MessageId id)
    {
        std::lock_guard lock(m_mutex);
        return Count(m_messages, id);
    }
    std::vector<Recorded> Of(MessageId id)
    {
        std::vector<Recorded> out;
        for (Recorded& r : Snapshot())
            if (r.id == id)
                out.push_back(std::move(r));
        return out;
    }

    static std::size_t Count(const std::vector<Recorded>& all, MessageId id)
    {
        std::size_t n = 0;
        for (const Recorded& r : all)
            n += r.id == id ? 1 : 0;
        return n;
    }

private:
    void Add(MessageId id, const void* message)
    {
        Recorded record { id, {}, {} };
        uint32_t size = 0;
        std::memcpy(&size, message, sizeof size);
        const auto* bytes = static_cast<const uint8_t*>(message);
        record.message.assign(bytes, bytes + size);
        if (id == MessageId::Receive) {
            const auto* receive = static_cast<const ReceiveMessage*>(message);
            record.payload.assign(receive->data, receive->data + receive->dataSize);
        }
        {
            std::lock_guard lock(m_mutex);
            m_messages.push_back(std::move(record));
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Recorded> m_messages;
};

ApplicationDesc Desc(const Guid& application)
{
    ApplicationDesc desc;
    desc.application = application;
    CopyName(desc.sessionName, kSession.c_str());
    return desc;
}

Address Loopback(uint16_t port)
{
    return MakeAddress(0x7F000001, port);
}

// Clients bind to the loopback address too, on any free port.
const Address kLocal = Loopback(0);

std::vector<uint8_t> Pattern(std::size_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 131 + seed * 7 + (i >> 8)) & 0xFF);
    return bytes;
}

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_server = CreateServer();
        ASSERT_EQ(m_server->Initialize(m_serverLog.Handler()), Result::Ok);
        const Address device = Loopback(0);
        ASSERT_EQ(m_server->Host(Desc(kApp), &device), Result::Ok);
        m_port = m_server->GetLocalPort();
        ASSERT_NE(m_port, 0);
    }
    void TearDown() override
    {
        for (auto& client : m_clients)
            client->Close();
        if (m_server)
            m_server->Close();
    }

    // A client connected with `name`; its recorder is m_clientLogs[index].
    Client& Connect(const char16_t* name, Result expected = Result::Ok, const Guid& application = kApp)
    {
        m_clientLogs.push_back(std::make_unique<Recorder>());
        Recorder& log = *m_clientLogs.back();
        m_clients.push_back(CreateClient());
        Client& client = *m_clients.back();
        EXPECT_EQ(client.Initialize(log.Handler()), Result::Ok);
        AsyncHandle handle = 0;
        EXPECT_EQ(client.Connect(Desc(application), Loopback(m_port), &kLocal, &handle), Result::Pending);
        PlayerInfo info;
        info.name = name;
        EXPECT_EQ(client.SetClientInfo(info), Result::Ok);
        EXPECT_TRUE(log.WaitCount(MessageId::ConnectComplete, 1));
        const auto done = log.Of(MessageId::ConnectComplete);
        if (!done.empty()) {
            EXPECT_EQ(done[0].As<ConnectCompleteMessage>().result, expected);
            EXPECT_EQ(done[0].As<ConnectCompleteMessage>().handle, handle);
        }
        return client;
    }

    std::unique_ptr<Server> m_server;
    Recorder m_serverLog;
    uint16_t m_port = 0;
    std::vector<std::unique_ptr<Client>> m_clients;
    std::vector<std::unique_ptr<Recorder>> m_clientLogs;
};

TEST_F(TransportTest, SearchFindsTheServerOncePerInstance)
{
    Recorder log;
    auto client = CreateClient();
    ASSERT_EQ(client->Initialize(log.Handler()), Result::Ok);
    const Address target = Loopback(m_port);
    AsyncHandle handle = 0;
    ASSERT_EQ(client->EnumHosts(Desc(kApp), &target, &kLocal, 0, 50, 5000, &handle), Result::Pending);
    EXPECT_NE(handle, 0u);
    ASSERT_TRUE(log.WaitCount(MessageId::EnumHostsResponse, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto answers = log.Of(MessageId::EnumHostsResponse);
    ASSERT_EQ(answers.size(), 1u);
    const auto answer = answers[0].As<EnumHostsResponseMessage>();
    EXPECT_EQ(std::u16string(answer.desc.sessionName), kSession);
    EXPECT_EQ(answer.desc.application, kApp);
    EXPECT_EQ(FormatAddress(answer.sender), "127.0.0.1:" + std::to_string(m_port));
    EXPECT_TRUE(answer.device.hasPort);
    EXPECT_EQ(client->CancelAsyncOperation(handle, Cancel::Enum), Result::Ok);
    client->Close();
}

TEST_F(TransportTest, SearchForAnotherApplicationGetsNoAnswer)
{
    Recorder log;
    auto client = CreateClient();
    ASSERT_EQ(client->Initialize(log.Handler()), Result::Ok);
    const Address target = Loopback(m_port);
    AsyncHandle handle = 0;
    ASSERT_EQ(client->EnumHosts(Desc(kOtherApp), &target, &kLocal, 0, 50, 600, &handle), Result::Pending);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_EQ(log.CountOf(MessageId::EnumHostsResponse), 0u);
    client->Close();
}

TEST_F(TransportTest, CancelEndsTheSearch)
{
    // A port that was free a moment ago, on which a second server starts after the cancel.
    auto probe = CreateServer();
    Recorder probeLog;
    ASSERT_EQ(probe->Initialize(probeLog.Handler()), Result::Ok);
    const Address any = Loopback(0);
    ASSERT_EQ(probe->Host(Desc(kApp), &any), Result::Ok);
    const uint16_t port = probe->GetLocalPort();
    probe->Close();

    Recorder log;
    auto client = CreateClient();
    ASSERT_EQ(client->Initialize(log.Handler()), Result::Ok);
    const Address target = Loopback(port);
    AsyncHandle handle = 0;
    ASSERT_EQ(client->EnumHosts(Desc(kApp), &target, &kLocal, 0, 30, 10000, &handle), Result::Pending);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(client->CancelAsyncOperation(0, Cancel::Enum), Result::Ok);

    auto late = CreateServer();
    Recorder lateLog;
    ASSERT_EQ(late->Initialize(lateLog.Handler()), Result::Ok);
    const Address same = Loopback(port);
    ASSERT_EQ(late->Host(Desc(kApp), &same), Result::Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(log.CountOf(MessageId::EnumHostsResponse), 0u);

    // The same client finds it with a new search.
    ASSERT_EQ(client->EnumHosts(Desc(kApp), &target, &kLocal, 0, 30, 5000, &handle), Result::Pending);
    EXPECT_TRUE(log.WaitCount(MessageId::EnumHostsResponse, 1));
    client->Close();
    late->Close();
}

TEST_F(TransportTest, PlayerIsCreatedThenNamedBeforeItsFirstMessage)
{
    Client& client = Connect(u"PLAYER");
    const uint8_t hello[4] = { 1, 2, 3, 4 };
    EXPECT_EQ(
        client.Send(hello, sizeof hello, 3000, SendFlags::Guaranteed | SendFlags::PriorityHigh, nullptr),
        Result::Pending);
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::Receive, 1));
    const auto all = m_serverLog.Snapshot();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0].id, MessageId::CreatePlayer);
    EXPECT_EQ(all[1].id, MessageId::ClientInfo);
    EXPECT_EQ(all[2].id, MessageId::Receive);
    const PlayerId player = all[0].As<CreatePlayerMessage>().player;
    EXPECT_NE(player, 0u);
    EXPECT_EQ(all[1].As<ClientInfoMessage>().player, player);
    EXPECT_EQ(all[2].As<ReceiveMessage>().sender, player);
    EXPECT_EQ(all[2].payload, std::vector<uint8_t>(hello, hello + 4));

    uint32_t size = 0;
    EXPECT_EQ(m_server->GetClientInfo(player, nullptr, &size), Result::BufferTooSmall);
    EXPECT_GE(size, sizeof(PlayerInfo) + 7 * 2);
    std::vector<uint8_t> buffer(size);
    auto* info = reinterpret_cast<PlayerInfo*>(buffer.data());
    ASSERT_EQ(m_server->GetClientInfo(player, info, &size), Result::Ok);
    EXPECT_EQ(std::u16string(info->name), u"PLAYER");
    EXPECT_EQ(m_server->GetClientInfo(player + 100, info, &size), Result::InvalidPlayer);

    // A later name comes as one more ClientInfo.
    PlayerInfo renamed;
    renamed.name = u"Игрок";
    ASSERT_EQ(client.SetClientInfo(renamed), Result::Ok);
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::ClientInfo, 2));
    size = static_cast<uint32_t>(buffer.size());
    ASSERT_EQ(m_server->GetClientInfo(player, info, &size), Result::Ok);
    EXPECT_EQ(std::u16string(info->name), u"Игрок");
}

TEST_F(TransportTest, GuaranteedMessagesArriveInOrderBothWays)
{
    Client& client = Connect(u"A");
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::CreatePlayer, 1));
    const PlayerId player = m_serverLog.Of(MessageId::CreatePlayer)[0].As<CreatePlayerMessage>().player;
    constexpr uint32_t kCount = 1000;
    for (uint32_t i = 0; i < kCount; ++i) {
        uint32_t body[3] = { 2, 6, i };
        ASSERT_TRUE(Succeeded(client.Send(body, sizeof body, 3000, SendFlags::Guaranteed, nullptr)));
        ASSERT_TRUE(
            Succeeded(m_server->SendTo(player, body, sizeof body, 1000, SendFlags::Guaranteed, nullptr)));
    }
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::Receive, kCount));
    ASSERT_TRUE(m_clientLogs[0]->WaitCount(MessageId::Receive, kCount));
    for (Recorder* log : { &m_serverLog, m_clientLogs[0].get() }) {
        const auto received = log->Of(MessageId::Receive);
        ASSERT_EQ(received.size(), kCount);
        for (uint32_t i = 0; i < kCount; ++i) {
            uint32_t body[3];
            ASSERT_EQ(received[i].payload.size(), sizeof body);
            std::memcpy(body, received[i].payload.data(), sizeof body);
            ASSERT_EQ(body[2], i);
        }
    }
    // Each guaranteed send is completed once it is acknowledged, and the queue empties.
    EXPECT_TRUE(m_clientLogs[0]->WaitCount(MessageId::SendComplete, kCount));
    for (const Recorded& done : m_clientLogs[0]->Of(MessageId::SendComplete))
        EXPECT_EQ(done.As<SendCompleteMessage>().result, Result::Ok);
    uint32_t messages = 1;
    uint32_t bytes = 1;
    for (int i = 0; i < 500 && messages != 0; ++i) {
        ASSERT_EQ(client.GetSendQueueInfo(&messages, &bytes), Result::Ok);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(messages, 0u);
    EXPECT_EQ(bytes, 0u);
}

TEST_F(TransportTest, LargeMessagesArriveIntactGuaranteedAndNot)
{
    Client& client = Connect(u"A");
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::CreatePlayer, 1));
    const PlayerId player = m_serverLog.Of(MessageId::CreatePlayer)[0].As<CreatePlayerMessage>().player;
    const auto guaranteed = Pattern(100 * 1024, 1);
    const auto unreliable = Pattern(100 * 1024 + 12, 2);
    EXPECT_TRUE(Succeeded(client.Send(
        guaranteed.data(), static_cast<uint32_t>(guaranteed.size()), 3000, SendFlags::Guaranteed, nullptr)));
    EXPECT_EQ(client.Send(unreliable.data(), static_cast<uint32_t>(unreliable.size()), 0,
                  SendFlags::NoComplete, nullptr),
        Result::Ok);
    EXPECT_TRUE(Succeeded(m_server->SendTo(player, unreliable.data(),
        static_cast<uint32_t>(unreliable.size()), 0, SendFlags::NoComplete, nullptr)));
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::Receive, 2));
    ASSERT_TRUE(m_clientLogs[0]->WaitCount(MessageId::Receive, 1));
    const auto atServer = m_serverLog.Of(MessageId::Receive);
    EXPECT_TRUE(atServer[0].payload == guaranteed || atServer[1].payload == guaranteed);
    EXPECT_TRUE(atServer[0].payload == unreliable || atServer[1].payload == unreliable);
    EXPECT_EQ(m_clientLogs[0]->Of(MessageId::Receive)[0].payload, unreliable);

    const std::vector<uint8_t> tooLarge(kMaxMessage + 1);
    EXPECT_EQ(
        client.Send(tooLarge.data(), static_cast<uint32_t>(tooLarge.size()), 0, SendFlags::None, nullptr),
        Result::InvalidArgument);
}

TEST_F(TransportTest, SendToZeroReachesEveryPlayer)
{
    Connect(u"A");
    Connect(u"B");
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::CreatePlayer, 2));
    const uint8_t note[3] = { 9, 8, 7 };
    EXPECT_TRUE(Succeeded(m_server->SendTo(0, note, sizeof note, 1000, SendFlags::Guaranteed, nullptr)));
    EXPECT_TRUE(m_clientLogs[0]->WaitCount(MessageId::Receive, 1));
    EXPECT_TRUE(m_clientLogs[1]->WaitCount(MessageId::Receive, 1));
    EXPECT_EQ(m_serverLog.CountOf(MessageId::Receive), 0u);
    EXPECT_EQ(
        m_server->SendTo(0x7777, note, sizeof note, 0, SendFlags::None, nullptr), Result::InvalidPlayer);
}

TEST_F(TransportTest, ClientCloseDestroysThePlayer)
{
    Client& client = Connect(u"A");
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::CreatePlayer, 1));
    const PlayerId player = m_serverLog.Of(MessageId::CreatePlayer)[0].As<CreatePlayerMessage>().player;
    client.Close();
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::DestroyPlayer, 1, std::chrono::seconds(3)));
    EXPECT_EQ(m_serverLog.Of(MessageId::DestroyPlayer)[0].As<DestroyPlayerMessage>().player, player);
    uint32_t size = 0;
    EXPECT_EQ(m_server->GetClientInfo(player, nullptr, &size), Result::InvalidPlayer);
}

TEST_F(TransportTest, ServerCloseTerminatesTheSessionAndLaterSendsFail)
{
    Client& client = Connect(u"A");
    ASSERT_TRUE(m_serverLog.WaitCount(MessageId::CreatePlayer, 1));
    m_server->Close();
    ASSERT_TRUE(m_clientLogs[0]->WaitCount(MessageId::TerminateSession, 1, std::chrono::seconds(3)));
    const uint8_t body[4] = {};
    EXPECT_LT(static_cast<int32_t>(client.Send(body, sizeof body, 3000, SendFlags::Guaranteed, nullptr)), 0);
    EXPECT_LT(static_cast<int32_t>(client.Send(body, sizeof body, 0, SendFlags::NoComplete, nullptr)), 0);
}

TEST_F(TransportTest, ConnectForAnotherApplicationIsRefused)
{
    Client& client = Connect(u"A", Result::WrongApplication, kOtherApp);
    const uint8_t body[4] = {};
    EXPECT_EQ(client.Send(body, sizeof body, 0, SendFlags::None, nullptr), Result::NoConnection);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(m_serverLog.CountOf(MessageId::CreatePlayer), 0u);
    EXPECT_EQ(m_serverLog.CountOf(MessageId::Receive), 0u);
}

// A server whose handler can hold its transport thread, so that nothing is acknowledged.
class StallingServer {
public:
    explicit StallingServer(const TransportOptions& options)
    {
        m_server = CreateServer(options);
        m_server->Initialize([this](MessageId id, const void* message) {
            m_log.Handler()(id, message);
            if (id == MessageId::Receive && m_stallMs > 0) {
                const int ms = m_stallMs.exchange(0);
                m_stalled = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            }
        });
        const Address device = Loopback(0);
        m_server->Host(Desc(kApp), &device);
    }
    ~StallingServer() { m_server->Close(); }

    std::unique_ptr<Server> m_server;
    Recorder m_log;
    std::atomic<int> m_stallMs { 0 };
    std::atomic<bool> m_stalled { false };
};

TEST(TransportStall, UnacknowledgedGuaranteedSendTimesOutOnce)
{
    StallingServer server({});
    Recorder log;
    auto client = CreateClient();
    ASSERT_EQ(client->Initialize(log.Handler()), Result::Ok);
    ASSERT_EQ(client->Connect(Desc(kApp), Loopback(server.m_server->GetLocalPort()), &kLocal, nullptr),
        Result::Pending);
    ASSERT_TRUE(log.WaitCount(MessageId::ConnectComplete, 1));
    server.m_stallMs = 800;
    const uint8_t first[2] = { 1, 1 };
    ASSERT_TRUE(Succeeded(client->Send(first, sizeof first, 3000, SendFlags::Guaranteed, nullptr)));
    for (int i = 0; i < 500 && !server.m_stalled; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(server.m_stalled);
    const uint8_t second[2] = { 2, 2 };
    AsyncHandle handle = 0;
    ASSERT_EQ(client->Send(second, sizeof second, 100, SendFlags::Guaranteed, &handle), Result::Pending);
    ASSERT_TRUE(log.WaitFor([&](const std::vector<Recorded>& all) {
        for (const Recorded& r : all)
            if (r.id == MessageId::SendComplete && r.As<SendCompleteMessage>().handle == handle)
                return true;
        return false;
    }));
    ASSERT_TRUE(server.m_log.WaitCount(MessageId::Receive, 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int reports = 0;
    for (const Recorded& r : log.Of(MessageId::SendComplete)) {
        if (r.As<SendCompleteMessage>().handle == handle) {
            ++reports;
            EXPECT_EQ(r.As<SendCompleteMessage>().result, Result::Timeout);
        }
    }
    EXPECT_EQ(reports, 1);
    client->Close();
}

TEST(TransportStall, SilentPeersAreDroppedOnBothSides)
{
    TransportOptions quick;
    quick.peerTimeoutMinMs = 300;
    quick.peerTimeoutMaxMs = 600;
    StallingServer server(quick);
    Recorder log;
    auto client = CreateClient(quick);
    ASSERT_EQ(client->Initialize(log.Handler()), Result::Ok);
    ASSERT_EQ(client->Connect(Desc(kApp), Loopback(server.m_server->GetLocalPort()), &kLocal, nullptr),
        Result::Pending);
    ASSERT_TRUE(log.WaitCount(MessageId::ConnectComplete, 1));
    ASSERT_TRUE(server.m_log.WaitCount(MessageId::CreatePlayer, 1));
    server.m_stallMs = 2500;
    const uint8_t body[2] = { 1, 1 };
    ASSERT_TRUE(Succeeded(client->Send(body, sizeof body, 0, SendFlags::Guaranteed, nullptr)));
    ASSERT_TRUE(log.WaitCount(MessageId::TerminateSession, 1));
    EXPECT_EQ(client->Send(body, sizeof body, 0, SendFlags::Guaranteed, nullptr), Result::NoConnection);
    ASSERT_TRUE(server.m_log.WaitCount(MessageId::DestroyPlayer, 1));
    client->Close();
}

// Acknowledgements held up by a busy receiver raise the round trip; the sender must still send
// every unreliable message rather than thin them out.
TEST(TransportStall, UnreliableMessagesAreNotThinnedAfterSlowAcknowledgements)
{
    Recorder serverLog;
    auto server = CreateServer();
    ASSERT_EQ(server->Initialize(serverLog.Handler()), Result::Ok);
    const Address device = Loopback(0);
    ASSERT_EQ(server->Host(Desc(kApp), &device), Result::Ok);
    std::atomic<uint32_t> unreliable { 0 };
    auto client = CreateClient();
    Recorder log;
    ASSERT_EQ(client->Initialize([&](MessageId id, const void* message) {
        log.Handler()(id, message);
        if (id != MessageId::Receive || static_cast<const ReceiveMessage*>(message)->dataSize != 3)
            return;
        // Every 25th message the client's thread is busy for a while.
        if (++unreliable % 25 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }),
        Result::Ok);
    ASSERT_EQ(
        client->Connect(Desc(kApp), Loopback(server->GetLocalPort()), &kLocal, nullptr), Result::Pending);
    ASSERT_TRUE(log.WaitCount(MessageId::ConnectComplete, 1));
    ASSERT_TRUE(serverLog.WaitCount(MessageId::CreatePlayer, 1));
    const PlayerId player = serverLog.Of(MessageId::CreatePlayer)[0].As<CreatePlayerMessage>().player;
    constexpr uint32_t kCount = 600;
    for (uint32_t i = 0; i < kCount; ++i) {
        const uint8_t state[3] = { 1, 2, 3 };
        const uint8_t order[4] = { 4, 5, 6, 7 };
        ASSERT_TRUE(Succeeded(server->SendTo(player, state, sizeof state, 0, SendFlags::None, nullptr)));
        ASSERT_TRUE(Succeeded(server->SendTo(
            player, order, sizeof order, 0, SendFlags::Guaranteed | SendFlags::NoComplete, nullptr)));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (int i = 0; i < 500 && unreliable < kCount; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(unreliable.load(), kCount);
    client->Close();
    server->Close();
}

TEST(TransportAddress, ParsesHostsPortsAndTheDefaults)
{
    Address address;
    ASSERT_TRUE(ParseAddress("127.0.0.1:28650", address));
    EXPECT_EQ(address, MakeAddress(0x7F000001, 28650));
    ASSERT_TRUE(ParseAddress("10.1.2.3", address));
    EXPECT_TRUE(address.hasIp);
    EXPECT_FALSE(address.hasPort);
    EXPECT_EQ(FormatAddress(address), "10.1.2.3");
    for (const char* bad : { "1.2.3.4:", "1.2.3.4:65536", "1.2.3.4:x", "" })
        EXPECT_FALSE(ParseAddress(bad, address)) << bad;

    unsetenv("ZOQ_NET_PORT");
    unsetenv("ZOQ_NET_SEARCH");
    EXPECT_EQ(DefaultPort(), 28650);
    auto list = DefaultSearchList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(FormatAddress(list[0]), "255.255.255.255:28650");
    EXPECT_EQ(FormatAddress(list[1]), "127.0.0.1:28650");
    setenv("ZOQ_NET_PORT", "0", 1);
    setenv("ZOQ_NET_SEARCH", "127.0.0.1:4000,127.0.0.2", 1);
    EXPECT_EQ(DefaultPort(), 0);
    list = DefaultSearchList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(FormatAddress(list[0]), "127.0.0.1:4000");
    EXPECT_EQ(FormatAddress(list[1]), "127.0.0.2:0");
    unsetenv("ZOQ_NET_PORT");
    unsetenv("ZOQ_NET_SEARCH");
}

} // namespace

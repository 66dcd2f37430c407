// ZJServ under a flood for 30 s on 127.0.0.1: two game clients play and ask for the player
// list each second while a stranger sends 10,000 junk datagrams a second to the session port
// and a connected peer sends 2,000 malformed messages a second. The server must stay alive,
// keep its log small, relay the clients' records, answer in time, answer a probe and close.
// Then one address floods connections for 10 s (connect, request, drop, and forged connects)
// while a new player joins, plays and leaves.
#include "net/NetSession.h"
#include "net/wire/NetWire.h"
#include "platform/net/control.h"
#include "tests/net/wire_fixture.h"
#include "tests/server/wire_client.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <enet/enet.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;
using std::chrono::milliseconds;

#ifdef ZOQ_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr auto kFloodTime = std::chrono::seconds(30);
constexpr int kDatagramsPerSecond = 10000;
constexpr int kMalformedPerSecond = 2000;

// A peer that speaks ENet and the transport's hello itself, so it can send what the client
// transport never would: messages past its size limit among them.
class RawPeer {
public:
    ~RawPeer()
    {
        if (m_host != nullptr)
            enet_host_destroy(m_host);
    }

    bool Connect(uint16_t port)
    {
        if (enet_initialize() != 0)
            return false;
        ENetAddress local {};
        enet_address_set_host_ip(&local, "127.0.0.1");
        m_host = enet_host_create(&local, 1, 3, 0, 0);
        if (m_host == nullptr)
            return false;
        ENetAddress server {};
        enet_address_set_host_ip(&server, "127.0.0.1");
        server.port = port;
        m_peer = enet_host_connect(m_host, &server, 3, 0);
        if (m_peer == nullptr || !Await(ENET_EVENT_TYPE_CONNECT))
            return false;
        plat::net::control::Message hello;
        hello.kind = plat::net::control::Kind::Hello;
        hello.application = kZJApplicationGuid;
        plat::net::CopyName(hello.name, u"FLOOD");
        uint8_t bytes[plat::net::control::kMaxSize];
        const std::size_t size = plat::net::control::Encode(hello, bytes, sizeof bytes);
        enet_peer_send(m_peer, 2, enet_packet_create(bytes, size, ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(m_host);
        return Await(ENET_EVENT_TYPE_RECEIVE);
    }
    void Send(const Bytes& message, bool reliable)
    {
        enet_peer_send(m_peer, reliable ? 0 : 1,
            enet_packet_create(message.data(), message.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0));
    }
    void Service()
    {
        ENetEvent event;
        while (enet_host_service(m_host, &event, 0) > 0)
            if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
    }

private:
    bool Await(ENetEventType type)
    {
        const auto until = Clock::now() + std::chrono::seconds(5);
        ENetEvent event;
        while (Clock::now() < until) {
            if (enet_host_service(m_host, &event, 10) <= 0)
                continue;
            if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
            if (event.type == type)
                return true;
        }
        return false;
    }

    ENetHost* m_host = nullptr;
    ENetPeer* m_peer = nullptr;
};

Bytes Encoded(const std::function<uint32_t(uint8_t*, std::size_t)>& encode)
{
    Bytes bytes(1024);
    bytes.resize(encode(bytes.data(), bytes.size()));
    return bytes;
}

// Every way a message is refused: requests cut short or with a wrong size field, unsafe and
// unterminated names, unknown kinds, and object messages whose records stop the walk.
std::vector<Bytes> Malformed()
{
    using namespace NetWire;
    std::vector<Bytes> out;
    for (uint32_t type = NETSYS_CREATEGAME; type <= NETSYS_KILLREPORT; ++type) {
        Bytes whole(kRequestSize[type], 0);
        Put<uint32_t>(whole.data(), System::kKind, NETMSG_SYSTEM);
        Put<uint32_t>(whole.data(), System::kType, type);
        Put<uint32_t>(whole.data(), System::kSize, static_cast<uint32_t>(whole.size()));
        Bytes cut = whole;
        cut.pop_back(); // one byte short
        out.push_back(cut);
        Bytes wrongSize = whole;
        Put<uint32_t>(wrongSize.data(), System::kSize, static_cast<uint32_t>(whole.size() + 4));
        out.push_back(wrongSize);
    }
    Bytes unterminated
        = Encoded([](uint8_t* d, std::size_t c) { return EncodeRequest(d, c, NETSYS_GETPLAYERLIST); });
    Put<uint32_t>(unterminated.data(), System::kType, NETSYS_SETPLAYERNAME);
    unterminated.resize(12 + 2 * 70, 'x');
    Put<uint32_t>(unterminated.data(), System::kSize, static_cast<uint32_t>(unterminated.size()));
    out.push_back(unterminated);
    for (const char* name : { "../x", "a\\b", "" })
        out.push_back(Encoded([&](uint8_t* d, std::size_t c) { return EncodeCreateGame(d, c, name); }));
    Bytes longName = Encoded([](uint8_t* d, std::size_t c) { return EncodeCreateGame(d, c, "a"); });
    std::memset(longName.data() + System::kGameName, 'n', 32);
    out.push_back(longName);
    out.push_back(Bytes { 9, 0, 0, 0, 1, 0, 0, 0, 12, 0, 0, 0 }); // unknown kind
    out.push_back(Bytes { 2, 0, 0, 0, 14, 0, 0, 0, 12, 0, 0, 0 }); // unknown type
    Bytes shortHeader(ObjectHeader::kSize - 1, 0); // a header one byte short
    shortHeader[0] = NETMSG_OBJECTS;
    out.push_back(shortHeader);

    // Object messages of one record each that the walk refuses.
    const auto objects = [&](uint8_t kind, uint16_t length, uint32_t count, std::size_t bodyBytes) {
        Bytes message(ObjectHeader::kSize + bodyBytes, 0);
        SNetObjectHeader header;
        header.count = count;
        header.bytes = static_cast<uint32_t>(bodyBytes);
        EncodeObjectHeader(message.data(), message.size(), header);
        if (bodyBytes >= Record::kBaseSize) {
            SNetObjectRecord head;
            head.netId = 0x7FF00001;
            head.kind = kind;
            head.length = length;
            EncodeRecordHead(message.data() + ObjectHeader::kSize, bodyBytes, head);
        }
        out.push_back(message);
    };
    objects(4, 35, 1, 35); // kind 4
    objects(0, 34, 1, 35); // length 34
    objects(0, 10001, 1, 10001); // length 10,001
    objects(0, 200, 1, 100); // past the end
    objects(Record::kHit, 54, 1, 54); // a hit of 54 bytes
    objects(0, 35, 0xFFFFFFFF, 20); // a count the bytes cannot hold
    return out;
}

class FloodTest : public zoq::test::TempDirTest {
protected:
    // In the temporary folder on a free port, with an instance lock of the test's own.
    zoq::test::ChildOptions Options() const
    {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        options.env = { "ZOQ_NET_PORT=0", "ZOQ_INSTANCE_SCOPE=zjserv-flood-" + std::to_string(getpid()) };
        return options;
    }
    // Starts ZJServ with its errors in stderr.txt; the port it serves on, 0 when it did not say.
    uint16_t StartServer(zoq::test::ChildProcess& server)
    {
        zoq::test::ChildOptions options = Options();
        options.stderrFile = (m_dir / "stderr.txt").string();
        std::string line;
        if (!server.Start(ZJSERV_PROGRAM, {}, options) || !server.ReadLine(line, 10000) // tip
            || !server.ReadLine(line, 10000)) // session
            return 0;
        return static_cast<uint16_t>(std::stoi(line.substr(line.rfind(' ') + 1)));
    }
};

// 10,000 junk datagrams a second: random bytes, cut ENet headers, searches that are too long
// or name another application.
void SendJunk(uint16_t port, const std::atomic<bool>& stop, std::atomic<uint64_t>& count)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    std::mt19937 random(1);
    plat::net::control::Message query;
    query.kind = plat::net::control::Kind::SearchQuery;
    query.application = kZJApplicationGuid;
    uint8_t search[plat::net::control::kMaxSize + 64] = {};
    const std::size_t searchSize = plat::net::control::Encode(query, search, sizeof search);
    query.application.data1 ^= 1;
    uint8_t wrong[plat::net::control::kMaxSize] = {};
    const std::size_t wrongSize = plat::net::control::Encode(query, wrong, sizeof wrong);
    uint8_t junk[1400];
    const auto start = Clock::now();
    uint64_t sent = 0;
    while (!stop) {
        const auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        while (!stop && sent < static_cast<uint64_t>(elapsed * kDatagramsPerSecond)) {
            const uint8_t* data = junk;
            std::size_t size = 0;
            switch (sent % 4) {
            case 0:
                size = 1 + random() % sizeof junk;
                for (std::size_t i = 0; i < size; ++i)
                    junk[i] = static_cast<uint8_t>(random());
                break;
            case 1: // an ENet header cut short: peer id 0xFFF (connecting), then nothing whole
                size = 1 + random() % 7;
                junk[0] = 0xFF;
                junk[1] = 0x0F;
                for (std::size_t i = 2; i < size; ++i)
                    junk[i] = static_cast<uint8_t>(random());
                break;
            case 2:
                data = search;
                size = searchSize + 1 + random() % 64; // too long
                break;
            default:
                data = wrong;
                size = wrongSize;
                break;
            }
            sendto(fd, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            ++sent;
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    count = sent;
    close(fd);
}

// 2,000 malformed messages a second from a connected peer, with random payloads and a few
// messages past the receive buffer.
void SendMalformed(RawPeer& peer, const std::atomic<bool>& stop, std::atomic<uint64_t>& count)
{
    const std::vector<Bytes> table = Malformed();
    std::mt19937 random(2);
    const auto start = Clock::now();
    uint64_t sent = 0;
    uint64_t big = 0;
    while (!stop) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        while (!stop && sent < static_cast<uint64_t>(elapsed * kMalformedPerSecond)) {
            if (sent % 7 == 6) {
                Bytes noise(1 + random() % 2000);
                for (uint8_t& b : noise)
                    b = static_cast<uint8_t>(random());
                peer.Send(noise, random() % 2 == 0);
            } else {
                peer.Send(table[sent % table.size()], sent % 2 == 0);
            }
            ++sent;
        }
        if (big < static_cast<uint64_t>(elapsed / 5)) { // one every 5 s
            peer.Send(Bytes(plat::net::kMaxMessage + 1 + big * 100, 0x42), true);
            ++big;
        }
        peer.Service();
        std::this_thread::sleep_for(milliseconds(1));
    }
    count = sent;
}

TEST_F(FloodTest, zjservStaysAliveSmallAndAnsweringUnderAFlood)
{
    zoq::test::ChildProcess server;
    const uint16_t port = StartServer(server);
    ASSERT_NE(port, 0);

    WireClient clients[2];
    for (WireClient& client : clients)
        ASSERT_TRUE(client.Enter(port, u"PLAYER"));
    clients[0].CreateGame("arena.zjp");
    ASSERT_TRUE(clients[0].Poll([&] { return clients[0].created.id != 0; }, 5000));
    const uint32_t gameId = clients[0].created.id;
    clients[1].GameRequest(NETSYS_JOIN, gameId);
    ASSERT_TRUE(clients[1].Poll([&] { return clients[1].Count(NETREPLY_STARTED) == 1; }, 5000));
    for (WireClient& client : clients)
        client.Request(NETSYS_SETACTIVE);
    ASSERT_TRUE(clients[0].Poll(
        [&] {
            if (clients[0].players.size() == 2)
                return true;
            clients[0].Request(NETSYS_GETPLAYERLIST);
            std::this_thread::sleep_for(milliseconds(20));
            return false;
        },
        5000));

    RawPeer raw;
    ASSERT_TRUE(raw.Connect(port));
    std::atomic<bool> stop { false };
    std::atomic<uint64_t> junkSent { 0 }, malformedSent { 0 };
    std::thread junk([&] { SendJunk(port, stop, junkSent); });
    std::thread malformed([&] { SendMalformed(raw, stop, malformedSent); });

    // The two clients play: records at 30 Hz half a period apart, a player list each second.
    const auto start = Clock::now();
    const auto period = std::chrono::duration_cast<Clock::duration>(milliseconds(1000) / 30.0);
    Clock::time_point due[2] = { start, start + period / 2 };
    Clock::time_point asked[2] = { start, start };
    uint32_t answersBefore[2] = {};
    bool waiting[2] = {};
    uint32_t sent[2] = {};
    double slowest = 0;
    int unanswered = 0;
    while (Clock::now() - start < kFloodTime) {
        const auto now = Clock::now();
        for (int i = 0; i < 2; ++i) {
            WireClient& client = clients[i];
            if (now >= due[i]) {
                client.SendRecord(++sent[i]);
                due[i] += period;
            }
            client.ProcessMessages();
            if (waiting[i] && client.Count(NETREPLY_PLAYERLIST) != answersBefore[i]) {
                waiting[i] = false;
                slowest = std::max(slowest, std::chrono::duration<double>(Clock::now() - asked[i]).count());
            }
            if (now - asked[i] >= std::chrono::seconds(1)) {
                if (waiting[i])
                    ++unanswered;
                answersBefore[i] = client.Count(NETREPLY_PLAYERLIST);
                asked[i] = now;
                waiting[i] = true;
                client.Request(NETSYS_GETPLAYERLIST);
            }
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    stop = true;
    junk.join();
    malformed.join();
    for (WireClient& client : clients)
        client.Poll([] { return false; }, 300);

    EXPECT_TRUE(server.Running());
    EXPECT_GT(junkSent.load(), uint64_t(kDatagramsPerSecond) * 25);
    EXPECT_GT(malformedSent.load(), uint64_t(kMalformedPerSecond) * 25);
    std::error_code error;
    const auto logSize = std::filesystem::file_size(m_dir / "error.log", error);
    EXPECT_LT(error ? 0 : logSize, 1u << 20);

    const std::size_t heard[2]
        = { clients[0].records[clients[1].playerId].size(), clients[1].records[clients[0].playerId].size() };
    if (!kSanitized) {
        EXPECT_GE(heard[0], sent[1] * 99 / 100);
        EXPECT_GE(heard[1], sent[0] * 99 / 100);
        EXPECT_EQ(unanswered, 0);
        EXPECT_LT(slowest, 1.0);
    } else {
        // Under the sanitizers the server need only go on answering.
        EXPECT_GT(heard[0], 0u);
        EXPECT_GT(heard[1], 0u);
        EXPECT_LT(unanswered, 10);
    }
    std::printf("flood: %llu junk datagrams, %llu malformed messages; records heard %zu/%u and %zu/%u; "
                "slowest answer %.3f s, %d unanswered; error.log %llu bytes\n",
        static_cast<unsigned long long>(junkSent.load()),
        static_cast<unsigned long long>(malformedSent.load()), heard[0], sent[1], heard[1], sent[0], slowest,
        unanswered, static_cast<unsigned long long>(error ? 0 : logSize));

    zoq::test::ChildProcess probe;
    ASSERT_TRUE(probe.Start(ZOQ_NET_TOOL, { "probe", "127.0.0.1:" + std::to_string(port) }, Options()));
    std::vector<std::string> lines;
    for (std::string text; probe.ReadLine(text, 15000);)
        lines.push_back(text);
    int code = -1;
    ASSERT_TRUE(probe.Wait(5000, code));
    EXPECT_EQ(code, 0);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], "games 1");

    server.Signal(SIGTERM);
    ASSERT_TRUE(server.Wait(10000, code));
    EXPECT_EQ(code, 0);
}

#ifndef ZOQ_SANITIZED

constexpr auto kConnectionFloodTime = std::chrono::seconds(10);
constexpr int kForgedPerSecond = 2000;

// A connection to the session port from a fresh local port about ten times a second: the
// hello, then as many player-list requests as it can send for 100 ms, then a drop.
void ChurnConnections(uint16_t port, const std::atomic<bool>& stop, std::atomic<uint64_t>& requests)
{
    const Bytes request = Encoded(
        [](uint8_t* d, std::size_t c) { return NetWire::EncodeRequest(d, c, NETSYS_GETPLAYERLIST); });
    plat::net::control::Message hello;
    hello.kind = plat::net::control::Kind::Hello;
    hello.application = kZJApplicationGuid;
    plat::net::CopyName(hello.name, u"CHURN");
    uint8_t helloBytes[plat::net::control::kMaxSize];
    const std::size_t helloSize = plat::net::control::Encode(hello, helloBytes, sizeof helloBytes);
    ENetAddress local {};
    enet_address_set_host_ip(&local, "127.0.0.1");
    ENetAddress server = local;
    server.port = port;
    while (!stop) {
        ENetHost* host = enet_host_create(&local, 1, 3, 0, 0);
        if (host == nullptr)
            return;
        ENetPeer* peer = enet_host_connect(host, &server, 3, 0);
        const auto until = Clock::now() + milliseconds(100);
        bool connected = false;
        while (!stop && Clock::now() < until) {
            ENetEvent event;
            while (enet_host_service(host, &event, 0) > 0) {
                if (event.type == ENET_EVENT_TYPE_RECEIVE)
                    enet_packet_destroy(event.packet);
                if (event.type == ENET_EVENT_TYPE_CONNECT) {
                    connected = true;
                    enet_peer_send(
                        peer, 2, enet_packet_create(helloBytes, helloSize, ENET_PACKET_FLAG_RELIABLE));
                }
            }
            for (int i = 0; connected && i < 10; ++i, ++requests)
                enet_peer_send(peer, 1, enet_packet_create(request.data(), request.size(), 0));
            enet_host_flush(host);
            std::this_thread::sleep_for(milliseconds(1));
        }
        enet_peer_reset(peer);
        enet_host_destroy(host);
    }
}

// ENet connection requests that never complete the handshake, each with a connection id of its
// own, round robin from more sockets than the server sets connections up for; and among them
// datagrams too large for ENet to read.
void ForgeConnects(uint16_t port, const std::atomic<bool>& stop, std::atomic<uint64_t>& count)
{
    int sockets[100];
    for (int& fd : sockets)
        fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    std::mt19937 random(3);
    uint8_t datagram[52] = {};
    const auto put32 = [&](std::size_t at, uint32_t value) { std::memcpy(datagram + at, &value, 4); };
    const uint16_t header = htons(0x8FFF); // sent time, no peer yet
    std::memcpy(datagram, &header, 2);
    datagram[4] = 0x82; // connect, to be acknowledged
    datagram[7] = 1; // reliable sequence number 1
    datagram[10] = datagram[11] = 0xFF; // session ids
    put32(12, htonl(1400)); // MTU
    put32(16, htonl(32768)); // window
    put32(20, htonl(3)); // channels
    put32(32, htonl(5000)); // throttle interval
    put32(36, htonl(2));
    put32(40, htonl(2));
    const Bytes oversized(5000, 0x55);
    const auto start = Clock::now();
    uint64_t sent = 0;
    while (!stop) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        while (!stop && sent < static_cast<uint64_t>(elapsed * kForgedPerSecond)) {
            const int fd = sockets[sent % std::size(sockets)];
            if (sent % 20 == 19) {
                sendto(fd, oversized.data(), oversized.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                    sizeof to);
            } else {
                const uint16_t time = static_cast<uint16_t>(random());
                std::memcpy(datagram + 2, &time, 2);
                put32(44, static_cast<uint32_t>(random())); // connection id
                sendto(fd, datagram, sizeof datagram, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            }
            ++sent;
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    count = sent;
    for (int fd : sockets)
        close(fd);
}

// The flooding threads, stopped and joined however the test ends.
struct ConnectionFlood {
    explicit ConnectionFlood(uint16_t port)
        : churn([this, port] { ChurnConnections(port, stop, requests); })
        , forge([this, port] { ForgeConnects(port, stop, forged); })
    {
    }
    ~ConnectionFlood() { Stop(); }
    void Stop()
    {
        stop = true;
        if (churn.joinable())
            churn.join();
        if (forge.joinable())
            forge.join();
    }

    std::atomic<bool> stop { false };
    std::atomic<uint64_t> requests { 0 }, forged { 0 };
    std::thread churn, forge;
};

// The peak resident memory of a process, in bytes (0 when it cannot be read).
uint64_t PeakResidentBytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoull(line.substr(6)) * 1024;
    return 0;
}

TEST_F(FloodTest, aNewPlayerJoinsInASecondWhileOneAddressFloodsConnections)
{
    zoq::test::ChildProcess server;
    const uint16_t port = StartServer(server);
    ASSERT_NE(port, 0);
    ASSERT_EQ(enet_initialize(), 0);

    WireClient host;
    ASSERT_TRUE(host.Enter(port, u"HOST"));
    host.CreateGame("arena.zjp");
    ASSERT_TRUE(host.Poll([&] { return host.created.id != 0; }, 5000));
    host.Request(NETSYS_SETACTIVE);

    ConnectionFlood flood(port);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(2));

    // The new player joins, plays against the host for 5 s at 30 Hz and leaves.
    const auto joining = Clock::now();
    WireClient guest;
    ASSERT_TRUE(guest.Enter(port, u"GUEST"));
    const double joinSeconds = std::chrono::duration<double>(Clock::now() - joining).count();
    guest.GameRequest(NETSYS_JOIN, host.created.id);
    ASSERT_TRUE(guest.Poll([&] { return guest.Count(NETREPLY_STARTED) == 1; }, 5000));
    guest.Request(NETSYS_SETACTIVE);
    ASSERT_TRUE(host.Poll([&] { return host.Count(NETREPLY_PLAYERJOINED) >= 1; }, 5000));
    uint32_t sent[2] = {};
    WireClient* players[2] = { &host, &guest };
    const auto playing = Clock::now();
    while (Clock::now() - playing < std::chrono::seconds(5)) {
        for (int i = 0; i < 2; ++i)
            players[i]->SendRecord(++sent[i]);
        for (WireClient* player : players)
            player->ProcessMessages();
        std::this_thread::sleep_for(milliseconds(33));
    }
    const auto heardAll = [&] {
        return host.records[guest.playerId].size() == sent[1]
            && guest.records[host.playerId].size() == sent[0];
    };
    host.Poll([&] { return guest.Poll(heardAll, 0); }, 2000);
    const std::size_t heard[2] = { host.records[guest.playerId].size(), guest.records[host.playerId].size() };
    guest.Close();

    std::this_thread::sleep_until(start + kConnectionFloodTime);
    flood.Stop();
    const uint64_t peak = PeakResidentBytes(server.Pid());

    // Still serving: a player joins at once after the flood.
    WireClient after;
    const auto late = Clock::now();
    ASSERT_TRUE(after.Enter(port, u"AFTER"));
    const double afterSeconds = std::chrono::duration<double>(Clock::now() - late).count();
    EXPECT_TRUE(server.Running());

    std::printf("connection flood: %llu requests, %llu forged connects; join %.3f s, after %.3f s; records "
                "heard %zu/%u and %zu/%u; peak memory %.1f MB\n",
        static_cast<unsigned long long>(flood.requests.load()),
        static_cast<unsigned long long>(flood.forged.load()), joinSeconds, afterSeconds, heard[0], sent[1],
        heard[1], sent[0], peak / 1048576.0);
    EXPECT_GT(flood.requests.load(), 1000u);
    EXPECT_GT(flood.forged.load(), uint64_t(kForgedPerSecond) * 9);
    EXPECT_LE(joinSeconds, 1.0);
    EXPECT_LE(afterSeconds, 1.0);
    EXPECT_EQ(heard[0], sent[1]);
    EXPECT_EQ(heard[1], sent[0]);
    EXPECT_GT(peak, 0u);
    EXPECT_LE(peak, 64u << 20);

    // Refused attempts and failed services are logged with the address, the reason and a count,
    // at most once a second for each address or cause.
    std::ifstream log(m_dir / "stderr.txt");
    int refusals = 0, failures = 0;
    std::set<std::string> reasons;
    for (std::string text; std::getline(log, text);) {
        if (text.find("net: refused a connection from 127.0.0.1:") != std::string::npos
            && text.find(" more refused in the last second)") != std::string::npos) {
            ++refusals;
            const std::size_t from = text.find(": ", text.find("127.0.0.1:")) + 2;
            reasons.insert(text.substr(from, text.find(" (", from) - from));
        }
        if (text.find(
                "net: enet_host_service failed: a datagram over 4096 bytes (last datagram from 127.0.0.1:")
            != std::string::npos)
            ++failures;
    }
    std::printf("log: %d refusal lines, %d service failure lines\n", refusals, failures);
    EXPECT_GT(refusals, 0);
    EXPECT_TRUE(reasons.count("too many new connections from this address"));
    for (const std::string& reason : reasons)
        EXPECT_NE(reason.find("too many "), std::string::npos) << reason;
    EXPECT_LE(refusals, 101 * 11);
    EXPECT_GT(failures, 0);
    EXPECT_LE(failures, 11);

    after.Close();
    host.Close();
    server.Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(server.Wait(10000, code));
    EXPECT_EQ(code, 0);
}

#endif

} // namespace

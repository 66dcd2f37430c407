// The game server and its loop on a thread at 127.0.0.1, with eight game client transports:
// create, start and join, 30 Hz records between all, a close without leave, a silent drop, and
// the single game slot free again at the end; a record held by the 1 ms rule leaves while the
// game is quiet.
#include "server/CZJDPServer.h"

#include "tests/server/udp_relay.h"
#include "tests/server/wire_client.h"
#include "tests/support/error_log_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

using zoq::test::ErrorLogTest;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The server with the shell's main loop on a thread of its own.
class ServerLoop {
public:
    explicit ServerLoop(const plat::net::TransportOptions& options)
        : server([options] { return plat::net::CreateServer(options); })
    {
        server.device = plat::net::MakeAddress(0x7F000001, 0);
    }
    ~ServerLoop()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        server.Close();
    }

    bool Start()
    {
        if (!server.Init(kZJApplicationGuid))
            return false;
        thread = std::thread([this] {
            while (!stop) {
                if (!server.ProcessMessages()) {
                    server.FlushIdlePlayers();
                    server.WaitForArrival(1);
                    server.RemoveEmptyGame();
                }
            }
        });
        return true;
    }

    CZJDPServer server;
    std::atomic<bool> stop { false };
    std::thread thread;
};

class ServerLoopbackTest : public ErrorLogTest {
protected:
    // Sends one record per live sender at 30 Hz for `duration`, the senders' phases spread over
    // the period, draining every live client meanwhile. `each` runs about every 100 ms.
    void Play(Clock::duration duration, const std::function<void()>& each = {})
    {
        const auto start = Clock::now();
        const auto period = milliseconds(1000) / 30.0;
        std::vector<Clock::time_point> due;
        for (std::size_t i = 0; i < clients.size(); ++i)
            due.push_back(
                start + std::chrono::duration_cast<Clock::duration>(period * (double(i) / clients.size())));
        auto nextEach = start;
        while (Clock::now() - start < duration) {
            for (std::size_t i = 0; i < clients.size(); ++i) {
                if (!live[i] || Clock::now() < due[i])
                    continue;
                clients[i]->SendRecord(++sent[i]);
                due[i] += std::chrono::duration_cast<Clock::duration>(period);
            }
            PumpAll();
            if (each && Clock::now() >= nextEach) {
                each();
                nextEach += milliseconds(100);
            }
            std::this_thread::sleep_for(milliseconds(1));
        }
        const auto settle = Clock::now() + milliseconds(300);
        while (Clock::now() < settle) {
            PumpAll();
            std::this_thread::sleep_for(milliseconds(1));
        }
    }
    void PumpAll()
    {
        for (std::size_t i = 0; i < clients.size(); ++i)
            if (live[i])
                clients[i]->ProcessMessages();
    }
    // Records of sender s that receiver r holds.
    std::size_t Held(std::size_t r, std::size_t s) const
    {
        const auto found = clients[r]->records.find(clients[s]->playerId);
        return found == clients[r]->records.end() ? 0 : found->second.size();
    }

    std::vector<std::unique_ptr<WireClient>> clients;
    std::vector<bool> live;
    std::vector<uint32_t> sent;
};

TEST_F(ServerLoopbackTest, eightClientsPlayTogetherAndLeaveTheSlotFree)
{
    plat::net::TransportOptions quick;
    quick.peerTimeoutMinMs = 1000;
    quick.peerTimeoutMaxMs = 2000;
    ServerLoop loop(quick);
    ASSERT_TRUE(loop.Start());
    const uint16_t port = loop.server.GetLocalPort();
    UdpRelay relay(port); // client 6 talks through it
    constexpr std::size_t kClients = 8, kClosing = 4, kDropping = 5;
    for (std::size_t i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<WireClient>());
        ASSERT_TRUE(clients[i]->Enter(i == kDropping ? relay.Port() : port, u"PLAYER")) << "client " << i + 1;
    }
    live.assign(kClients, true);
    sent.assign(kClients, 0);

    // The first creates and starts the game; the others join, client 3 three times.
    WireClient& first = *clients[0];
    first.CreateGame("arena.zjp");
    ASSERT_TRUE(first.Poll([&] { return first.created.id != 0; }, 5000));
    const uint32_t gameId = first.created.id;
    first.GameRequest(NETSYS_STARTGAME, gameId);
    ASSERT_TRUE(first.Poll([&] { return first.Count(NETREPLY_STARTED) == 1; }, 5000));
    for (std::size_t i = 1; i < kClients; ++i) {
        const int times = i == 2 ? 3 : 1;
        for (int t = 0; t < times; ++t)
            clients[i]->GameRequest(NETSYS_JOIN, gameId);
        ASSERT_TRUE(
            clients[i]->Poll([&] { return clients[i]->Count(NETREPLY_STARTED) == uint32_t(times); }, 5000));
        EXPECT_EQ(clients[i]->lastStarted, clients[i]->playerId);
    }
    for (auto& client : clients)
        client->Request(NETSYS_SETACTIVE);
    ASSERT_TRUE(first.Poll(
        [&] {
            PumpAll();
            if (first.players.size() == kClients)
                return true;
            first.Request(NETSYS_GETPLAYERLIST);
            std::this_thread::sleep_for(milliseconds(20));
            return false;
        },
        5000));
    first.Request(NETSYS_GETGAMELIST);
    ASSERT_TRUE(first.Poll([&] { return first.Count(NETREPLY_GAMELIST) == 1; }, 5000));
    ASSERT_EQ(first.games.size(), 1u);
    EXPECT_EQ(first.games[0].players, kClients); // the repeated joins count once
    EXPECT_EQ(first.joined.size(), kClients - 1);

    // Everyone sends at 30 Hz for 2 s and hears everyone else.
    Play(std::chrono::seconds(2));
    for (std::size_t r = 0; r < kClients; ++r) {
        for (std::size_t s = 0; s < kClients; ++s) {
            if (r != s) {
                EXPECT_GE(Held(r, s), sent[s] * 95 / 100) << "client " << r + 1 << " from client " << s + 1;
            }
        }
    }

    // Client 5 closes without a leave; client 6 falls silent. Both are destroyed, the others
    // keep hearing each other, and the player list shrinks to six.
    std::vector<std::vector<std::size_t>> before(kClients, std::vector<std::size_t>(kClients));
    for (std::size_t r = 0; r < kClients; ++r)
        for (std::size_t s = 0; s < kClients; ++s)
            before[r][s] = r == s ? 0 : Held(r, s);
    const std::vector<uint32_t> sentBefore = sent;
    clients[kClosing]->Close();
    live[kClosing] = false;
    relay.Cut();
    live[kDropping] = false;
    int asked = 0;
    Play(std::chrono::seconds(4), [&] {
        if (++asked % 5 == 0)
            first.Request(NETSYS_GETPLAYERLIST);
    });
    first.Request(NETSYS_GETPLAYERLIST);
    first.Poll([&] { return false; }, 200);
    EXPECT_EQ(first.players.size(), kClients - 2);
    for (std::size_t r = 0; r < kClients; ++r) {
        for (std::size_t s = 0; s < kClients; ++s) {
            if (r == s || !live[r] || !live[s])
                continue;
            EXPECT_GE(Held(r, s) - before[r][s], (sent[s] - sentBefore[s]) * 95 / 100)
                << "client " << r + 1 << " from client " << s + 1;
        }
    }

    // When all have left the list is empty and the slot takes a new game.
    for (std::size_t i = 0; i < kClients; ++i)
        if (live[i])
            clients[i]->GameRequest(NETSYS_LEAVE, gameId);
    ASSERT_TRUE(first.Poll(
        [&] {
            PumpAll();
            if (first.Count(NETREPLY_GAMELIST) > 1 && first.games.empty())
                return true;
            first.Request(NETSYS_GETGAMELIST);
            std::this_thread::sleep_for(milliseconds(20));
            return false;
        },
        5000));
    WireClient& second = *clients[1];
    second.CreateGame("next.zjp");
    ASSERT_TRUE(second.Poll([&] { return second.created.id != 0; }, 5000));
    EXPECT_EQ(second.created.id, gameId + 1);
    EXPECT_EQ(second.created.players, 1u);
}

// The second of two records sent back to back reaches the relay within 1 ms of the flush of the
// first and is held; nothing arrives after it, and it still leaves within the batching window.
TEST_F(ErrorLogTest, heldRecordReachesAQuietReceiverWithinFiveMilliseconds)
{
    ServerLoop loop(plat::net::TransportOptions {});
    ASSERT_TRUE(loop.Start());
    WireClient sender, receiver;
    ASSERT_TRUE(sender.Enter(loop.server.GetLocalPort(), u"SENDER"));
    ASSERT_TRUE(receiver.Enter(loop.server.GetLocalPort(), u"RECEIVER"));
    sender.Request(NETSYS_SETACTIVE);
    receiver.Request(NETSYS_SETACTIVE);
    ASSERT_TRUE(sender.Poll(
        [&] {
            receiver.ProcessMessages();
            if (sender.players.size() == 2)
                return true;
            sender.Request(NETSYS_GETPLAYERLIST);
            std::this_thread::sleep_for(milliseconds(20));
            return false;
        },
        5000));

    std::vector<double> waitedMs;
    for (uint32_t trial = 0; trial < 5; ++trial) {
        const uint32_t last = 2 * trial + 2;
        const auto sentAt = Clock::now();
        sender.SendRecord(last - 1);
        sender.SendRecord(last);
        const auto& heard = receiver.records[sender.playerId];
        ASSERT_TRUE(receiver.Poll([&] { return heard.count(last) == 1; }, 1000)) << "trial " << trial;
        waitedMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sentAt).count());
        sender.Poll([] { return false; }, 20);
    }
    std::sort(waitedMs.begin(), waitedMs.end());
    EXPECT_LE(waitedMs[waitedMs.size() / 2], 5.0) << "slowest " << waitedMs.back() << " ms";
}

} // namespace

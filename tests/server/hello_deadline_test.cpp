// The server transport against a raw ENet peer that completes the handshake and never says
// hello: the peer is dropped at the hello deadline when silent, and at once when it sends a
// datagram larger than a hello.
#include "net/NetSession.h"
#include "platform/net/net.h"

#include <enet/enet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

using namespace plat::net;

namespace {

TEST(TransportHello, PeersWithoutAHelloAreDropped)
{
    struct Case {
        const char* what;
        std::size_t sendBytes; // 0: stays silent
        uint32_t helloTimeoutMs;
        std::chrono::milliseconds within;
    };
    const Case cases[] = {
        { "silent", 0, 500, std::chrono::milliseconds(2000) },
        { "a large message", 3000, 8000, std::chrono::milliseconds(2000) },
    };
    ASSERT_EQ(enet_initialize(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TransportOptions options;
        options.helloTimeoutMs = c.helloTimeoutMs;
        std::atomic<int> players { 0 };
        auto server = CreateServer(options);
        ASSERT_EQ(
            server->Initialize([&](MessageId id, const void*) { players += id == MessageId::CreatePlayer; }),
            Result::Ok);
        ApplicationDesc desc;
        desc.application = kZJApplicationGuid;
        const Address local = MakeAddress(0x7F000001, 0);
        ASSERT_EQ(server->Host(desc, &local), Result::Ok);
        ENetAddress loopback {};
        enet_address_set_host_ip(&loopback, "127.0.0.1");
        ENetHost* host = enet_host_create(&loopback, 1, 3, 0, 0);
        ASSERT_NE(host, nullptr);
        ENetAddress address = loopback;
        address.port = server->GetLocalPort();
        ENetPeer* peer = enet_host_connect(host, &address, 3, 0);
        bool connected = false, dropped = false;
        std::chrono::steady_clock::time_point connectedAt;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!dropped && std::chrono::steady_clock::now() < until) {
            ENetEvent event;
            if (enet_host_service(host, &event, 5) <= 0)
                continue;
            if (event.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(event.packet);
            if (event.type == ENET_EVENT_TYPE_DISCONNECT)
                dropped = true;
            if (event.type == ENET_EVENT_TYPE_CONNECT) {
                connected = true;
                connectedAt = std::chrono::steady_clock::now();
                if (c.sendBytes != 0) {
                    const std::vector<uint8_t> body(c.sendBytes, 0x42);
                    enet_peer_send(
                        peer, 0, enet_packet_create(body.data(), body.size(), ENET_PACKET_FLAG_RELIABLE));
                }
            }
        }
        EXPECT_TRUE(connected);
        EXPECT_TRUE(dropped);
        EXPECT_LT(std::chrono::steady_clock::now() - connectedAt, c.within);
        EXPECT_EQ(players.load(), 0);
        enet_host_destroy(host);
        server->Close();
    }
    enet_deinitialize();
}

} // namespace

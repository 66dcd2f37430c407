// zoq-net probe against an in-test server on 127.0.0.1, and against a port nobody serves.
#include "net/NetSession.h"
#include "net/wire/NetWire.h"
#include "platform/net/net.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

class ProbeTest : public zoq::test::TempDirTest {
protected:
    // Runs the tool with the arguments (words apart) in the temporary folder, where its error.log
    // would go.
    zoq::test::RunResult Probe(const std::string& arguments)
    {
        std::vector<std::string> words;
        std::istringstream text(arguments);
        for (std::string word; text >> word;)
            words.push_back(word);
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        return zoq::test::RunProgram(ZOQ_NET_TOOL, words, options);
    }
};

// Welcomes every player as 0x100000 and answers a game-list request with two games.
class TestServer {
public:
    TestServer()
    {
        m_server = plat::net::CreateServer();
        m_server->Initialize([this](plat::net::MessageId id, const void* message) { Handle(id, message); });
        plat::net::ApplicationDesc desc;
        desc.application = kZJApplicationGuid;
        plat::net::CopyName(desc.sessionName, kZJSessionName);
        const plat::net::Address device = plat::net::MakeAddress(0x7F000001, 0);
        m_hosted = m_server->Host(desc, &device) == plat::net::Result::Ok;
    }
    ~TestServer() { m_server->Close(); }
    bool Hosted() const { return m_hosted; }
    uint16_t Port() const { return m_server->GetLocalPort(); }

private:
    void Handle(plat::net::MessageId id, const void* message)
    {
        uint8_t reply[512];
        if (id == plat::net::MessageId::CreatePlayer) {
            const auto* created = static_cast<const plat::net::CreatePlayerMessage*>(message);
            const uint32_t size = NetWire::EncodePlayerReply(reply, sizeof reply, NETREPLY_WELCOME, 0x100000);
            m_server->SendTo(created->player, reply, size, 1000, plat::net::SendFlags::Guaranteed, nullptr);
        } else if (id == plat::net::MessageId::Receive) {
            const auto* received = static_cast<const plat::net::ReceiveMessage*>(message);
            NetWire::SRequest request;
            if (NetWire::DecodeRequest(received->data, received->dataSize, request) != NetWire::Status::Ok
                || request.type != NETSYS_GETGAMELIST)
                return;
            SGameParam games[2] = {};
            games[0].id = 1;
            std::snprintf(games[0].name, sizeof games[0].name, "location1.zjp");
            games[0].players = 2;
            games[1].id = 2;
            std::snprintf(games[1].name, sizeof games[1].name, "arena.zjp");
            games[1].players = 1;
            const uint32_t size = NetWire::EncodeGameList(reply, sizeof reply, games, 2);
            m_server->SendTo(received->sender, reply, size, 1000, plat::net::SendFlags::Guaranteed, nullptr);
        }
    }

    std::unique_ptr<plat::net::Server> m_server;
    bool m_hosted = false;
};

TEST_F(ProbeTest, PrintsTheServerThePlayerAndTheGames)
{
    TestServer server;
    ASSERT_TRUE(server.Hosted());
    const std::string port = std::to_string(server.Port());
    const zoq::test::RunResult run = Probe("probe 127.0.0.1:" + port + " --name PLAYER --wait 5");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "server 127.0.0.1:" + port
            + " \"Ferrovants DirectPlay Server 1.0\"\n"
              "player 0x00100000\n"
              "games 2\n"
              "game 1 \"location1.zjp\" players 2\n"
              "game 2 \"arena.zjp\" players 1\n");
}

TEST_F(ProbeTest, UnservedPortExitsOne)
{
    uint16_t port = 0;
    {
        TestServer gone;
        ASSERT_TRUE(gone.Hosted());
        port = gone.Port();
    }
    const zoq::test::RunResult run = Probe("probe 127.0.0.1:" + std::to_string(port) + " --wait 0.5");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zoq-net: no server at 127.0.0.1:" + std::to_string(port) + "\n");
}

TEST_F(ProbeTest, BadUsageExitsTwo)
{
    for (const char* arguments : { "", "probe", "list 127.0.0.1", "probe 127.0.0.1 --wait",
             "probe 127.0.0.1 --wait x", "probe 127.0.0.1 --colour red" })
        EXPECT_EQ(Probe(arguments).exitCode, 2) << arguments;
}

} // namespace

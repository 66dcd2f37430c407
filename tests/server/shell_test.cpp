// ZJServ run as a program in a temporary folder on a free port: its lines, the single instance,
// zjserv.ini, a probe, the close signals and the exit codes.
#include "net/NetSession.h"
#include "platform/net/net.h"
#include "platform/win/text.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

using zoq::test::ChildProcess;

class ShellTest : public zoq::test::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        m_scope = "zjserv-shell-" + std::to_string(getpid()) + "-"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    // In the temporary folder, on the port given (0: a free one), with an instance lock of the
    // test's own.
    zoq::test::ChildOptions Options(const std::string& port = "0") const
    {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        options.env = { "ZOQ_NET_PORT=" + port, "ZOQ_INSTANCE_SCOPE=" + m_scope };
        return options;
    }
    void WriteIni(const std::string& bytes) const { zoq::test::WriteText(m_dir / "zjserv.ini", bytes); }
    std::string ErrorLog() const { return zoq::test::ReadText(m_dir / "error.log"); }
    bool Start(ChildProcess& server) const { return server.Start(ZJSERV_PROGRAM, {}, Options()); }
    // Reads the session line; the port it names, 0 when the line is not there.
    static uint16_t SessionPort(const std::string& line)
    {
        const std::string form = "ZJServ: session \"Ferrovants DirectPlay Server 1.0\" on UDP port ";
        if (line.compare(0, form.size(), form) != 0 || line.size() == form.size()
            || line.size() > form.size() + 5)
            return 0;
        unsigned port = 0;
        for (std::size_t i = form.size(); i < line.size(); ++i) {
            if (line[i] < '0' || line[i] > '9')
                return 0;
            port = port * 10 + unsigned(line[i] - '0');
        }
        return port <= 65535 ? static_cast<uint16_t>(port) : 0;
    }

    std::string m_scope;
};

TEST_F(ShellTest, printsTheTipAndTheSessionLineAnswersAProbeAndClosesOnCtrlC)
{
    ChildProcess server;
    ASSERT_TRUE(Start(server));
    std::string tip, session;
    ASSERT_TRUE(server.ReadLine(tip, 10000));
    EXPECT_EQ(tip, "Z.O.Q. Server v 1.0 [Close: Ctrl+C]");
    ASSERT_TRUE(server.ReadLine(session, 10000));
    const uint16_t port = SessionPort(session);
    ASSERT_NE(port, 0) << session;

    ChildProcess probe;
    ASSERT_TRUE(probe.Start(ZOQ_NET_TOOL, { "probe", "127.0.0.1:" + std::to_string(port) }, Options()));
    std::vector<std::string> lines;
    for (std::string line; probe.ReadLine(line, 15000);)
        lines.push_back(line);
    int probeCode = -1;
    ASSERT_TRUE(probe.Wait(5000, probeCode));
    EXPECT_EQ(probeCode, 0) << probe.Stderr();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "server 127.0.0.1:" + std::to_string(port) + " \"Ferrovants DirectPlay Server 1.0\"");
    EXPECT_EQ(lines[1], "player 0x00100000");
    EXPECT_EQ(lines[2], "games 0");

    server.Signal(SIGINT);
    int code = -1;
    ASSERT_TRUE(server.Wait(10000, code));
    EXPECT_EQ(code, 0);
}

TEST_F(ShellTest, aSecondServerExitsWithOne)
{
    ChildProcess first;
    ASSERT_TRUE(Start(first));
    std::string line;
    ASSERT_TRUE(first.ReadLine(line, 10000));
    ASSERT_TRUE(first.ReadLine(line, 10000));

    ChildProcess second;
    ASSERT_TRUE(Start(second));
    int code = -1;
    ASSERT_TRUE(second.Wait(10000, code));
    EXPECT_EQ(code, 1);
    EXPECT_EQ(second.Stderr(), "ZJServ: a server is already running\n");
    EXPECT_TRUE(first.Running());

    first.Signal(SIGTERM);
    ASSERT_TRUE(first.Wait(10000, code));
    EXPECT_EQ(code, 0);
}

TEST_F(ShellTest, withVisibleZeroThereIsNoTipAndASignalStillEndsIt)
{
    WriteIni("[ZJSERV]\r\nVisible=0\r\nMaxPlayers=2\r\n");
    ChildProcess server;
    ASSERT_TRUE(Start(server));
    std::string line;
    ASSERT_TRUE(server.ReadLine(line, 10000));
    EXPECT_NE(SessionPort(line), 0) << line;
    server.Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(server.Wait(10000, code));
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(server.ReadLine(line, 100));
}

TEST_F(ShellTest, theCloseStringShowsInTheTip)
{
    WriteIni("[zjserv]\r\ncloseString=" + plat::win::Utf8ToCp1251("Выход") + "\r\n");
    ChildProcess server;
    ASSERT_TRUE(Start(server));
    std::string tip;
    ASSERT_TRUE(server.ReadLine(tip, 10000));
    EXPECT_EQ(tip, "Z.O.Q. Server v 1.0 [Выход: Ctrl+C]");
    server.Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(server.Wait(10000, code));
    EXPECT_EQ(code, 0);
}

TEST_F(ShellTest, sigtermExitsWithZeroAndAConnectedClientHearsTheEnd)
{
    ChildProcess server;
    ASSERT_TRUE(Start(server));
    std::string line;
    ASSERT_TRUE(server.ReadLine(line, 10000));
    ASSERT_TRUE(server.ReadLine(line, 10000));
    const uint16_t port = SessionPort(line);
    ASSERT_NE(port, 0);

    std::atomic<bool> connected { false }, ended { false };
    auto client = plat::net::CreateClient();
    ASSERT_EQ(client->Initialize([&](plat::net::MessageId id, const void* message) {
        if (id == plat::net::MessageId::ConnectComplete)
            connected = static_cast<const plat::net::ConnectCompleteMessage*>(message)->result
                == plat::net::Result::Ok;
        if (id == plat::net::MessageId::TerminateSession)
            ended = true;
    }),
        plat::net::Result::Ok);
    plat::net::ApplicationDesc desc;
    desc.application = kZJApplicationGuid;
    const plat::net::Address local = plat::net::MakeAddress(0x7F000001, 0);
    ASSERT_EQ(client->Connect(desc, plat::net::MakeAddress(0x7F000001, port), &local, nullptr),
        plat::net::Result::Pending);
    for (int i = 0; i < 5000 && !connected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(connected);

    server.Signal(SIGTERM);
    int code = -1;
    ASSERT_TRUE(server.Wait(10000, code));
    EXPECT_EQ(code, 0);
    for (int i = 0; i < 3000 && !ended; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(ended);
    client->Close();
}

TEST_F(ShellTest, aPortInUseExitsWithTwo)
{
    const int taken = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any {};
    any.sin_family = AF_INET;
    ASSERT_EQ(bind(taken, reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
    socklen_t length = sizeof any;
    getsockname(taken, reinterpret_cast<sockaddr*>(&any), &length);

    ChildProcess server;
    ASSERT_TRUE(server.Start(ZJSERV_PROGRAM, {}, Options(std::to_string(ntohs(any.sin_port)))));
    int code = -1;
    ASSERT_TRUE(server.Wait(10000, code));
    close(taken);
    EXPECT_EQ(code, 2);
    EXPECT_NE(server.Stderr().find("Error: Can`t initialize server\n"), std::string::npos) << server.Stderr();
    EXPECT_NE(ErrorLog().find("DPServer8::Init() can`t host server"), std::string::npos);
}

} // namespace

TEST_F(ShellTest, aBadPortVariableIsRefusedInOneLine)
{
    const zoq::test::RunResult run = zoq::test::RunProgram(ZJSERV_PROGRAM, {}, Options("28650x"), 10000);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "ZJServ: ZOQ_NET_PORT=28650x: expected a port number from 0 to 65535\n");
    EXPECT_EQ(run.out, "");
}

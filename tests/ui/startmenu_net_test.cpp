// RunNetGame of the start menu against the real ZJServ on 127.0.0.1 (the port of the test's own):
// the chooser and CreateGame on an empty server, Join of a game another client made, the local
// server started once when none answers, the failure line without one, and the least second of
// every search. The menu host plays the chooser and records what the status window showed.
#include "net/CZJDPClient.h"
#include "net/NetSession.h"
#include "render/Graphic.h"
#include "tests/render/render_fixture.h"
#include "tests/script/script_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/ui/fake_menu_host.h"
#include "ui/CGameListMenu.h"
#include "ui/CHtmlControl.h"
#include "ui/CZJHtmlWindow.h"
#include "ui/CZJStartMenu.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kEnter = 28;
constexpr uint8_t kPressAndRelease = 0xC0;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A UDP port nobody holds now.
uint16_t FreePort()
{
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any {};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&any), sizeof any);
    socklen_t length = sizeof any;
    getsockname(s, reinterpret_cast<sockaddr*>(&any), &length);
    close(s);
    return ntohs(any.sin_port);
}

// The processes named ZJServ whose parent is this test.
std::vector<pid_t> ServerChildren()
{
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state, parent;
        if (!(stat >> pid >> name >> state >> parent))
            continue;
        if (name == "(ZJServ)" && std::stoi(parent) == getpid())
            found.push_back(std::stoi(pid));
    }
    return found;
}

// The chooser run by RunModalMenu and the network location the search stores.
class NetMenuHost : public uitest::FakeMenuHost {
public:
    uint32_t RunModalMenu(CBaseMenu* menu) override
    {
        ++modalRuns;
        return choose ? choose(*menu) : 0;
    }
    void SetNetLocation(const char* location) override { netLocation = location; }

    int modalRuns = 0;
    std::function<uint32_t(CBaseMenu&)> choose;
    std::string netLocation;
};

class StartMenuNetTest : public zoq::test::ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_TRUE(g_Graphic.CreateDirect3D("null"));
        ASSERT_TRUE(g_Graphic.CreateDevice(0, 800, 600, 32, plat::gfx::Format::X8R8G8B8, 0, 0, true,
            plat::gfx::MultiSample::None, 1, 1, plat::gfx::PresentInterval::Default, false, &m_window));
        m_port = std::to_string(FreePort());
        m_scope = "startmenu-net-" + std::to_string(getpid()) + "-"
            + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_env.push_back(std::make_unique<zoq::test::ScopedEnv>("ZOQ_NET_PORT", m_port.c_str()));
        m_env.push_back(
            std::make_unique<zoq::test::ScopedEnv>("ZOQ_NET_SEARCH", ("127.0.0.1:" + m_port).c_str()));
        m_env.push_back(std::make_unique<zoq::test::ScopedEnv>("ZOQ_INSTANCE_SCOPE", m_scope.c_str()));
        zoq::test::WriteText(m_dir / "Data" / "Net" / "valley.ini",
            "[LOCATION]\r\nCaption=Valley\r\nFileName=valley.zjp\r\nEnable=1\r\n");
        NetClient.runServer = 0;
        NetClient.enabled = 1;
        menu.renderScene = 0;
        host.onPump = [this] { Record(); };
    }
    void TearDown() override
    {
        NetClient.Close();
        NetClient.games.Done();
        NetClient.gameId = 0;
        for (pid_t pid : ServerChildren())
            kill(pid, SIGKILL);
        g_Graphic.Release();
        m_env.clear();
        ScriptTest::TearDown();
    }
    std::string Texts() const override
    {
        return "[INT_NET_FOUND_GAMES]\nTEXT = Games: %d\n[INT_NET_SERVER_FOUND]\nTEXT = Found\n";
    }

    // ZJServ in the temporary folder on the test's port, once its session line says it hosts.
    void StartServer()
    {
        zoq::test::ChildOptions options;
        options.folder = m_dir.string();
        options.env = { "ZOQ_NET_PORT=" + m_port, "ZOQ_INSTANCE_SCOPE=" + m_scope };
        ASSERT_TRUE(m_server.Start(ZJSERV_PROGRAM, {}, options));
        std::string tip, session;
        ASSERT_TRUE(m_server.ReadLine(tip, 10000));
        ASSERT_TRUE(m_server.ReadLine(session, 10000));
        ASSERT_NE(session.find("on UDP port " + m_port), std::string::npos) << session;
    }

    // The status lines, in order, each with the seconds since the search began when first seen.
    void Record()
    {
        const CHtmlControl* status = menu.Status();
        if (!status || !status->window)
            return;
        for (int i = int(shown.size()); i < status->window->BlockCount(); ++i)
            shown.push_back({ status->window->Block(i).name, SecondsSince(m_start) });
    }
    double ShownAt(const std::string& key) const
    {
        for (const auto& [name, at] : shown)
            if (name == key)
                return at;
        return -1.0;
    }
    std::vector<std::string> Keys() const
    {
        std::vector<std::string> keys;
        for (const auto& line : shown)
            keys.push_back(line.first);
        return keys;
    }
    bool Run()
    {
        m_start = Clock::now();
        const bool joined = menu.RunNetGame();
        elapsed = SecondsSince(m_start);
        return joined;
    }

    // Clicks the chooser's line of the location and presses Enter on its OK button.
    static uint32_t ChooseValley(CBaseMenu& menu, NetMenuHost& host)
    {
        auto& chooser = dynamic_cast<CGameListMenu&>(menu);
        chooser.Init();
        CHtmlControl* list = chooser.List();
        for (int i = 0; i < list->window->BlockCount(); ++i) {
            if (list->window->Block(i).name != std::string("valley.zjp"))
                continue;
            const MHTLLine& line = list->window->Line(list->window->Block(i).lastLine);
            host.mouse = { line.x1 + 1, line.y1 + 1 };
            host.leftEvents = kPressAndRelease;
            chooser.ProcessMouse(list, host.mouse.x, host.mouse.y);
            host.leftEvents = 0;
        }
        host.keys = { kEnter };
        chooser.RunControl();
        host.keys.clear();
        return chooser.result;
    }

    zoq::test::FakeWindow m_window { 800, 600 };
    NetMenuHost host;
    CZJStartMenu menu;
    std::vector<std::pair<std::string, double>> shown;
    double elapsed = 0.0;
    std::string m_port;
    std::string m_scope;
    std::vector<std::unique_ptr<zoq::test::ScopedEnv>> m_env;
    zoq::test::ChildProcess m_server;
    Clock::time_point m_start;
};

TEST_F(StartMenuNetTest, anEmptyServerLetsThePlayerChooseALocationAndCreatesItsGame)
{
    StartServer();
    host.choose = [this](CBaseMenu& chooser) { return ChooseValley(chooser, host); };
    ASSERT_TRUE(Run()) << LogText();
    EXPECT_EQ(host.modalRuns, 1);
    EXPECT_EQ(host.netLocation, "valley.zjp");
    EXPECT_EQ(Keys(),
        (std::vector<std::string> { "INT_NET_SEARCHING", "INT_NET_SERVER_FOUND", "INT_NET_GET_GAMELIST",
            "INT_NET_FOUND_GAMES", "INT_NET_NEW_GAME" }));
    EXPECT_GE(ShownAt("INT_NET_SERVER_FOUND"), 1.0) << "a host that answers at once still waits a second";
    EXPECT_GE(elapsed, 3.0);
    EXPECT_TRUE(menu.Controls().IsEmpty()) << "the status window is removed";
    EXPECT_EQ(NetClient.games.Count(), 0);
    EXPECT_NE(NetClient.gameId, 0u);
}

TEST_F(StartMenuNetTest, aGameAnotherClientMadeIsJoined)
{
    StartServer();
    CZJDPClient other;
    ASSERT_TRUE(other.Init());
    ASSERT_TRUE(other.EnumHosts(kZJApplicationGuid));
    const auto searchStart = Clock::now();
    while (other.GetHostCount() == 0 && SecondsSince(searchStart) < 10.0)
        plat::win::Sleep(10);
    ASSERT_TRUE(other.Connect(0, kZJClientName));
    while (other.playerId == 0 && SecondsSince(searchStart) < 10.0) {
        if (!other.ProcessMessages())
            plat::win::Sleep(1);
    }
    ASSERT_TRUE(other.CreateGame("ridge.zjp"));

    ASSERT_TRUE(Run()) << LogText();
    EXPECT_EQ(host.modalRuns, 0);
    EXPECT_EQ(host.netLocation, "ridge.zjp");
    EXPECT_EQ(Keys().back(), "INT_NET_JOINING");
    EXPECT_EQ(ShownAt("INT_NET_FOUND_GAMES") >= 0.0, true);
    other.Close();
}

TEST_F(StartMenuNetTest, withNoServerAndRunServerTheLinkedServerStartsOnce)
{
    fs::create_symlink(ZJSERV_PROGRAM, m_dir / "ZJServ");
    NetClient.runServer = 1;
    int started = 0;
    host.choose = [&](CBaseMenu&) {
        Record();
        started = int(ServerChildren().size());
        return 0u;
    };
    EXPECT_FALSE(Run()) << "the chooser was cancelled";
    EXPECT_EQ(started, 1);
    EXPECT_EQ(host.modalRuns, 1);
    EXPECT_EQ(host.netLocation, "");
    EXPECT_EQ(Keys(),
        (std::vector<std::string> { "INT_NET_SEARCHING", "INT_NET_SERVER_NOT_FOUND",
            "INT_NET_SERVER_EXECUTED", "INT_NET_SERVER_FOUND", "INT_NET_GET_GAMELIST",
            "INT_NET_FOUND_GAMES" }));
    EXPECT_GE(ShownAt("INT_NET_SERVER_FOUND") - ShownAt("INT_NET_SERVER_EXECUTED"), 3.0);
    EXPECT_TRUE(menu.Controls().IsEmpty());
}

TEST_F(StartMenuNetTest, withoutRunServerTheSearchFailsAfterItsLineShowedForASecond)
{
    EXPECT_FALSE(Run());
    EXPECT_EQ(Keys(), (std::vector<std::string> { "INT_NET_SEARCHING", "INT_NET_SERVER_NOT_FOUND" }));
    EXPECT_GE(ShownAt("INT_NET_SERVER_NOT_FOUND"), 15.0);
    EXPECT_GE(elapsed - ShownAt("INT_NET_SERVER_NOT_FOUND"), 1.0 - 0.05);
    EXPECT_TRUE(ServerChildren().empty());
    EXPECT_TRUE(menu.Controls().IsEmpty());
}

} // namespace

// The game-state machine on a copy of the generated demo folder, on the null backend: the start
// menu's results, the in-game menu's, the pending location actions of a running game, the end
// titles and a close request, with the modal hook answering for the menus and the pump hook
// acting in flight.
#include "app/CInput.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "audio/CMusicMng.h"
#include "net/CZJDPClient.h"
#include "net/NetSession.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/sound/device.h"
#include "platform/window/message.h"
#include "script/CScriptHost.h"
#include "script/CZJScriptManager.h"
#include "tests/platform/window/sdl_events.h"
#include "tests/support/child_process.h"
#include "tests/support/error_log_test.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "ui/CBuildingMenu.h"
#include "ui/CZJStartMenu.h"
#include "world/db/COrgManager.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CGliderObject.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJObject.h"
#include "world/objects/PlayerGlobals.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSave = "states.sav";
constexpr int kPassLimit = 3000;
constexpr uint32_t kOwnerBits = 0xFFF00000u; // a network id's owning player

// The application with a record of its passes: whether the state machine runs, and the state
// each game pass saw.
class GameApp : public CZJApp {
public:
    void ProcessFrame() override
    {
        inFrame = true;
        CZJApp::ProcessFrame();
        inFrame = false;
    }
    bool inFrame = false;
};

void PostClose(plat::window::Window* window)
{
    plat::window::Message m;
    m.window = window;
    m.kind = plat::window::MessageKind::SysCommand;
    m.wParam = uint32_t(plat::window::SysCommand::Close);
    plat::window::PostMessage(m);
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

// Connects the client to the first host its search finds and waits for its player id.
bool Connect(CZJDPClient& client)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto within = [&] { return Clock::now() - start < std::chrono::seconds(10); };
    if (!client.Init() || !client.EnumHosts(kZJApplicationGuid))
        return false;
    while (client.GetHostCount() == 0 && within())
        plat::win::Sleep(10);
    if (!client.Connect(0, kZJClientName))
        return false;
    while (client.playerId == 0 && within()) {
        if (!client.ProcessMessages())
            plat::win::Sleep(1);
    }
    return client.playerId != 0;
}

void RequestAction(uint32_t code)
{
    ZJEngine.pendingAction.actionPending = 1;
    ZJEngine.pendingAction.actionCode = code;
}

class StatesTest : public zoq::test::WorkingDirLogTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(fs::path(ZOQ_MKDATA_FIXTURE) / "Data/mkdata.stamp"))
            << "run the mkdata_fixture test first (ctest -R mkdata)";
        WorkingDirLogTest::SetUp();
        for (const auto& entry : fs::directory_iterator(ZOQ_MKDATA_FIXTURE))
            fs::copy(entry.path(), m_dir / entry.path().filename(), fs::copy_options::recursive);
        const fs::path cfg = m_dir / "Data/CONFIG/cfg.ini";
        zoq::test::WriteText(cfg,
            "[CONFIG]\r\nWindowed=1\r\nVideo=0\r\nScreenWidth=640\r\nScreenHeight=480\r\n"
                + zoq::test::ReadText(cfg));
        plat::gfx::null::ResetConfig();
        plat::sound::SetDeviceKind(plat::sound::DeviceKind::Loopback);
        plat::window::ClearMessages();
        g_pZJApp = &app;
        app.Init("", 0, CZJApp::kTitle);
        ASSERT_NE(app.GetWindow(), nullptr);
        test::Focus(*app.GetWindow());
        app.CheckDevice(nullptr);

        app.modalHook = [this](CBaseMenu* menu, int& result) {
            // A building the game starts in lets the glider out at once.
            if (dynamic_cast<CBuildingMenu*>(menu)) {
                result = CBuildingMenu::kResultStay;
                return true;
            }
            auto* start = dynamic_cast<CZJStartMenu*>(menu);
            if (!start)
                return false;
            ++startMenus;
            result = 1;
            if (!startResults.empty()) {
                result = startResults.front();
                startResults.pop_front();
            }
            start->chosenName = chosenSave;
            return true;
        };
        app.endTitlesHook = [this](int ending) {
            endings.push_back(ending);
            return true;
        };
        CApplication::PumpHook = [this] {
            if (!app.inFrame || app.state == CZJApp::kStartMenu || app.modalMenu)
                return;
            ++passes;
            if (passes == 1 || app.state != gameStates.back().second)
                gameStates.push_back({ passes, app.state });
            if (const auto event = events.find(passes); event != events.end())
                event->second();
            if (passes == kPassLimit)
                PostClose(app.GetWindow());
        };
    }
    void TearDown() override
    {
        CApplication::PumpHook = {};
        app.Shutdown();
        g_pZJApp = nullptr;
        g_InputConfig.FreeEffects();
        g_Input.Release();
        plat::window::ClearMessages();
        WorkingDirLogTest::TearDown();
    }

    // A save in location1, as the save menu would write it.
    void WriteSave()
    {
        std::snprintf(app.locationFile, sizeof app.locationFile, "%s", "location1.zjp");
        const char place[32] = "B_L1_CEH";
        ASSERT_TRUE(app.SaveGame(kSave, "states", 1, place, false));
    }

    void Run()
    {
        app.MainLoop();
        EXPECT_LT(passes, kPassLimit) << "the game never ended by itself";
    }

    // The null backend for this fixture only: later suites of the program find the variable as it was.
    zoq::test::ScopedEnv m_backend { "ZOQ_GFX", "null" };
    GameApp app;
    std::deque<int> startResults;
    std::string chosenSave;
    int startMenus = 0;
    int passes = 0; // game passes: pumps inside a game run
    std::vector<std::pair<int, uint32_t>> gameStates; // the pass a game state was first seen at
    std::map<int, std::function<void()>> events; // by game pass
    std::vector<int> endings;
};

// One table: start-menu results, in-game-menu results and pending actions, each with the game
// runs it gives, the start menus it opens and where it ends.
TEST_F(StatesTest, startResultsInGameResultsAndActions)
{
    struct Case {
        const char* name;
        std::vector<int> startResults; // then 1: leave
        std::map<int, std::function<void(GameApp&)>> events;
        std::vector<uint32_t> games; // the states of the game runs, in order
        int startMenus;
        uint32_t finalState;
        std::vector<int> endings = {};
        bool saved = false;
        bool ended = true; // the game ended (action 2 or the end titles)
    };
    const auto ingame = [](uint32_t next) {
        return [next](GameApp& a) {
            a.state = next;
            a.SetQuit(1);
        };
    };
    const auto action = [](uint32_t code) { return [code](GameApp&) { RequestAction(code); }; };
    const Case cases[] = {
        { "leave", {}, {}, {}, 1, CZJApp::kStartMenu, {}, false, false },
        { "results 0, 4, 5 and 6 open the start menu again", { 0, 4, 5, 6 }, {}, {}, 5, CZJApp::kStartMenu,
            {}, false, false },
        { "a new game over", { 2 }, { { 3, action(2) } }, { CZJApp::kNewGame }, 2, CZJApp::kStartMenu },
        { "a loaded game over", { 7 }, { { 3, action(2) } }, { CZJApp::kLoadGame }, 2, CZJApp::kStartMenu, {},
            true },
        { "in-game exit", { 2 }, { { 3, ingame(CZJApp::kExit) } }, { CZJApp::kNewGame }, 1, CZJApp::kExit, {},
            false, false },
        { "in-game leave", { 2 }, { { 3, ingame(CZJApp::kStartMenu) } }, { CZJApp::kNewGame }, 2,
            CZJApp::kStartMenu, {}, false, false },
        { "in-game load", { 2 },
            { { 3,
                  [](GameApp& a) {
                      ASSERT_TRUE(a.LoadGame(kSave, true));
                      a.state = CZJApp::kLoadGame;
                      a.SetQuit(1);
                  } },
                { 6, action(2) } },
            { CZJApp::kNewGame, CZJApp::kLoadGame }, 2, CZJApp::kStartMenu, {}, true },
        { "actions 5, 1 and an unknown code play on", { 2 },
            { { 3, action(5) }, { 5, action(1) }, { 7, action(9) }, { 9, action(2) } }, { CZJApp::kNewGame },
            2, CZJApp::kStartMenu },
        { "action 6: end titles 1", { 2 }, { { 3, action(6) } }, { CZJApp::kNewGame }, 2, CZJApp::kStartMenu,
            { 1 } },
        { "action 7: end titles 2", { 2 }, { { 3, action(7) } }, { CZJApp::kNewGame }, 2, CZJApp::kStartMenu,
            { 2 } },
        // A sensor's script calling PROCESS(5) in flight.
        { "PROCESS(5) in flight", { 2 }, { { 3, [](GameApp&) { g_pScriptHost->RunProcess(5); } } },
            { CZJApp::kNewGame }, 2, CZJApp::kStartMenu, { 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startResults.assign(c.startResults.begin(), c.startResults.end());
        startMenus = 0;
        passes = 0;
        gameStates.clear();
        endings.clear();
        events.clear();
        app.state = CZJApp::kStartMenu;
        app.ClearQuit();
        if (c.saved) {
            WriteSave();
            chosenSave = kSave;
        }
        for (const auto& [pass, event] : c.events)
            events[pass] = [this, event] {
                event(app);
                // A world object of the running game, which the end of the game deletes.
                ObjectList.AddObject(new CZJObject);
            };
        Run();
        std::vector<uint32_t> games;
        for (const auto& seen : gameStates)
            games.push_back(seen.second);
        EXPECT_EQ(games, c.games);
        EXPECT_EQ(startMenus, c.startMenus);
        EXPECT_EQ(app.state, c.finalState);
        EXPECT_EQ(endings, c.endings);
        EXPECT_FALSE(app.CloseRequested());
        if (!c.games.empty()) {
            EXPECT_GE(passes, c.events.rbegin()->first) << "the game played on to its last event";
        }
        if (c.ended) {
            EXPECT_EQ(ObjectList.Objects().Count(), 0) << "the end of the game deletes its objects";
        }
        EXPECT_EQ(LogLineCount("EXCEPTION"), 0) << LogText();
        ObjectList.Clear();
    }
}

TEST_F(StatesTest, aSaveThatCannotBeLoadedReturnsToTheStartMenu)
{
    WriteSave();
    const fs::path save = m_dir / "SAVES" / kSave;
    ASSERT_TRUE(fs::exists(save));
    // The header stays readable; the sections behind it are cut short.
    fs::resize_file(save, fs::file_size(save) - 16);
    for (const char* name : { kSave, "missing.sav" }) {
        SCOPED_TRACE(name);
        startResults = { 7 };
        chosenSave = name;
        startMenus = 0;
        passes = 0;
        app.state = CZJApp::kStartMenu;
        app.ClearQuit();
        Run();
        EXPECT_EQ(passes, 0) << "no game runs";
        EXPECT_EQ(startMenus, 2);
        EXPECT_EQ(app.state, uint32_t(CZJApp::kStartMenu));
        EXPECT_EQ(LogLineCount(std::string("CZJApp::LoadGame failed: ") + name), 1) << LogText();
        EXPECT_EQ(ObjectList.Objects().Count(), 0);
    }
}

TEST_F(StatesTest, aGameThatCannotBePreparedReturnsToTheStartMenu)
{
    std::snprintf(app.startLocationFile, sizeof app.startLocationFile, "%s", "missing.zjp");
    startResults = { 2 };
    Run();
    EXPECT_EQ(passes, 0) << "no game runs";
    EXPECT_EQ(startMenus, 2);
    EXPECT_EQ(app.state, uint32_t(CZJApp::kStartMenu));
    EXPECT_EQ(LogLineCount("->CZJApp::InitMap"), 1) << "the trace is logged\n" << LogText();
    EXPECT_EQ(ObjectList.Objects().Count(), 0);
    EXPECT_EQ(PlayerGlider, nullptr);
}

TEST_F(StatesTest, theDifficultyScalesThePlayersAuthorityInEveryNewGame)
{
    g_OrgManager.SetPolitics("StartPolitics.csv");
    const int player = g_OrgManager.FindOrganisation("ORG_PLAYER");
    const float base = g_OrgManager.GetAuthority(player);
    ASSERT_GT(base, 0.0f);
    const std::pair<uint32_t, float> levels[] = { { 2, 0.5f }, { 0, 1.33f }, { 2, 0.5f }, { 1, 0.8f } };
    for (const auto& [level, scale] : levels) {
        SCOPED_TRACE(level);
        startResults = { 2 };
        app.state = CZJApp::kStartMenu;
        app.ClearQuit();
        passes = 0;
        g_pScriptManager->difficulty = level;
        float seen = -1.0f;
        events[1] = [&] {
            seen = g_OrgManager.GetAuthority(player);
            RequestAction(2);
        };
        Run();
        EXPECT_FLOAT_EQ(seen, base * scale) << "scaled once from the start politics";
    }
}

TEST_F(StatesTest, aCloseRequestDuringAGameEndsTheProgram)
{
    startResults = { 2 };
    events[3] = [this] { PostClose(app.GetWindow()); };
    Run();
    EXPECT_EQ(startMenus, 1) << "the game does not start again";
    EXPECT_EQ(app.state, uint32_t(CZJApp::kExit));
    EXPECT_TRUE(app.IsQuitting());
    EXPECT_TRUE(app.CloseRequested());
}

TEST_F(StatesTest, endTitlesPlayTheObserverMusicAndEndOnlyOnACloseRequest)
{
    app.endTitlesHook = {};
    const int32_t music = ZJEngine.ids2[CZJEngine::kMusObserver];
    ASSERT_GE(music, 0);
    int titlePasses = 0;
    CApplication::PumpHook = [&] {
        if (++titlePasses == 20)
            PostClose(app.GetWindow());
    };
    // The quit flag the script action set does not end them.
    app.SetQuit(1);
    app.ShowEndTitles(1);
    EXPECT_EQ(titlePasses, 20);
    EXPECT_EQ(g_pMusicMng->GetCurrentTrack(), music);
    EXPECT_TRUE(app.CloseRequested());
}

// State 3 against ZJServ on 127.0.0.1: the player's network ids carry the player id, a destroyed
// machine respawns in the open, and leaving tells the other players.
TEST_F(StatesTest, aNetworkGameRespawnsInTheOpenAndLeavesTheServer)
{
    const std::string port = std::to_string(FreePort());
    const std::string scope = "states-net-" + std::to_string(getpid());
    zoq::test::ScopedEnv portEnv("ZOQ_NET_PORT", port.c_str());
    zoq::test::ScopedEnv searchEnv("ZOQ_NET_SEARCH", ("127.0.0.1:" + port).c_str());
    zoq::test::ChildProcess server;
    zoq::test::ChildOptions options;
    options.folder = m_dir.string();
    options.env = { "ZOQ_NET_PORT=" + port, "ZOQ_INSTANCE_SCOPE=" + scope };
    ASSERT_TRUE(server.Start(ZJSERV_PROGRAM, {}, options));
    std::string tip, session;
    ASSERT_TRUE(server.ReadLine(tip, 10000));
    ASSERT_TRUE(server.ReadLine(session, 10000));

    ASSERT_TRUE(Connect(NetClient));
    ASSERT_TRUE(NetClient.CreateGame("location1.zjp"));
    CZJDPClient other;
    ASSERT_TRUE(Connect(other));
    ASSERT_TRUE(other.Join(NetClient.gameId));
    other.SendPlayState(true);
    const uint32_t leftBefore = other.replyCount[NETREPLY_PLAYERLEFT];

    std::snprintf(app.netLocationFile, sizeof app.netLocationFile, "%s", "location1.zjp");
    startResults = { 3 };
    g_OrgManager.SetPolitics("StartPolitics.csv");
    const int player = g_OrgManager.FindOrganisation("ORG_PLAYER");
    const float authority = g_OrgManager.GetAuthority(player);
    g_pScriptManager->difficulty = 2;
    uint32_t seededOwner = 0;
    std::string respawnStart;
    events[2] = [&] {
        EXPECT_FLOAT_EQ(g_OrgManager.GetAuthority(player), authority) << "a network game scales nothing";
        EXPECT_EQ(g_pScriptManager->difficulty, 1u);
        seededOwner = ObjectList.networkIdCounter & kOwnerBits;
        if (PlayerGlider) {
            EXPECT_EQ(PlayerGlider->networkId & kOwnerBits, NetClient.playerId);
            EXPECT_EQ(PlayerGlider->netNumber, 1);
        }
        RequestAction(2);
    };
    events[5] = [&] {
        respawnStart = app.startPosition.text;
        app.state = CZJApp::kStartMenu;
        app.SetQuit(1);
    };
    Run();
    EXPECT_NE(NetClient.playerId, 0u);
    EXPECT_EQ(seededOwner, NetClient.playerId);
    EXPECT_EQ(respawnStart, "NOID") << "the second cycle starts in the open";
    EXPECT_GE(passes, 5);
    EXPECT_EQ(startMenus, 2);
    EXPECT_EQ(app.state, uint32_t(CZJApp::kStartMenu));
    EXPECT_EQ(Difficulty, 1);
    EXPECT_EQ(ZJEngine.killerId, 0);
    EXPECT_EQ(PlayerObject, nullptr) << "leaving clears the world: no pointer outlives its glider";
    EXPECT_EQ(ObjectList.Objects().Count(), 0);
    const auto start = std::chrono::steady_clock::now();
    while (other.replyCount[NETREPLY_PLAYERLEFT] == leftBefore
        && std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
        if (!other.ProcessMessages())
            plat::win::Sleep(1);
    }
    EXPECT_GT(other.replyCount[NETREPLY_PLAYERLEFT], leftBefore) << "the other player saw the leave";
    other.Close();
    NetClient.Close();
    NetClient.gameId = 0;
    server.Kill();
}

} // namespace

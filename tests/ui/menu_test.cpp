// The menu framework on the null backend with a host the test drives and the frame timer on a
// test counter: the mouse protocol, the tool-tip delay, captured controls, removal, one-frame runs,
// quit requests, a lost device and the once-a-second network hello.
#include "foundation/CTimer.h"
#include "net/CZJDPClient.h"
#include "tests/net/fake_transport.h"
#include "tests/render/render_fixture.h"
#include "tests/ui/fake_menu_host.h"
#include "ui/CBaseMenu.h"
#include "ui/CInGameMenu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// A control that records the calls it gets.
class RecordingControl : public CMenuControl {
public:
    RecordingControl(std::vector<std::string>& log, const char* name, int32_t left, int32_t top,
        int32_t right, int32_t bottom, int* deletions = nullptr)
        : CMenuControl(left, top, right, bottom)
        , m_log(log)
        , m_name(name)
        , m_deletions(deletions)
    {
    }
    ~RecordingControl() override
    {
        if (m_deletions)
            ++*m_deletions;
    }
    void OnHover() override { Note("hover"); }
    void OnPress() override { Note("press"); }
    void OnRelease() override { Note("release"); }
    void OnReleaseOutside() override { Note("outside"); }
    void Run() override { Note("run"); }
    void Update() override { Note("update"); }

private:
    void Note(const char* what) { m_log.push_back(m_name + " " + what); }

    std::vector<std::string>& m_log;
    std::string m_name;
    int* m_deletions;
};

// A menu that runs frame n's script at the start of its ProcessMessages and then the base; Init
// runs what the test sets.
class TestMenu : public CBaseMenu {
public:
    bool Init() override
    {
        CBaseMenu::Init();
        ++inits;
        if (onInit)
            onInit(*this);
        return true;
    }
    void ProcessMessages() override
    {
        if (size_t(pumps) < frames.size() && frames[size_t(pumps)])
            frames[size_t(pumps)](*this);
        ++pumps;
        menuTime.push_back(FrameTime);
        CBaseMenu::ProcessMessages();
    }
    void PreProcess() override
    {
        ++preProcesses;
        CBaseMenu::PreProcess();
    }
    void ReleaseResources(bool discard) override
    {
        ++releases;
        CBaseMenu::ReleaseResources(discard);
    }

    std::vector<std::function<void(TestMenu&)>> frames;
    std::function<void(TestMenu&)> onInit;
    std::vector<float> menuTime;
    int inits = 0;
    int pumps = 0;
    int preProcesses = 0;
    int releases = 0;
};

// Lets the test give the global network client a transport of its own.
struct NetClientAccess : CZJDPClient {
    // Returns the factory it replaces.
    static TransportFactory UseFactory(TransportFactory factory)
    {
        constexpr auto member = &NetClientAccess::factory;
        return std::exchange(NetClient.*member, std::move(factory));
    }
};

class MenuTest : public RenderTest {
protected:
    void SetUp() override
    {
        RenderTest::SetUp();
        ASSERT_TRUE(CreateGraphic());
        FrameTimer = CTimer([this] { return m_ticks += m_step; }, 1000);
    }
    void TearDown() override
    {
        FrameTimer = CTimer();
        RenderTest::TearDown();
    }
    // One frame of mouse input: position and left-button events.
    void Mouse(int32_t x, int32_t y, uint8_t events)
    {
        host.mouse = { x, y };
        host.leftEvents = events;
    }

    uitest::FakeMenuHost host;
    TestMenu menu;
    std::vector<std::string> log;
    int64_t m_ticks = 0;
    int64_t m_step = 20; // milliseconds a timer read
};

TEST_F(MenuTest, aToolTipShowsOnlyAfterMoreThanHalfASecondAndLeavingResetsAtOnce)
{
    auto* control = new RecordingControl(log, "a", 10, 10, 50, 50);
    control->caption = "tip";
    menu.AddControl(control);
    Mouse(20, 20, 0);
    FrameTime = 0.125f;
    for (int i = 0; i < 4; ++i)
        menu.CBaseMenu::ProcessMessages();
    EXPECT_FLOAT_EQ(control->hoverTime, 0.5f);
    EXPECT_EQ(menu.toolTipControl, nullptr) << "exactly 0.5 s shows nothing";
    menu.CBaseMenu::ProcessMessages();
    EXPECT_EQ(menu.toolTipControl, control);
    Mouse(100, 100, 0);
    menu.CBaseMenu::ProcessMessages();
    EXPECT_EQ(control->hoverTime, 0.0f);
    EXPECT_EQ(menu.toolTipControl, nullptr);

    control->caption = "";
    Mouse(20, 20, 0);
    for (int i = 0; i < 6; ++i)
        menu.CBaseMenu::ProcessMessages();
    EXPECT_EQ(menu.toolTipControl, nullptr) << "an empty caption has no tool-tip";
}

TEST_F(MenuTest, theMouseProtocolCallsEachStepByTheFramesButtonEvents)
{
    menu.AddControl(new RecordingControl(log, "a", 10, 10, 50, 50));
    struct Case {
        int32_t x;
        uint8_t events;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        { 20, 0x00, { "a hover" } },
        { 20, 0x80, { "a hover", "a press" } },
        { 20, 0xC0, { "a hover", "a press", "a release" } },
        { 20, 0x40, { "a hover", "a release" } },
        { 80, 0x40, { "a outside" } },
        { 80, 0x80, {} },
        { 80, 0x00, {} },
    };
    for (const Case& c : cases) {
        log.clear();
        Mouse(c.x, 20, c.events);
        menu.CBaseMenu::ProcessMessages();
        EXPECT_EQ(log, c.calls) << "x " << c.x << " events " << int(c.events);
    }
}

TEST_F(MenuTest, aCapturedControlAloneHoversAndRuns)
{
    auto* a = new RecordingControl(log, "a", 0, 0, 100, 100);
    auto* b = new RecordingControl(log, "b", 0, 0, 100, 100);
    menu.AddControl(a);
    menu.AddControl(b);
    b->enabled = 0;
    menu.capturedControl = b;
    Mouse(20, 20, 0);
    menu.CBaseMenu::ProcessMessages();
    menu.RunControl();
    EXPECT_EQ(log, (std::vector<std::string> { "b hover", "b run", "b update" }))
        << "a captured control runs even when disabled";

    log.clear();
    menu.capturedControl = nullptr;
    a->visible = 0;
    menu.CBaseMenu::ProcessMessages();
    menu.RunControl();
    EXPECT_EQ(log, (std::vector<std::string> { "b hover" }))
        << "invisible: no mouse, no run; disabled: mouse but no run";
}

TEST_F(MenuTest, removingTheToolTipControlClearsItAndKeepingOneAliveLeavesTheRestOwned)
{
    int deletions = 0;
    auto* menuOwned = std::make_unique<TestMenu>().release();
    auto* kept = new RecordingControl(log, "kept", 0, 0, 10, 10, &deletions);
    auto* tip = new RecordingControl(log, "tip", 0, 0, 10, 10, &deletions);
    menuOwned->AddControl(kept);
    menuOwned->AddControl(tip);
    menuOwned->AddControl(new RecordingControl(log, "other", 0, 0, 10, 10, &deletions));
    menuOwned->toolTipControl = tip;
    EXPECT_TRUE(menuOwned->RemoveControl(tip, true));
    EXPECT_EQ(menuOwned->toolTipControl, nullptr);
    EXPECT_EQ(deletions, 1);
    EXPECT_FALSE(menuOwned->RemoveControl(tip, true)) << "absent";

    EXPECT_TRUE(menuOwned->RemoveControl(kept, false));
    EXPECT_EQ(deletions, 1) << "taken out alive";
    EXPECT_EQ(menuOwned->Controls().Count(), 1);
    delete menuOwned;
    EXPECT_EQ(deletions, 2) << "the menu still deleted the one it owned";
    delete kept;
}

TEST_F(MenuTest, doModalWithoutLoopRunsOneFrameAndReturnsTheCurrentResult)
{
    menu.onInit = [](TestMenu& m) { m.result = 7; };
    EXPECT_EQ(menu.DoModal(false), 7u);
    EXPECT_EQ(menu.pumps, 1);
    EXPECT_EQ(host.frames, 2) << "the first picture and the one frame of the loop";
    EXPECT_EQ(menu.preProcesses, 1);
    EXPECT_EQ(menu.releases, 1);
}

TEST_F(MenuTest, theInGameMenuResumesOnANewEscapeNotOnTheOneThatOpenedIt)
{
    CInGameMenu inGame;
    inGame.Init();
    host.keys = { CInGameMenu::kEscapeKey };
    inGame.ProcessMessages();
    inGame.ProcessMessages();
    EXPECT_EQ(inGame.result, 0u) << "the opening press, held";
    host.keys.clear();
    inGame.ProcessMessages();
    EXPECT_EQ(inGame.result, 0u);
    host.keys = { CInGameMenu::kEscapeKey };
    inGame.ProcessMessages();
    EXPECT_EQ(inGame.result, uint32_t(CInGameMenu::kResumeGame));
}

TEST_F(MenuTest, theInGameMenusLoadListKeepsTheGamePaused)
{
    struct ListHost : uitest::FakeMenuHost {
        uint32_t RunModalMenu(CBaseMenu* shown) override
        {
            const auto* list = dynamic_cast<const CMenu1*>(shown);
            worldRuns.push_back(list && list->runWorld);
            return 0;
        }
        std::vector<bool> worldRuns;
    };
    {
        ListHost lists;
        CInGameMenu inGame;
        inGame.Init();
        inGame.ProcessCommand(CInGameMenu::kLoad);
        EXPECT_EQ(lists.worldRuns, std::vector<bool> { false });
        EXPECT_EQ(inGame.result, 0u);
    }
    SetMenuHost(&host);
}

TEST_F(MenuTest, aControlsCommandEndsTheLoopAndARebuildRunsItAgain)
{
    struct Sender : CMenuControl {
        using CMenuControl::CMenuControl;
        void Run() override { SendCommand(5); }
    };
    // Builds one sender a run; the first command asks for a rebuild.
    struct Ender : CBaseMenu {
        bool Init() override
        {
            CBaseMenu::Init();
            AddControl(new Sender(0, 0, 1, 1));
            return true;
        }
        void ProcessCommand(int id) override
        {
            commands.push_back(id);
            result = uint32_t(id);
            endRequested = 1;
            rebuildRequested = commands.size() == 1 ? 1 : 0;
        }
        std::vector<int> commands;
    };
    Ender ender;
    EXPECT_EQ(ender.DoModal(true), 5u);
    EXPECT_EQ(ender.commands, (std::vector<int> { 5, 5 }));
    EXPECT_EQ(ender.Controls().Count(), 1) << "the rebuild cleared the first run's controls";
}

TEST_F(MenuTest, aQuitRequestEndsTheModalLoopWithZero)
{
    menu.onInit = [](TestMenu& m) { m.result = 7; };
    menu.frames.resize(3);
    menu.frames[2] = [this](TestMenu&) { host.quit = true; };
    EXPECT_EQ(menu.DoModal(true), 0u);
    EXPECT_EQ(menu.pumps, 3);
    EXPECT_EQ(menu.releases, 1);
    EXPECT_EQ(host.cursorShown, false);
}

TEST_F(MenuTest, aLostDeviceSkipsFramesUntilItIsBack)
{
    host.lostChecks = 4;
    menu.frames.resize(2);
    menu.frames[1] = [](TestMenu& m) { m.endRequested = 1; };
    menu.DoModal(true);
    EXPECT_EQ(menu.pumps, 2);
    EXPECT_EQ(host.frames, 3) << "the first picture and two frames; no frame while lost";
    EXPECT_EQ(host.lostChecks, 0);
    EXPECT_EQ(host.fadeIns, 1) << "the fade-in follows the first rendered pass only";
}

TEST_F(MenuTest, theNetworkClientIsPolledOnceASecondOfMenuTimeOnlyInTheNetworkState)
{
    FakeTransport* transport = nullptr;
    auto previous = NetClientAccess::UseFactory([&] {
        auto made = std::make_unique<FakeTransport>();
        transport = made.get();
        return made;
    });
    ASSERT_TRUE(NetClient.Init());
    ASSERT_NE(transport, nullptr);
    m_step = 130;
    constexpr int kFrames = 40;
    menu.frames.resize(kFrames + 1);
    menu.frames[kFrames] = [](TestMenu& m) { m.endRequested = 1; };

    menu.DoModal(true);
    EXPECT_TRUE(transport->sent.empty()) << "outside a network game";

    host.state = 3;
    menu.pumps = 0;
    menu.menuTime.clear();
    menu.DoModal(true);
    double t = 0.0;
    int seconds = 0;
    for (float frame : menu.menuTime) {
        if (std::floor(t + frame) != std::floor(t))
            ++seconds;
        t += frame;
    }
    EXPECT_GT(t, 3.0);
    EXPECT_EQ(int(transport->sent.size()), seconds);
    NetClient.Close();
    NetClientAccess::UseFactory(std::move(previous));
}

} // namespace

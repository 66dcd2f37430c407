#include "app/CInputConfig.h"
#include "app/CResourceEngine.h"
#include "app/CZJApp.h"
#include "app/CZJAppScriptHost.h"
#include "app/EndTitles.h"
#include "app/GameSettings.h"
#include "audio/CMusicMng.h"
#include "platform/gfx/null/null_backend.h"
#include "platform/video/surface.h"
#include "platform/win/clock.h"
#include "platform/window/cursor.h"
#include "platform/window/display.h"
#include "platform/window/message.h"
#include "render/CModelManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "tests/app/app_fixture.h"
#include "tests/platform/window/sdl_events.h"
#include "tools/texture/image_files.h"
#include "ui/CBaseMenu.h"
#include "ui/CMessager.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "ui/CRenderer.h"
#include "ui/CZJStartMenu.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJAppEvent.h"
#include "world/objects/CZJObject.h"
#include "world/terrain/CLocation.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

using plat::gfx::Result;

// Device objects in the default pool (the device's own back buffer and depth buffer among them),
// which a reset needs released.
uint32_t DefaultPoolObjects()
{
    return g_Graphic.GetDevice()->Counts().resources[size_t(plat::gfx::Pool::Default)];
}

// A world object that counts its device-object releases.
class DeviceObject : public CZJObject {
public:
    void ReleaseDeviceObjects() override { ++releases; }
    int releases = 0;
};

// The application with hooks a test scripts: the start menu's result each frame (the menu
// itself is not run; 0 keeps the start menu open), something to do after each frame, and a record of the
// device-object steps, of the frames they happened at, of the default-pool objects when the restore begins
// (just after the reset) and when it ends, and of the fade and the fog after it.
class ScriptedApp : public CZJApp {
public:
    ScriptedApp()
    {
        modalHook = [this](CBaseMenu* running, int& result) {
            if (!dynamic_cast<CZJStartMenu*>(running))
                return false;
            result = menu ? int(menu()) : 0;
            return true;
        };
    }
    void ProcessFrame() override
    {
        CZJApp::ProcessFrame();
        if (onFrame)
            onFrame(*this);
    }
    void InvalidateDeviceObjects() override
    {
        invalidatedAt.push_back(FrameCount());
        CZJApp::InvalidateDeviceObjects();
    }
    void RestoreDeviceObjects() override
    {
        defaultPoolAtReset = DefaultPoolObjects();
        CZJApp::RestoreDeviceObjects();
        restoredAt.push_back(FrameCount());
        fadeAfterRestore = g_FadeMode;
        defaultPoolAfterRestore = DefaultPoolObjects();
        g_Graphic.GetDevice()->GetRenderState(plat::gfx::RenderState::FogEnable, fogAfterRestore);
    }
    void AfterWait() override
    {
        ++afterWaits;
        CZJApp::AfterWait();
    }

    std::function<uint32_t()> menu;
    std::function<void(ScriptedApp&)> onFrame;
    std::vector<uint64_t> invalidatedAt;
    std::vector<uint64_t> restoredAt;
    uint32_t fadeAfterRestore = 0;
    uint32_t defaultPoolAtReset = 0;
    uint32_t defaultPoolAfterRestore = 0;
    uint32_t fogAfterRestore = 1;
    int afterWaits = 0;
};

// A menu whose Init runs what the test sets and then ends the menu with its answer.
class ScriptedMenu : public CBaseMenu {
public:
    bool Init() override
    {
        CBaseMenu::Init();
        result = uint32_t(run());
        endRequested = 1;
        return true;
    }

    std::function<int()> run;
};

void PostClose(plat::window::Window* window)
{
    plat::window::Message m;
    m.window = window;
    m.kind = plat::window::MessageKind::SysCommand;
    m.wParam = uint32_t(plat::window::SysCommand::Close);
    plat::window::PostMessage(m);
}

// Pushes window events from another thread after a delay, as the window manager would.
class LaterEvents {
public:
    LaterEvents(plat::window::Window& window, std::vector<SDL_WindowEventID> events, uint32_t delayMs)
        : m_thread([&window, events, delayMs] {
            plat::win::Sleep(delayMs);
            for (SDL_WindowEventID e : events)
                test::PushWindowEvent(window, e);
        })
    {
    }
    ~LaterEvents() { m_thread.join(); }

private:
    std::thread m_thread;
};

class AppTest : public apptest::TempDirTest {
protected:
    void SetUp() override
    {
        apptest::TempDirTest::SetUp();
        setenv("ZOQ_GFX", "null", 1);
        plat::gfx::null::ResetConfig();
        plat::window::ClearMessages();
    }
    void TearDown() override
    {
        if (started)
            app.Shutdown();
        g_InputConfig.FreeEffects();
        g_Input.Release();
        plat::window::ClearMessages();
        plat::window::ClearDisplayModeOverride();
        apptest::TempDirTest::TearDown();
    }
    // Full screen asks for a display that shows it (the offscreen driver does not): one with the
    // configured 640 x 480, whose window the test focuses.
    void Start(bool windowed, const std::string& extraCfg = "")
    {
        if (!windowed) {
            const plat::window::DisplayMode mode { 640, 480, 60, plat::window::DisplayFormat::X8R8G8B8 };
            plat::window::OverrideDisplayModes({ mode }, mode);
        }
        StartOnDriver(windowed, extraCfg);
    }
    void StartOnDriver(bool windowed, const std::string& extraCfg = "")
    {
        std::string error;
        ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(windowed) + extraCfg, error))
            << error;
        started = true;
        try {
            app.Init("", 0, CZJApp::kTitle);
        } catch (...) {
            FAIL() << "Init threw: " << CallTraceText();
        }
        ASSERT_NE(app.GetWindow(), nullptr);
        ASSERT_NE(g_Graphic.GetDevice(), nullptr);
        test::Focus(*app.GetWindow());
        // A full-screen device that was not yet focused comes back once.
        app.CheckDevice(nullptr);
        ASSERT_EQ(DeviceCooperativeLevel(), Result::Ok);
        app.invalidatedAt.clear();
        app.restoredAt.clear();
        app.SetStepLog(&steps);
    }
    uint32_t Resets() const
    {
        return plat::gfx::null::FromDevice(*g_Graphic.GetDevice())->GetCounters().resets;
    }

    ScriptedApp app;
    bool started = false;
    std::vector<std::string> steps;
};

TEST_F(AppTest, startsRunsThreeFramesAndShutsDownOnClose)
{
    Start(true);
    EXPECT_EQ(app.state, 0u);
    EXPECT_STREQ(app.startLocationFile, "location1.zjp");
    EXPECT_STREQ(app.startPosition.text, "B_L1_CEH");
    EXPECT_NE(g_pTextureManager, nullptr);
    EXPECT_NE(g_TexShaderManager, nullptr);
    EXPECT_NE(g_pMusicMng, nullptr);
    EXPECT_NE(app.shotSurface, nullptr);
    EXPECT_NE(app.shotTarget, nullptr);
    EXPECT_NE(app.shotDepth, nullptr);
    EXPECT_NE(app.CursorTexture(), nullptr);
    EXPECT_TRUE(app.SecondaryThreadRunning());
    EXPECT_FALSE(plat::window::HasStyle(app.GetWindow()->GetStyle(), plat::window::Style::Topmost));

    app.onFrame = [](ScriptedApp& a) {
        if (a.FrameCount() == 3)
            PostClose(a.GetWindow());
    };
    EXPECT_EQ(app.MainLoop(), 1u);
    EXPECT_EQ(app.FrameCount(), 3u);
    app.Shutdown();
    started = false;
    EXPECT_EQ(g_Graphic.GetDevice(), nullptr);
    EXPECT_EQ(g_pTextureManager, nullptr);
    EXPECT_EQ(g_pMusicMng, nullptr);
    EXPECT_EQ(app.shotSurface, nullptr);
    EXPECT_FALSE(app.SecondaryThreadRunning());
    // Nothing but the map buffers' size and cache statistics.
    EXPECT_EQ(LogLineCount(""), 1 + 2 * CLocation::kMeshKinds) << LogText();
    EXPECT_EQ(LogLineCount("Mesh Size="), 1) << LogText();
}

TEST_F(AppTest, leavingTheStartMenuEndsTheGameAtOnce)
{
    Start(true);
    app.menu = [] { return 1u; };
    EXPECT_EQ(app.MainLoop(), 1u);
    EXPECT_EQ(app.FrameCount(), 1u);
    EXPECT_EQ(app.state, uint32_t(CZJApp::kStartMenu));
}

TEST_F(AppTest, aQuitRequestWhileTheStartMenuRunsEndsTheGame)
{
    Start(true);
    // The menu's loop ends with 0 when the window is closed.
    app.menu = [this] {
        PostClose(app.GetWindow());
        app.ProcessMessages();
        return 0u;
    };
    app.MainLoop();
    EXPECT_TRUE(app.IsQuitting());
    EXPECT_TRUE(app.CloseRequested());
    EXPECT_EQ(app.FrameCount(), 1u);
}

TEST_F(AppTest, videoPicturesGoToTheDeviceFromInitUntilShutdown)
{
    plat::video::SetDefaultPresenter({});
    Start(true);
    const plat::video::Presenter& presenter = plat::video::DefaultPresenter();
    ASSERT_TRUE(presenter);
    const auto& pictures = plat::gfx::null::FromDevice(*g_Graphic.GetDevice())->Pictures();
    const size_t before = pictures.size();
    const std::vector<uint32_t> pixels(32 * 16, 0x00FF8000u);
    presenter(plat::video::PictureView { pixels.data(), 32, 16, 32 * 4 });
    ASSERT_EQ(pictures.size(), before + 1);
    EXPECT_EQ(pictures.back().width, 32u);
    EXPECT_EQ(pictures.back().height, 16u);
    app.Shutdown();
    started = false;
    EXPECT_FALSE(plat::video::DefaultPresenter()) << "no presenter outlives the window";
}

TEST_F(AppTest, fullScreenMakesTheWindowATopmostPopUp)
{
    Start(false, "MTGamma=0\r\n");
    const plat::window::Style style = app.GetWindow()->GetStyle();
    EXPECT_TRUE(plat::window::HasStyle(style, plat::window::Style::Topmost));
    EXPECT_TRUE(plat::window::HasStyle(style, plat::window::Style::FullScreen));
    EXPECT_FALSE(g_Graphic.Caps().gammaFade) << "MTGamma 0 fades on the main thread";
}

TEST_F(AppTest, theWindowTakesTheProgramIconAndTheSizeOfItsDisplay)
{
    // A window is 640 x 480 at the top left whatever size cfg.ini asks; full screen draws the size
    // asked.
    struct Row {
        const char* cfg;
        bool fullScreen;
        int32_t screenWidth;
        int32_t screenHeight;
    };
    const Row rows[] = {
        { "[CONFIG]\r\nWindowed=1\r\nVideo=0\r\nScreenWidth=1024\r\nScreenHeight=768\r\n", false, 640, 480 },
        { "[CONFIG]\r\nWindowed=0\r\nVideo=0\r\nScreenWidth=800\r\nScreenHeight=600\r\n", true, 800, 600 },
    };
    const std::vector<uint32_t> icon(48 * 48, 0xFFE0C040u);
    for (const Row& row : rows) {
        // Full screen needs a display that shows the asked size; the offscreen driver shows none.
        const plat::window::DisplayMode mode { 800, 600, 60, plat::window::DisplayFormat::X8R8G8B8 };
        plat::window::OverrideDisplayModes({ mode }, mode);
        std::string error;
        ASSERT_TRUE(apptest::WriteDataFolder(m_dir, row.cfg, error)) << error;
        zoq::test::WriteBytes(m_dir / "Data" / "zoq.png", zoq::tools::texture::MakePng(icon, 48, 48, true));
        CZJApp game;
        game.Init("", 0, CZJApp::kTitle);
        ASSERT_NE(game.GetWindow(), nullptr);
        EXPECT_EQ(game.GetWindow()->IconSize(), (plat::window::Size { 48, 48 })) << row.cfg;
        EXPECT_EQ(game.GetWindow()->IsFullScreen(), row.fullScreen) << row.cfg;
        if (!row.fullScreen) {
            EXPECT_EQ(game.GetWindow()->Position(), (plat::window::Point { 0, 0 }));
            EXPECT_EQ(game.GetWindow()->ClientSize(), (plat::window::Size { 640, 480 }));
        }
        EXPECT_EQ(g_Graphic.ScreenWidth(), row.screenWidth) << row.cfg;
        EXPECT_EQ(g_Graphic.ScreenHeight(), row.screenHeight) << row.cfg;
        game.Shutdown();
    }
}

TEST_F(AppTest, aLostDeviceIsResetAndEveryStepRunsInOrder)
{
    Start(false);
    const uint32_t resetsBefore = Resets();
    const uint32_t defaultPoolBefore = DefaultPoolObjects();
    ASSERT_GT(defaultPoolBefore, 2u) << "the application's device objects besides the device's own two";
    ASSERT_EQ(g_Graphic.GetDevice()->SetRenderState(plat::gfx::RenderState::FogEnable, 1), Result::Ok);
    const int screenSlot = g_pModelManager->FindBuffer("SCREEN");
    ASSERT_GE(screenSlot, 0);
    auto* worldObject = new DeviceObject;
    ObjectList.AddObject(worldObject);
    std::unique_ptr<LaterEvents> restore;
    app.onFrame = [&](ScriptedApp& a) {
        if (a.FrameCount() == 1) {
            test::PushWindowEvent(*a.GetWindow(), SDL_WINDOWEVENT_MINIMIZED);
            restore = std::make_unique<LaterEvents>(*a.GetWindow(),
                std::vector<SDL_WindowEventID> { SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_FOCUS_GAINED },
                100);
        }
        if (a.FrameCount() == 3)
            PostClose(a.GetWindow());
    };
    app.MainLoop();
    restore.reset();
    ASSERT_EQ(app.invalidatedAt.size(), 1u);
    ASSERT_EQ(app.restoredAt.size(), 1u);
    EXPECT_EQ(app.invalidatedAt[0], app.restoredAt[0]) << "no frame while the device is lost";
    EXPECT_EQ(Resets(), resetsBefore + 1);
    const std::vector<std::string> expected = {
        "device objects",
        "effects, terrain, radar",
        "menus",
        "music and sounds",
        "shot target",
        "world objects",
        "cursor clip",
        "device objects",
        "shot target",
        "effects, terrain, radar",
        "menus",
        "cursor textures",
        "fade in",
    };
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(app.defaultPoolAtReset, 2u)
        << "after the reset only the device's own two: every object was released";
    EXPECT_EQ(app.defaultPoolAfterRestore, defaultPoolBefore) << "and every one is made again after it";
    EXPECT_EQ(app.fogAfterRestore, 0u);
    EXPECT_EQ(g_pModelManager->FindBuffer("SCREEN"), screenSlot) << "render buffers keep their slots";
    EXPECT_EQ(app.fadeAfterRestore, kFadeIn);
    EXPECT_NE(app.shotTarget, nullptr);
    EXPECT_NE(app.shotDepth, nullptr);
    EXPECT_NE(g_pTextureManager->GetCacheTexture1(), nullptr);
    EXPECT_NE(app.CursorTexture(), nullptr);
    EXPECT_NE(app.CursorBlueTexture(), nullptr);
    EXPECT_NE(g_Graphic.RenderTarget(), nullptr);
    EXPECT_EQ(g_Graphic.CurrentTarget(), g_Graphic.RenderTarget())
        << "the restore adopts the new back buffer";
    EXPECT_EQ(g_Graphic.CurrentDepth(), g_Graphic.DepthSurface());
    EXPECT_EQ(LogLineCount("can`t restore"), 0);
    EXPECT_EQ(worldObject->releases, 1) << "the world objects release theirs";
    ObjectList.Clear();
}

TEST_F(AppTest, aFullScreenTheDisplayCannotShowBecomesAWindowOfTheAskedSize)
{
    StartOnDriver(false);
    EXPECT_TRUE(GameSettings.Windowed);
    EXPECT_EQ(app.GetWindow()->ClientSize().width, 640);
    EXPECT_EQ(app.GetWindow()->ClientSize().height, 480);
    EXPECT_EQ(
        LogLineCount(
            "ZOQ: full screen 640 x 480 is not available on this display: a window of that size is used"),
        1);
}

TEST_F(AppTest, aSizeTheDeviceRefusesBecomesTheNearestModeOfTheDisplay)
{
    plat::gfx::null::Config& config = plat::gfx::null::GetConfig();
    config.hal.caps.maxTextureWidth = 512;
    config.hal.caps.maxTextureHeight = 512;
    config.modes = { { 640, 480, 60, plat::gfx::Format::X8R8G8B8 },
        { 320, 240, 60, plat::gfx::Format::X8R8G8B8 }, { 1024, 768, 60, plat::gfx::Format::X8R8G8B8 } };
    Start(false);
    EXPECT_EQ(GameSettings.ScreenWidth, 320);
    EXPECT_EQ(GameSettings.ScreenHeight, 240);
    EXPECT_EQ(LogLineCount("ZOQ: the graphics device refused 640 x 480: 320 x 240 is used"), 1);
}

TEST_F(AppTest, aFailedResetIsLoggedAndQuits)
{
    Start(false);
    plat::gfx::Surface* held = nullptr;
    ASSERT_EQ(g_Graphic.GetDevice()->CreateRenderTarget(
                  16, 16, plat::gfx::Format::X8R8G8B8, plat::gfx::MultiSample::None, false, &held),
        Result::Ok);
    std::unique_ptr<LaterEvents> restore;
    app.onFrame = [&](ScriptedApp& a) {
        if (a.FrameCount() == 1) {
            test::PushWindowEvent(*a.GetWindow(), SDL_WINDOWEVENT_MINIMIZED);
            restore = std::make_unique<LaterEvents>(
                *a.GetWindow(), std::vector<SDL_WindowEventID> { SDL_WINDOWEVENT_RESTORED }, 50);
        }
    };
    app.MainLoop();
    restore.reset();
    EXPECT_TRUE(app.IsQuitting());
    EXPECT_EQ(app.FrameCount(), 1u);
    EXPECT_EQ(LogLineCount("Application can`t restore to fullscreen mode"), 1);
    EXPECT_EQ(LogLineCount("ERROR="), 1);
    EXPECT_TRUE(app.restoredAt.empty());
    app.Shutdown();
    started = false;
    held->Release();
}

TEST_F(AppTest, anEndlessLossPumpsUntilClose)
{
    Start(false);
    std::unique_ptr<LaterEvents> close;
    app.onFrame = [&](ScriptedApp& a) {
        if (a.FrameCount() == 1) {
            test::PushWindowEvent(*a.GetWindow(), SDL_WINDOWEVENT_MINIMIZED);
            close = std::make_unique<LaterEvents>(
                *a.GetWindow(), std::vector<SDL_WindowEventID> { SDL_WINDOWEVENT_CLOSE }, 150);
        }
    };
    const int64_t start = plat::win::CounterNow();
    app.MainLoop();
    close.reset();
    EXPECT_GE(plat::win::CounterNow() - start, 150 * plat::win::kCounterFrequency / 1000);
    EXPECT_EQ(app.FrameCount(), 1u);
    EXPECT_EQ(app.invalidatedAt.size(), 1u);
    EXPECT_TRUE(app.restoredAt.empty());
    EXPECT_EQ(LogLineCount("can`t restore"), 0);
}

TEST_F(AppTest, checkDeviceWaitsForAProcessThenReloadsAndResets)
{
    Start(true);
    plat::win::Process child = plat::win::StartProcess("zoqappchild.exe sleep 200", "");
    ASSERT_TRUE(child.Valid());
    const int64_t start = plat::win::CounterNow();
    EXPECT_TRUE(app.CheckDevice(&child));
    EXPECT_GE(plat::win::CounterNow() - start, 150 * plat::win::kCounterFrequency / 1000);
    EXPECT_EQ(app.afterWaits, 1);
    EXPECT_EQ(app.invalidatedAt.size(), 1u);
    EXPECT_EQ(app.restoredAt.size(), 1u);
    EXPECT_FALSE(app.CheckDevice(nullptr)) << "a usable device without a process";
}

TEST_F(AppTest, endTitlesEndOnACloseRequest)
{
    Start(true);
    const std::string before = LogText();
    PostClose(app.GetWindow());
    app.ShowEndTitles(1);
    EXPECT_TRUE(app.IsQuitting());
    EXPECT_EQ(LogText(), before) << "the titles log nothing";
}

TEST_F(AppTest, aMissingOptionsProgramLogsOneLine)
{
    plat::win::Process options = app.StartOptionsProgram();
    EXPECT_FALSE(options.Valid());
    EXPECT_EQ(LogLineCount("Kelvane"), 1);
}

TEST_F(AppTest, reloadConfigReadsTheSettingsAgain)
{
    Start(true);
    apptest::WriteText(
        "Data/CONFIG/cfg.ini", "[CONFIG]\r\nWindowed=1\r\nMusicVolume=3\r\nScreenWidth=800\r\n");
    app.ReloadConfig();
    EXPECT_FLOAT_EQ(g_pMusicMng->GetVolume(), 0.25f);
    EXPECT_EQ(g_Graphic.ScreenWidth(), 800);
}

TEST_F(AppTest, nestedModalMenusReturnToTheirCallers)
{
    ScriptedMenu outer;
    ScriptedMenu inner;
    inner.run = [&] {
        EXPECT_EQ(app.modalMenu, &inner);
        EXPECT_EQ(app.previousModalMenu, &outer);
        return 40;
    };
    outer.run = [&] {
        EXPECT_EQ(app.modalMenu, &outer);
        const int result = app.RunModalMenu(&inner, true);
        EXPECT_EQ(app.modalMenu, &outer);
        EXPECT_EQ(app.previousModalMenu, nullptr);
        return result + 1;
    };
    EXPECT_EQ(app.RunModalMenu(&outer, true), 41);
    EXPECT_EQ(app.modalMenu, nullptr);
}

TEST_F(AppTest, cursorAndMessageLogFollowTheSystemCursorSetting)
{
    plat::window::ResetCursor();
    plat::window::ShowCursor(false);
    GameSettings.UseSystemCursor = true;
    app.ShowCursor(true);
    EXPECT_TRUE(plat::window::IsCursorVisible());
    EXPECT_TRUE(app.CursorShown());
    app.ShowCursor(true); // unchanged: nothing happens
    EXPECT_EQ(plat::window::CursorDisplayCount(), 0);
    app.ShowCursor(false);
    EXPECT_FALSE(plat::window::IsCursorVisible());

    CMessager messager;
    g_pMessager = &messager;
    app.ToggleMessageLog();
    EXPECT_TRUE(app.MessageLogExpanded());
    EXPECT_TRUE(messager.Expanded());
    EXPECT_TRUE(plat::window::IsCursorVisible());
    GameSettings.UseSystemCursor = false;
    app.ToggleMessageLog();
    EXPECT_FALSE(messager.Expanded());
    EXPECT_FALSE(plat::window::IsCursorVisible());
    plat::window::ResetCursor();
    g_pMessager = nullptr;
}

// The global objects Init makes, by name.
std::vector<std::pair<const char*, const void*>> InterfaceObjects()
{
    return {
        { "script manager", g_pScriptManager },
        { "message window", g_pMessager },
        { "event sink", AppEvents },
        { "screen layer", g_pRenderer },
        { "radar", g_pRadar },
        { "radar map", g_pRadarMap },
    };
}

TEST_F(AppTest, startUpAndShutDownRunEveryStepInOrderAndLeaveNoObjectBehind)
{
    std::string error;
    ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error)) << error;
    app.SetStepLog(&steps);
    started = true;
    app.Init("", 0, CZJApp::kTitle);
    const std::vector<std::string> startUp = {
        "window",
        "archives and database",
        "settings",
        "command line",
        "logo videos",
        "device",
        "black screen",
        "managers",
        "gamma fade",
        "wait screen",
        "manager tables",
        "gamma ramp",
        "scripts, messages, events",
        "screen layer and radar",
        "type tables",
        "frame timer",
        "input devices",
        "force feedback",
        "map buffers and effects",
        "key bindings",
        "network settings",
        "script texts",
        "interface textures",
        "message window",
        "start menu",
        "fog",
        "save picture surfaces",
        "cursor textures",
    };
    EXPECT_EQ(steps, startUp);
    for (const auto& [name, object] : InterfaceObjects())
        EXPECT_NE(object, nullptr) << name;
    EXPECT_EQ(g_pScriptHost, &AppScriptHost);
    EXPECT_NE(g_pModelManager->FindBuffer("MAP1"), -1) << "the map buffers";

    steps.clear();
    app.Shutdown();
    started = false;
    const std::vector<std::string> shutDown = {
        "black screen",
        "save picture surfaces",
        "radar, messages, world",
        "network client",
        "interface objects",
        "force feedback",
        "gamma thread wait",
        "managers",
        "gamma thread",
        "archives",
    };
    EXPECT_EQ(steps, shutDown);
    for (const auto& [name, object] : InterfaceObjects())
        EXPECT_EQ(object, nullptr) << name;
    EXPECT_EQ(LogLineCount("CASH Success"), 2 * CLocation::kMeshKinds) << "the map cache statistics";
}

TEST_F(AppTest, anExceptionInInitLeavesNoObjectBehind)
{
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* lastStep;
    };
    const Case cases[] = {
        { "a device that refuses every mode",
            [] {
                plat::gfx::null::Config& config = plat::gfx::null::GetConfig();
                config.hal.caps.maxTextureWidth = 512;
                config.hal.caps.maxTextureHeight = 512;
                config.modes = { { 640, 480, 60, plat::gfx::Format::X8R8G8B8 } };
            },
            "device" },
        { "type tables without the player's organisation",
            [this] {
                auto tables = apptest::DefaultTables();
                tables.back()
                    = { "orgs.txt", "@table Организации\n@field ICON int\n[ORG_OTHER]\nICON = 1\n" };
                std::string error;
                ASSERT_TRUE(apptest::WriteDatabase(m_dir / "Data" / "DB.dat", tables, error)) << error;
            },
            "type tables" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        plat::gfx::null::ResetConfig();
        std::string error;
        ASSERT_TRUE(apptest::WriteDataFolder(m_dir, apptest::DefaultCfg(true), error)) << error;
        c.arrange();
        ScriptedApp game;
        std::vector<std::string> gameSteps;
        game.SetStepLog(&gameSteps);
        EXPECT_ANY_THROW(game.Init("", 0, CZJApp::kTitle));
        ResetCallTrace();
        ASSERT_FALSE(gameSteps.empty());
        EXPECT_EQ(gameSteps.back(), c.lastStep);
        for (const auto& [name, object] : InterfaceObjects())
            EXPECT_EQ(object, nullptr) << name;
        game.Shutdown();
    }
}

TEST(EndTitlesClockTest, pressesJumpBetweenPartsAndLeaveOnlyAtTheEnd)
{
    struct {
        float t;
        float after;
        bool leave;
    } const cases[] = {
        { 0.5f, 2.0f, false },
        { 2.5f, 2.5f, false },
        { 10.0f, 20.0f, false },
        { 30.0f, 40.0f, false },
        { 50.0f, 60.0f, false },
        { 62.0f, 62.0f, false }, // between 60 and 65: ignored
        { 70.0f, 70.0f, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        SEndTitlesClock clock;
        clock.t = c.t;
        clock.Press();
        EXPECT_FLOAT_EQ(clock.t, c.after);
        EXPECT_EQ(clock.leaveRequested, c.leave);
    }
    SEndTitlesClock clock;
    clock.Advance(361.0f);
    EXPECT_TRUE(clock.Done());
}

TEST(EndTitlesClockTest, alphasAndScroll)
{
    SEndTitlesClock clock;
    EXPECT_FLOAT_EQ(clock.BackgroundAlpha(), 1.0f);
    clock.t = 2.5f;
    EXPECT_FLOAT_EQ(clock.BackgroundAlpha(), 0.75f);
    EXPECT_FLOAT_EQ(clock.PageAlpha(), 0.5f);
    clock.t = 100.0f;
    EXPECT_FLOAT_EQ(clock.BackgroundAlpha(), 0.5f);
    clock.t = 151.0f;
    EXPECT_FLOAT_EQ(clock.BackgroundAlpha(), 1.0f);
    clock.t = 41.5f;
    EXPECT_EQ(clock.Page(), 1);
    EXPECT_FLOAT_EQ(clock.PageAlpha(), 0.5f);
    EXPECT_EQ(SEndTitlesClock::PageRow(1, 1), 128);
    EXPECT_EQ(SEndTitlesClock::PageRow(1, 2), 512);
    clock.t = 63.0f;
    EXPECT_FLOAT_EQ(clock.Scroll(), 100.0f);
    clock.CheckTitles(480, 1000);
    EXPECT_FALSE(clock.titlesFinished);
    clock.t = 90.0f;
    clock.CheckTitles(480, 1000);
    EXPECT_TRUE(clock.titlesFinished);
    EXPECT_FALSE(clock.ShowsTitles());
}

} // namespace

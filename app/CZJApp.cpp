#include "app/CZJApp.h"

#include "app/CInput.h"
#include "app/CInputConfig.h"
#include "app/CResourceEngine.h"
#include "app/CZJAppEventSink.h"
#include "app/CZJAppMenuHost.h"
#include "app/CZJAppScriptHost.h"
#include "app/GameData.h"
#include "app/GameSettings.h"
#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/PakManager.h"
#include "foundation/ResourceDBManager.h"
#include "net/CZJDPClient.h"
#include "platform/gfx/picture.h"
#include "platform/video/gfx_presenter.h"
#include "platform/win/instance.h"
#include "platform/window/cursor.h"
#include "platform/window/display.h"
#include "render/CSurfaceManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"
#include "script/CZJScriptManager.h"
#include "ui/CBaseMenu.h"
#include "ui/CMessager.h"
#include "ui/CRadar.h"
#include "ui/CRadarMap.h"
#include "ui/CRenderer.h"
#include "ui/ScannerTexture.h"
#include "world/db/CZJEngine.h"
#include "world/objects/CObjectList.h"
#include "world/objects/CZJAppEvent.h"
#include "world/terrain/CEffectRenderManager.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLocation.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <new>
#include <string>

using plat::gfx::Format;
using plat::gfx::MultiSample;

CZJApp* g_pZJApp = nullptr;

namespace {

// A fault the player can mend is its own line; anything else leaves the call trace.
void ReportStartupFailure(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const XStartupFault& fault) {
        ResetCallTrace();
        WriteErrorLog(fault.line);
    } catch (...) {
        FlushCallTrace();
    }
}

template <typename T> void ReleaseSurface(T*& surface)
{
    if (surface) {
        surface->Release();
        surface = nullptr;
    }
}

} // namespace

CZJApp::CZJApp()
{
    std::snprintf(startLocationFile, sizeof startLocationFile, "%s", "location1.zjp");
}

CZJApp::~CZJApp()
{
    ReleasePictureOutput();
    ReleaseSurface(shotSurface);
    ReleaseSurface(shotTarget);
    ReleaseSurface(shotDepth);
    if (g_pZJApp == this) {
        g_pZJApp = nullptr;
        g_pScriptHost = nullptr;
    }
    if (AppMenuHost.App() == this)
        AppMenuHost.Attach(nullptr);
}

void CZJApp::Step(const char* name)
{
    if (m_stepLog)
        m_stepLog->push_back(name);
}

void CZJApp::ClearAndPresent()
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    g_Graphic.Clear(plat::gfx::clear::kTarget, 0xFF000000u);
    device->Present();
    CRenderer::ResetFrameCounters();
}

void CZJApp::Init(const char* commandLine, uint32_t spare, const char* title)
{
    ZJ_TRACE("CZJApp::Init");
    try {
        InitSteps(commandLine, spare, title);
    } catch (...) {
        DeleteInterfaceObjects();
        throw;
    }
}

void CZJApp::InitSteps(const char* commandLine, uint32_t spare, const char* title)
{
    Step("window");
    Create(commandLine, spare, title);
    Step("archives and database");
    g_PakManager.Init("Data");
    g_ResourceDBManager.Init("Data\\DB.dat", 1);
    g_pScriptHost = &AppScriptHost;
    AppMenuHost.Attach(this);
    Step("settings");
    SetDefaultSettings();
    if (!ConfigIniExists())
        WriteErrorLog("ZOQ: Data/CONFIG/cfg.ini not found: default settings are used");

    Step("command line");
    std::snprintf(startLocationFile, sizeof startLocationFile, "%s", "location1.zjp");
    freeCamera = 0;
    ParseCommandLine(commandLine);

    if (m_window)
        m_window->SetStyle(m_window->GetStyle() | plat::window::Style::Borderless);
    // Videos show their pictures on the device once there is one, before it on the window.
    if (m_window) {
        plat::video::SetDefaultPresenter(
            plat::video::GfxPresenter(m_deviceWindow, [] { return g_Graphic.GetDevice(); }));
        m_pictureOutput = true;
    }
    // A close or a termination signal ends start-up between its steps.
    Step("logo videos");
    if (GameSettings.Video && !StartupQuit())
        PlayLogoVideos(true);
    if (StartupQuit())
        return;

    Step("device");
    SDisplayParams params;
    GetDisplayParams(params);
    if (!InitGraphic(params))
        throw std::exception();
    if (!GameSettings.Windowed && m_window)
        m_window->SetStyle(
            plat::window::Style::Borderless | plat::window::Style::Topmost | plat::window::Style::FullScreen);
    Step("black screen");
    ClearAndPresent();
    if (StartupQuit())
        return;

    Step("managers");
    ResourceEngine.CreateManagers();
    Step("gamma fade");
    // MTGamma 1 asks for Windows 5 or later, which this system counts as.
    if (GameSettings.MTGamma == 0)
        g_Graphic.MutableCaps().gammaFade = false;
    Step("wait screen");
    ShowWaitScreen();
    if (StartupQuit())
        return;
    Step("manager tables");
    ResourceEngine.GlobalInit(false);
    if (StartupQuit())
        return;
    Step("gamma ramp");
    BuildBaseGamma(GameSettings.Gamma);
    Step("scripts, messages, events");
    m_interfaceObjects = true;
    g_pScriptManager = new CZJScriptManager();
    g_pMessager = new CMessager();
    AppEvents = new CZJAppEventSink();
    Step("screen layer and radar");
    g_pRenderer = new CRenderer();
    g_pRadar = new CRadar();
    g_pRadarMap = new CRadarMap();
    Step("type tables");
    ZJEngine.ZJInit();
    if (StartupQuit())
        return;

    Step("frame timer");
    FrameTimer.Restart();
    realFrameTime = FrameTime;
    Step("input devices");
    g_Input.Init(m_window.get(), GameSettings.Windowed, GameSettings.ForceFeedback);
    Step("force feedback");
    g_InputConfig.LoadEffects();
    Step("map buffers and effects");
    Location.Init();
    EffectRenderManager.Init(1);
    Step("key bindings");
    g_InputConfig.LoadBindings("cfg.ini");
    Step("network settings");
    NetClient.LoadConfig("cfg.ini");
    Step("script texts");
    g_pScriptManager->Init();
    Step("interface textures");
    g_pRenderer->LoadTextures();
    g_pRadar->LoadTextures();
    Step("message window");
    g_pMessager->Init();

    Step("start menu");
    state = kStartMenu;
    startPosition = MakeNameKey32("B_L1_CEH");
    Step("fog");
    if (GameSettings.ForceLinearFog)
        g_Graphic.MutableCaps().fogTable = false;

    Step("save picture surfaces");
    if (plat::gfx::Device* device = g_Graphic.GetDevice()) {
        if (plat::gfx::Failed(
                device->CreateImageSurface(kShotSize, kShotSize, Format::X8R8G8B8, &shotSurface)))
            shotSurface = nullptr;
    }
    CreateShotTarget();
    Step("cursor textures");
    LoadCursorTextures();
}

void CZJApp::ReleasePictureOutput()
{
    if (!m_pictureOutput)
        return;
    plat::video::SetDefaultPresenter({});
    plat::gfx::ReleasePictureOutput();
    m_pictureOutput = false;
}

void CZJApp::CreateShotTarget()
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    if (plat::gfx::Failed(device->CreateRenderTarget(
            kShotSize, kShotSize, Format::X8R8G8B8, MultiSample::None, true, &shotTarget)))
        shotTarget = nullptr;
    if (plat::gfx::Failed(device->CreateDepthStencilSurface(
            kShotSize, kShotSize, g_Graphic.DepthFormat(), MultiSample::None, &shotDepth)))
        shotDepth = nullptr;
}

void CZJApp::LoadCursorTextures()
{
    SetCursorTextures("TEX_INT_CURSOR", "TEX_INT_CURSOR_BLUE");
}

void CZJApp::SetCursorTextures(const char* normal, const char* blue)
{
    if (!g_pTextureManager)
        return;
    m_cursorTexture = g_pTextureManager->GetTexture(g_pTextureManager->FindTexture(normal));
    m_cursorHighlight = g_pTextureManager->GetTexture(g_pTextureManager->FindTexture(blue));
}

void CZJApp::ShowWaitScreen()
{
    ZJ_TRACE("CZJApp::ShowWaitScreen");
    ScreenFadeIn();
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    g_Graphic.Clear(plat::gfx::clear::kTarget, 0xFF000000u);
    device->BeginScene();
    DrawScreenPicture("SUF_WAITFOR");
    device->EndScene();
    device->Present();
    CRenderer::ResetFrameCounters();
}

void CZJApp::DrawScreenPicture(const char* name)
{
    if (!g_pSurfaceManager || !g_TexShaderManager)
        return;
    const int index = g_pSurfaceManager->FindSurface(name);
    if (index < 0)
        return;
    g_TexShaderManager->SetFactorColor(0xFFFFFFFFu);
    g_pSurfaceManager->CopyToTexture(
        index, kPictureSlot, 0, 0, g_Graphic.ScreenWidth(), g_Graphic.ScreenHeight(), nullptr);
}

void CZJApp::ReloadConfig()
{
    ZJ_TRACE("CZJApp::ReloadConfig");
    if (g_pTextureManager)
        g_pTextureManager->ReleaseTextures();
    g_InputConfig.LoadBindings("cfg.ini");
    NetClient.LoadConfig("cfg.ini");
    SetDefaultSettings();
    ZJEngine.LoadConfig();
    g_Graphic.SetScreenSize(GameSettings.ScreenWidth, GameSettings.ScreenHeight);
    if (g_pMusicMng)
        g_pMusicMng->SetVolume(MusicVolumeOf(GameSettings.MusicVolume));
    if (GameSettings.ForceLinearFog)
        g_Graphic.MutableCaps().fogTable = false;
}

void CZJApp::Shutdown()
{
    ZJ_TRACE("CZJApp::Shutdown");
    Step("black screen");
    for (int i = 0; i < 2; ++i)
        ClearAndPresent();
    Step("save picture surfaces");
    ReleaseSurface(shotSurface);
    ReleaseSurface(shotTarget);
    ReleaseSurface(shotDepth);
    Step("radar, messages, world");
    if (g_pRadar)
        g_pRadar->Done();
    if (g_pMessager)
        g_pMessager->Done();
    Location.ReportCacheStats();
    ObjectList.Clear();
    Step("network client");
    NetClient.ProcessMessages();
    NetClient.Close();
    Step("interface objects");
    DeleteInterfaceObjects();
    Step("force feedback");
    g_InputConfig.FreeEffects();
    ReleasePictureOutput();
    EffectRenderManager.FreeBuffers();
    // The gamma thread ticks the music manager and sets the device's ramp: it stops first.
    Step("gamma thread wait");
    JoinSecondaryThread();
    Step("managers");
    ResourceEngine.DestroyManagers();
    Step("gamma thread");
    StopSecondaryThread();
    Step("archives");
    g_PakManager.Close();
}

void CZJApp::DeleteInterfaceObjects()
{
    if (!m_interfaceObjects)
        return;
    m_interfaceObjects = false;
    if (g_pRenderer)
        g_pRenderer->Done();
    delete AppEvents;
    AppEvents = nullptr;
    delete g_pRadar;
    g_pRadar = nullptr;
    delete g_pRadarMap;
    g_pRadarMap = nullptr;
    if (g_pRenderer) {
        g_pRenderer->ReleaseBuffers();
        delete g_pRenderer;
        g_pRenderer = nullptr;
    }
    delete g_pMessager;
    g_pMessager = nullptr;
    delete g_pScriptManager;
    g_pScriptManager = nullptr;
}

void CZJApp::InvalidateResources()
{
    ZJ_TRACE("CZJApp::InvalidateResources");
    Step("device objects");
    CApplication::InvalidateDeviceObjects();
    Step("effects, terrain, radar");
    EffectRenderManager.InvalidateResources();
    Location.InvalidateResources();
    if (g_pRadar)
        g_pRadar->InvalidateResources();
    ReleaseScannerTextures();
    Step("menus");
    if (modalMenu)
        modalMenu->ReleaseResources(true);
    if (previousModalMenu)
        previousModalMenu->ReleaseResources(true);
    Step("music and sounds");
    if (g_pMusicMng)
        g_pMusicMng->StopMusic(false);
    if (g_pSoundManager)
        g_pSoundManager->StopAll(0);
    Step("shot target");
    ReleaseSurface(shotTarget);
    ReleaseSurface(shotDepth);
    Step("world objects");
    ObjectList.ReleaseDeviceObjects();
}

void CZJApp::ResetResources()
{
    ZJ_TRACE("CZJApp::ResetResources");
    Step("cursor clip");
    if (m_window)
        m_window->SetConfined(true);
    Step("device objects");
    CApplication::RestoreDeviceObjects();
    Step("shot target");
    CreateShotTarget();
    Step("effects, terrain, radar");
    EffectRenderManager.ResetResources();
    Location.RestoreResources();
    if (g_pRadar)
        g_pRadar->CreateTextures();
    if (g_pRenderer)
        g_pRenderer->LoadTextures();
    Step("menus");
    if (modalMenu)
        modalMenu->PreProcess();
    if (previousModalMenu)
        previousModalMenu->PreProcess();
    Step("cursor textures");
    LoadCursorTextures();
    Step("fade in");
    FrameTimer.SkipPause();
    Environment.SetFog(0, 1.0f, 0);
    ScreenFadeIn();
}

bool StartApplication()
{
    std::srand(unsigned(std::time(nullptr)));
    g_pZJApp = new (std::nothrow) CZJApp();
    return g_pZJApp != nullptr;
}

int GameMain(const char* commandLine)
{
    if (!plat::window::DisplayPresent()) {
        std::fputs("ZOQ: no display (neither DISPLAY nor WAYLAND_DISPLAY is set): start ZOQ on a desktop, "
                   "or name a video driver in SDL_VIDEODRIVER\n",
            stderr);
        return 2;
    }
    if (const std::string line = MissingGameDataLine(); !line.empty()) {
        std::fprintf(stderr, "%s\n", line.c_str());
        return 2;
    }
    plat::win::SingleInstance instance;
    if (!instance.Acquire("ZOQWC0")) {
        std::fputs("ZOQ: already running; the running game was asked to come to the front\n", stderr);
        return 1;
    }
    if (const std::string fault = FindGameDataFault(); !fault.empty()) {
        WriteErrorLog(fault);
        return 2;
    }
    plat::window::SetRaiseRequestSource(instance);
    plat::window::ShowCursor(false);
    if (!StartApplication())
        return 1;
    int code = 0;
    try {
        g_pZJApp->Init(commandLine, 0, CZJApp::kTitle);
        g_pZJApp->ScreenSetDark();
        if (!g_pZJApp->IsQuitting())
            g_pZJApp->MainLoop();
        g_pZJApp->Shutdown();
        if (plat::window::Window* window = g_pZJApp->GetWindow())
            window->Show();
        delete g_pZJApp;
        g_pZJApp = nullptr;
    } catch (...) {
        ReportStartupFailure(std::current_exception());
        code = 2;
        // Nothing may run on the gamma thread while the process ends, and no object Init made
        // outlives it.
        try {
            if (g_pZJApp) {
                g_pZJApp->JoinSecondaryThread();
                g_pZJApp->DeleteInterfaceObjects();
            }
            g_Graphic.Release();
        } catch (...) {
        }
    }
    g_InputConfig.FreeEffects();
    g_Input.Release();
    ResourceEngine.DestroyManagers();
    if (code != 0) {
        try {
            delete g_pZJApp;
        } catch (...) {
        }
        g_pZJApp = nullptr;
    }
    plat::window::SetRaiseRequestSource(std::function<bool()>());
    plat::window::ShowCursor(true);
    return code;
}

#include "app/CApplication.h"

#include "app/CInput.h"
#include "app/CResourceEngine.h"
#include "app/GameSettings.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/gfx/d3dx/d3dx.h"
#include "platform/gfx/d3dx/image.h"
#include "platform/win/clock.h"
#include "platform/win/process.h"
#include "platform/window/display.h"
#include "platform/window/message.h"
#include "render/CModelManager.h"
#include "render/CSurfaceManager.h"
#include "render/TexShaderManager.h"
#include "render/TextureManager.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using plat::gfx::Result;
using plat::window::Message;
using plat::window::MessageKind;

std::atomic<uint32_t> g_FadeMode { kFadeIdle };
std::atomic<float> g_FadeLevel { 0.0f };
std::atomic<bool> g_FadeStopRequest { false };
std::atomic<bool> CApplication::s_quitRequested { false };
CApplication* g_pApp = nullptr;

namespace {

constexpr const char* kClassName = "ZOQWC0";
// Fade levels move in whole steps of 0.02; comparisons allow half a step so that the f32 sums
// land where the steps would.
constexpr float kHalfStep = CApplication::kFadeStep * 0.5f;
constexpr int kCursorSlot = 11;
constexpr int kHighlightSlot = 19;

int64_t MainWndProc(plat::window::Window& window, const Message& message)
{
    if (message.kind == MessageKind::Destroy) {
        plat::window::PostQuitMessage(0);
        return 0;
    }
    return plat::window::DefaultWindowProc(window, message);
}

// The program's icon, the class record's "IDI_ZOQ": a picture in the game folder. Without it the
// window keeps the desktop's default icon.
constexpr const char* kIconFile = "Data\\zoq.png";

void SetProgramIcon(plat::window::Window& window)
{
    namespace d3dx = plat::gfx::d3dx;
    std::vector<uint8_t> file;
    d3dx::Image image;
    if (plat::gfx::Failed(d3dx::ReadFileBytes(kIconFile, file))
        || plat::gfx::Failed(d3dx::ReadImage(file, image)) || image.levels.empty())
        return;
    const plat::gfx::Format format = image.info.format;
    if (format != plat::gfx::Format::A8R8G8B8 && format != plat::gfx::Format::X8R8G8B8)
        return;
    std::vector<uint32_t> argb(size_t(image.info.width) * image.info.height);
    if (image.levels[0].size() < argb.size() * 4)
        return;
    std::memcpy(argb.data(), image.levels[0].data(), argb.size() * 4);
    if (format == plat::gfx::Format::X8R8G8B8) {
        for (uint32_t& pixel : argb)
            pixel |= 0xFF000000u;
    }
    window.SetIcon(argb.data(), int(image.info.width), int(image.info.height));
}

bool RampSupported()
{
    return g_Graphic.GetDevice() && g_Graphic.Caps().fullscreenGamma;
}

bool FadeOnThread()
{
    return g_Graphic.Caps().gammaFade;
}

} // namespace

plat::gfx::WindowSize CAppDeviceWindow::ClientSize() const
{
    if (!m_window)
        return {};
    plat::window::Size size = m_window->ClientSize();
    return { uint32_t(std::max(size.width, 0)), uint32_t(std::max(size.height, 0)) };
}

Result DeviceCooperativeLevel()
{
    plat::gfx::Device* device = g_Graphic.GetDevice();
    return device ? device->TestCooperativeLevel() : Result::Ok;
}

CApplication::CApplication() = default;

CApplication::~CApplication()
{
    JoinSecondaryThread();
    if (g_pApp == this)
        g_pApp = nullptr;
}

void CApplication::Init(const char* commandLine, uint32_t spare, const char* title)
{
    Create(commandLine, spare, title);
}

void CApplication::Shutdown()
{
    StopSecondaryThread();
}

void CApplication::Create(const char*, uint32_t spare, const char* title)
{
    ZJ_TRACE("CApplication::Create");
    g_pApp = this;
    std::snprintf(m_className, sizeof m_className, "%s", kClassName);
    m_spare = spare;
    RegisterWindowClass();
    if (!CreateMainWindow(title))
        return;
    m_quit = 0;
    m_closeRequested = false;
    m_messageLogExpanded = 0;
    m_cursorShown = 0;
    m_textInput = 0;
    // The lock exists before the thread starts (it is a member); the thread is started last.
    StartSecondaryThread();
}

bool CApplication::StartSecondaryThread()
{
    g_FadeStopRequest = false;
    g_FadeMode = kFadeIdle;
    g_FadeLevel = 0.0f;
    if (!m_secondaryThread.Start([this] { SecondaryThreadProc(); })) {
        WriteErrorLog("CApplication: the gamma-fade thread did not start");
        return false;
    }
    m_secondaryThread.SetPriority(plat::win::ThreadPriority::Highest);
    return true;
}

bool CApplication::RegisterWindowClass()
{
    // Window classes are a name here: the window carries it.
    return m_className[0] != 0;
}

bool CApplication::CreateMainWindow(const char* title)
{
    plat::window::WindowDesc desc;
    desc.className = m_className;
    desc.title = title ? title : "";
    desc.style = plat::window::Style::Maximised;
    desc.procedure = MainWndProc;
    m_window = plat::window::Window::Create(desc);
    if (!m_window)
        return false;
    m_deviceWindow.Attach(m_window.get());
    SetProgramIcon(*m_window);
    m_window->Show();
    m_framePacer.SetRate(plat::window::DesktopMode().refresh);
    return true;
}

uint32_t CApplication::MainLoop()
{
    ZJ_TRACE("CApplication::MainLoop");
    while (!m_quit) {
        if (DeviceCooperativeLevel() == Result::Ok) {
            ProcessFrame();
            ProcessMessages();
            PaceFrame();
        } else {
            RestoreFullscreen(nullptr);
        }
    }
    return m_quit;
}

void CApplication::SetTextInput(bool on)
{
    m_textInput = on ? 1 : 0;
    if (m_window)
        m_window->SetTextInput(on);
}

bool CApplication::StartupQuit()
{
    if (s_quitRequested.exchange(false))
        Close();
    Message message;
    while (!m_quit && plat::window::PeekMessage(message, true)) {
        switch (message.kind) {
        case MessageKind::Close:
        case MessageKind::Quit:
            Close();
            break;
        case MessageKind::SysCommand:
            if (message.wParam == uint32_t(plat::window::SysCommand::Close))
                Close();
            else
                plat::window::DispatchMessage(message);
            break;
        case MessageKind::KeyDown:
        case MessageKind::KeyUp:
        case MessageKind::SysKeyDown:
        case MessageKind::SysKeyUp:
        case MessageKind::Char:
            break;
        default:
            plat::window::DispatchMessage(message);
            break;
        }
    }
    return m_quit != 0;
}

std::function<void()> CApplication::PumpHook;

void CApplication::ProcessMessages()
{
    ZJ_TRACE("CApplication::ProcessMessages");
    if (PumpHook)
        PumpHook();
    if (s_quitRequested.exchange(false))
        plat::window::PostQuitMessage(0);
    if (m_window) {
        m_cursorScreen = m_window->CursorScreenPos();
        m_cursorClient = m_window->CursorClientPos();
    }
    int dispatched = 0;
    Message message;
    while (dispatched < kMessagesPerPass && plat::window::PeekMessage(message, true)) {
        switch (message.kind) {
        case MessageKind::KeyDown:
        case MessageKind::KeyUp:
        case MessageKind::SysKeyDown:
        case MessageKind::SysKeyUp:
            if (!m_textInput)
                return;
            break;
        case MessageKind::Char:
            m_lastChar = uint8_t(message.wParam & 0xFF);
            return;
        case MessageKind::SysCommand:
            if (message.wParam == uint32_t(plat::window::SysCommand::Close)) {
                Close();
                return;
            }
            break;
        case MessageKind::Activate:
            if (message.wParam != 0)
                g_Input.Acquire();
            break;
        case MessageKind::ActivateApp:
            if (message.wParam == 1)
                g_Input.Acquire();
            break;
        case MessageKind::Close:
        case MessageKind::Quit:
            Close();
            break;
        default:
            break;
        }
        plat::window::TranslateMessage(message);
        plat::window::DispatchMessage(message);
        ++dispatched;
    }
}

bool CApplication::CheckDevice(const plat::win::Process* process)
{
    ZJ_TRACE("CApplication::CheckDevice");
    if (!process && DeviceCooperativeLevel() == Result::Ok)
        return false;
    RestoreFullscreen(process);
    return true;
}

void CApplication::RestoreFullscreen(const plat::win::Process* process)
{
    ZJ_TRACE("CApplication::RestoreFullscreen");
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    Result level = device->TestCooperativeLevel();
    if (!process && level == Result::Ok)
        return;
    InvalidateDeviceObjects();
    if (process) {
        // Waited for in steps, pumping, so that a close request ends the wait.
        while (!m_quit && !process->Wait(50))
            ProcessMessages();
        if (m_window) {
            m_window->Restore();
            m_window->Show();
        }
        AfterWait();
        level = device->TestCooperativeLevel();
    }
    if (level != Result::DeviceNotReset && !(process && level == Result::Ok)) {
        while (!m_quit) {
            level = device->TestCooperativeLevel();
            if (level == Result::DeviceNotReset)
                break;
            ProcessMessages();
            plat::win::Sleep(5);
        }
    }
    // A close request during the wait leaves the device to the shut-down.
    if (m_quit && level != Result::DeviceNotReset && level != Result::Ok)
        return;
    plat::win::Sleep(10);
    Result reset = device->Reset(g_Graphic.PresentParams());
    if (reset == Result::Ok) {
        RestoreDeviceObjects();
        return;
    }
    WriteErrorLog("Application can`t restore to fullscreen mode");
    char line[32];
    std::snprintf(line, sizeof line, "ERROR=%x", unsigned(reset));
    WriteErrorLog(line);
    Close();
}

void CApplication::JoinSecondaryThread()
{
    g_FadeMode = kFadeIdle;
    g_FadeStopRequest = true;
    if (!m_secondaryThread.Wait(plat::win::kWaitForever))
        WriteErrorLog("Error while stop secondary threading..");
    m_secondaryThread.Join();
}

void CApplication::StopSecondaryThread()
{
    ZJ_TRACE("CApplication::StopSecondaryThread");
    JoinSecondaryThread();
    g_Graphic.Release();
}

void CApplication::InvalidateDeviceObjects()
{
    ZJ_TRACE("CApplication::InvalidateDeviceObjects");
    if (g_pTextureManager)
        g_pTextureManager->ReleaseCacheTextures();
    if (g_pSurfaceManager)
        g_pSurfaceManager->ForgetCachedTile();
    if (g_pModelManager)
        g_pModelManager->ReleaseBuffers();
    g_Graphic.ReleaseTargetSurfaces();
    if (g_TexShaderManager)
        g_TexShaderManager->Purge();
}

void CApplication::RestoreDeviceObjects()
{
    ZJ_TRACE("CApplication::RestoreDeviceObjects");
    g_Input.Acquire();
    if (g_TexShaderManager)
        g_TexShaderManager->Init(false);
    if (g_pTextureManager)
        g_pTextureManager->CreateCacheTextures();
    if (g_pModelManager)
        g_pModelManager->RecreateBuffers(false);
    g_Graphic.AcquireTargetSurfaces();
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (!device)
        return;
    g_Graphic.RestoreProjection();
    device->SetViewport(g_Graphic.StoredViewport());
    if (g_TexShaderManager)
        g_TexShaderManager->SetDefaultStages();
    g_Graphic.SetTextureFilters();
}

void CApplication::SetRamp(const plat::gfx::GammaRamp& ramp)
{
    if (RampSupported())
        g_Graphic.GetDevice()->SetGammaRamp(0, ramp);
}

void CApplication::BuildBaseGamma(int32_t level)
{
    plat::win::CriticalSectionLock lock(m_lock);
    Graphic::BuildGammaRamp(g_Graphic.BaseRamp(), level);
}

void CApplication::ScreenFadeOut()
{
    if (FadeOnThread()) {
        if (g_FadeMode != kFadeOut)
            g_FadeMode = kFadeOut;
        return;
    }
    plat::gfx::GammaRamp ramp;
    Graphic::ScaleGammaRamp(ramp, g_Graphic.BaseRamp(), 0.0f);
    SetRamp(ramp);
}

void CApplication::ScreenFadeIn()
{
    if (FadeOnThread()) {
        g_FadeMode = kFadeIn;
        return;
    }
    SetRamp(g_Graphic.BaseRamp());
}

void CApplication::ScreenRestoreGamma()
{
    if (FadeOnThread()) {
        if (g_FadeMode != kFadeIn) {
            g_FadeLevel = 0.0f;
            g_FadeMode = kFadeIn;
        }
        return;
    }
    SetRamp(g_Graphic.BaseRamp());
}

void CApplication::ScreenResetGamma()
{
    g_FadeMode = kFadeIdle;
    SetRamp(g_Graphic.BaseRamp());
}

void CApplication::ScreenSetDark()
{
    plat::gfx::GammaRamp ramp;
    Graphic::ScaleGammaRamp(ramp, g_Graphic.BaseRamp(), 0.0f);
    SetRamp(ramp);
    g_FadeLevel = kFadeMax;
}

void CApplication::ScreenSetWhite()
{
    plat::gfx::GammaRamp ramp;
    Graphic::BrightenGammaRamp(ramp, g_Graphic.BaseRamp(), 1.0f);
    SetRamp(ramp);
    g_FadeLevel = kFadeMax;
}

void CApplication::GammaFadeStep()
{
    uint32_t mode = g_FadeMode;
    float factor = 1.0f;
    if (mode == kFadeOut) {
        float level = g_FadeLevel;
        level = level > kFadeMax - kFadeStep + kHalfStep ? kFadeMax : level + kFadeStep;
        g_FadeLevel = level;
        if (level >= kFadeMax - kHalfStep)
            g_FadeMode.compare_exchange_strong(mode, kFadeIdle);
        factor = std::max(0.0f, (kFadeMax - level) * 2.0f);
    } else if (mode == kFadeIn) {
        float level = std::max(0.0f, g_FadeLevel - kFadeStep);
        if (level < kHalfStep)
            level = 0.0f;
        g_FadeLevel = level;
        if (level < kFadeStep - kHalfStep)
            g_FadeMode.compare_exchange_strong(mode, kFadeIdle);
        factor = std::min(1.0f, (kFadeMax - level) * 2.0f);
    } else {
        return;
    }
    plat::win::CriticalSectionLock lock(m_lock);
    plat::gfx::GammaRamp ramp;
    Graphic::ScaleGammaRamp(ramp, g_Graphic.BaseRamp(), factor);
    SetRamp(ramp);
}

void CApplication::SecondaryThreadProc()
{
    while (!g_FadeStopRequest) {
        GammaFadeStep();
        plat::win::Sleep(kFadePeriodMs);
        CResourceEngine::TickMusicFade(kFadePeriodMs * 0.001f);
    }
}

void CApplication::RenderCursor()
{
    if (GameSettings.UseSystemCursor)
        return;
    m_cursorRect
        = { m_cursorClient.x - 2, m_cursorClient.y - 2, m_cursorClient.x + 30, m_cursorClient.y + 30 };
    if (!g_pModelManager || !g_TexShaderManager || g_pModelManager->ScreenSlot() < 0)
        return;
    const auto& r = m_cursorRect;
    CVertexData& quad = g_pModelManager->DrawScreenQuad(
        float(r.left), float(r.top), float(r.right), float(r.bottom), nullptr, false);
    Mesh* mesh = g_pModelManager->GetRenderSingleBufMesh(g_pModelManager->ScreenSlot(), quad);
    if (!mesh)
        return;
    g_TexShaderManager->Apply(kCursorSlot, mesh, m_cursorTexture);
    if (m_cursorHighlight) {
        m_cursorAlpha = float(0.66 + 0.33 * std::sin(8.0 * ResourceEngine.Clock()));
        g_TexShaderManager->SetFactorAlpha(m_cursorAlpha);
        g_TexShaderManager->Apply(kHighlightSlot, mesh, m_cursorHighlight);
    }
}

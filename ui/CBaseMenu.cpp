#include "ui/CBaseMenu.h"

#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "foundation/Rect.h"
#include "net/CZJDPClient.h"
#include "platform/gfx/device.h"
#include "platform/gfx/resource.h"
#include "render/CFont.h"
#include "render/CTexture.h"
#include "render/Graphic.h"
#include "render/TexShaderManager.h"
#include "ui/CMenuHost.h"
#include "ui/MenuDraw.h"
#include "world/db/ResourceIds.h"
#include "world/terrain/CEnvironment.h"
#include "world/terrain/CLightWare.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kDiscardBeforeRun = 0x280000;
constexpr uint32_t kDiscardAfterRun = 0x800000;
constexpr int kToolTipSlot = 11;
constexpr uint32_t kToolTipShadow = 0xFF000000;
constexpr uint32_t kToolTipText = 0xFFFFFF80;
constexpr int kNetworkState = 3;
constexpr uint8_t kPressed = 0x80;
constexpr uint8_t kReleased = 0x40;

template <class T> void ReleaseResource(T*& resource)
{
    if (resource)
        resource->Release();
    resource = nullptr;
}

void DiscardManaged(uint32_t bytes)
{
    if (plat::gfx::Device* device = g_Graphic.GetDevice())
        device->ResourceManagerDiscardBytes(bytes);
}

} // namespace

CBaseMenu::CBaseMenu() = default;

CBaseMenu::~CBaseMenu()
{
    ClearControls();
}

uint32_t CBaseMenu::DoModal(bool loop)
{
    ZJ_TRACE("CBaseMenu::DoModal");
    CMenuHost& host = MenuHost();
    if (g_pSoundManager)
        g_pSoundManager->StopAll(0);
    running = 1;
    for (;;) {
        double menuTime = 0.0;
        {
            ZJ_TRACE("Init");
            rebuildRequested = 0;
            PreProcess();
            endRequested = 0;
            result = 0;
            LightWare.ClearLights();
            Init();
            Render();
            FrameTimer.Restart();
        }
        {
            ZJ_TRACE("Cycle");
            bool faded = false;
            // A quit request (window closed, termination signal) ends the menu with result 0.
            while (!endRequested) {
                if (host.QuitRequested()) {
                    result = 0;
                    rebuildRequested = 0;
                    break;
                }
                if (host.CheckDevice(nullptr))
                    continue;
                Render();
                ProcessMessages();
                RunControl();
                if (!faded) {
                    faded = true;
                    host.ScreenFadeIn();
                }
                if (host.State() == kNetworkState) {
                    if (std::floor(menuTime + FrameTime) != std::floor(menuTime)) {
                        NetClient.SendHello();
                        NetClient.GetData();
                    }
                }
                menuTime += FrameTime;
                if (g_pSoundManager) {
                    g_pSoundManager->ApplySettings();
                    const int32_t volume = host.SoundVolume();
                    if (volume >= 0 && uint32_t(volume) != g_pSoundManager->GetVolume())
                        g_pSoundManager->SetVolume(uint32_t(volume));
                }
                if (!loop)
                    break;
            }
        }
        {
            ZJ_TRACE("Done");
            ReleaseResources(true);
            if (!rebuildRequested)
                break;
            ClearControls();
            if (!loop)
                break;
        }
    }
    running = 0;
    return result;
}

void CBaseMenu::Render()
{
    ZJ_TRACE("CBaseMenu::Render");
    CMenuHost& host = MenuHost();
    host.TickModels(FrameTime);
    const double s = std::sin(host.RunningTime() * 8.0) * 0.2 + 0.8;
    highlightColour = 0x500000u | uint32_t(int32_t(128.0 * s)) << 8 | uint32_t(int32_t(255.0 * s));
    plat::gfx::Device* device = g_Graphic.GetDevice();
    // The background covers the screen: no clear.
    if (device)
        device->BeginScene();
    Environment.SetFog(false, 1.0f, 0.0f);
    {
        ZJ_TRACE("RenderBackGround");
        RenderBackGround();
    }
    Environment.SetFog(false, 1.0f, 0.0f);
    {
        ZJ_TRACE("RenderControls");
        RenderControl();
    }
    if (toolTipControl)
        RenderToolTip();
    host.RenderCursor();
    if (device)
        device->EndScene();
    host.ResetFrameCounters();
    if (device)
        device->Present();
    host.PaceFrame();
    host.ClearMouseMotion();
    FrameTimer.Update();
    host.SetFrameTime(FrameTime);
}

void CBaseMenu::RenderToolTip()
{
    if (!toolTipControl || !g_pFont)
        return;
    const char* text = toolTipControl->caption.Text();
    const plat::window::Point mouse = MenuHost().MousePosition();
    const int32_t w = g_pFont->GetTextWidth(text) + 4;
    const int32_t h = g_pFont->GetLineHeight() + 4;
    const int32_t right = std::min(mouse.x + w - 2, g_Graphic.ScreenWidth());
    const int32_t left = right - w - 2;
    const int32_t top = std::max(mouse.y - h + 2, 0) + 2;
    const int32_t bottom = top + h;
    if (g_TexShaderManager)
        g_TexShaderManager->SetFactorAlpha(1.0f);
    CTexture* texture = InterfaceTexture();
    const int32_t b = atlas::kFrameBorder;
    const int32_t xs[4] = { left, left + b, right - b, right };
    const int32_t ys[4] = { top, top + b, bottom - b, bottom };
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            DrawTexturePiece(kToolTipSlot, texture, float(xs[column]), float(ys[row]), float(xs[column + 1]),
                float(ys[row + 1]), atlas::kToolTip[row * 3 + column]);
    }
    g_pFont->PrintText(left + 3, top + 3, text, kToolTipShadow);
    g_pFont->PrintText(left + 2, top + 2, text, kToolTipText);
}

void CBaseMenu::RenderControl()
{
    ZJ_TRACE("CBaseMenu::RenderControl");
    controls.First();
    while (CMenuControl* control = controls.Next()) {
        if (control->visible)
            control->Render();
    }
}

void CBaseMenu::ProcessMessages()
{
    ZJ_TRACE("CBaseMenu::ProcessMessages");
    CMenuHost& host = MenuHost();
    toolTipControl = nullptr;
    host.ReadInput();
    host.ProcessMessages();
    const plat::window::Point mouse = host.MousePosition();
    if (capturedControl) {
        ProcessMouse(capturedControl, mouse.x, mouse.y);
        return;
    }
    controls.First();
    while (CMenuControl* control = controls.Next()) {
        if (control->visible)
            ProcessMouse(control, mouse.x, mouse.y);
    }
}

void CBaseMenu::ProcessMouse(CMenuControl* control, int32_t x, int32_t y)
{
    if (!control)
        return;
    const uint8_t events = MenuHost().MouseEvents(0);
    if (PointInRect(x, y, control->left, control->top, control->right, control->bottom)) {
        control->hoverTime += FrameTime;
        if (control->hoverTime > kToolTipDelay && control->caption.Length() != 0)
            toolTipControl = control;
        control->OnHover();
        if (events & kPressed)
            control->OnPress();
        if (events & kReleased)
            control->OnRelease();
        return;
    }
    control->hoverTime = 0.0f;
    if (events & kReleased)
        control->OnReleaseOutside();
}

bool CBaseMenu::Init()
{
    FrameTimer.Restart();
    return true;
}

void CBaseMenu::RunControl()
{
    ZJ_TRACE("CBaseMenu::RunControl");
    if (capturedControl) {
        CMenuControl* control = capturedControl;
        control->Run();
        if (capturedControl == control)
            control->Update();
        return;
    }
    controls.First();
    while (CMenuControl* control = controls.Next()) {
        if (control->visible && control->enabled) {
            control->Run();
            control->Update();
        }
    }
}

int CBaseMenu::AddControl(CMenuControl* control)
{
    ZJ_TRACE("CBaseMenu::AddControl");
    control->owner = this;
    return controls.AddTail(control);
}

bool CBaseMenu::RemoveControl(CMenuControl* control, bool destroy)
{
    ZJ_TRACE("CBaseMenu::RemoveControl");
    if (control == toolTipControl)
        toolTipControl = nullptr;
    if (control == capturedControl)
        capturedControl = nullptr;
    controls.SetOwnsItems(destroy);
    const bool removed = controls.Remove(control);
    controls.SetOwnsItems(true);
    return removed;
}

void CBaseMenu::ClearControls()
{
    toolTipControl = nullptr;
    capturedControl = nullptr;
    controls.Clear();
}

void CBaseMenu::PreProcess()
{
    ZJ_TRACE("CBaseMenu::PreProcess");
    CMenuHost& host = MenuHost();
    DiscardManaged(kDiscardBeforeRun);
    if (g_pMusicMng) {
        const int32_t track = FindMusicId("MUS_MENU");
        if (track >= 0)
            g_pMusicMng->PlayMusic(track, true, true);
    }
    plat::gfx::Device* device = g_Graphic.GetDevice();
    if (ownsRenderTarget && device && !targetTexture) {
        using namespace plat::gfx;
        targetTexture = std::make_unique<CTexture>();
        g_Graphic.CreateTexture(targetTexture.get(), kTargetSize, kTargetSize, 1, Format::X8R8G8B8,
            Pool::Default, usage::kRenderTarget);
        if (!targetTexture->GetTexture()
            || Failed(targetTexture->GetTexture()->GetSurfaceLevel(0, &targetSurface)))
            targetTexture.reset();
        device->CreateDepthStencilSurface(
            kTargetSize, kTargetSize, g_Graphic.DepthFormat(), MultiSample::None, &depthSurface);
        if (!targetTexture || !depthSurface)
            WriteErrorLog("Can`t create render target for menu background: not enought videomemory");
    }
    if (!host.UseSystemCursor())
        host.SetCursorTextures("TEX_INT_CURSOR", "TEX_INT_CURSOR_BLUE");
    if (showsCursor && !host.CursorShown())
        host.ShowCursor(true);
}

void CBaseMenu::ReleaseResources(bool discard)
{
    if (ownsRenderTarget) {
        ReleaseResource(targetSurface);
        targetTexture.reset();
        ReleaseResource(depthSurface);
    }
    CMenuHost& host = MenuHost();
    if (showsCursor && host.CursorShown())
        host.ShowCursor(false);
    if (discard)
        DiscardManaged(kDiscardAfterRun);
}

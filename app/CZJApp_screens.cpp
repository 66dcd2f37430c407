// The screens the game flow opens outside its frames: the intro video, modal menus, the cursor
// and the message log, the end titles, and the outside options program.
#include "app/CInput.h"
#include "app/CInputConfig.h"
#include "app/CZJApp.h"
#include "app/EndTitles.h"
#include "app/GameSettings.h"
#include "audio/CBinkPlayer.h"
#include "audio/CMusicMng.h"
#include "foundation/BaseDirectory.h"
#include "foundation/CTimer.h"
#include "foundation/CallTrace.h"
#include "foundation/ErrorLog.h"
#include "platform/win/clock.h"
#include "platform/window/cursor.h"
#include "platform/window/keys.h"
#include "render/CSurfaceManager.h"
#include "render/TexShaderManager.h"
#include "ui/CBaseMenu.h"
#include "ui/CMessager.h"
#include "ui/CRenderer.h"
#include "world/db/CZJEngine.h"

#include <algorithm>
#include <string>

void CZJApp::PlayIntroVideo()
{
    if (g_pMusicMng)
        g_pMusicMng->StopMusic(false);
    ScreenResetGamma();
    plat::window::CaptureMouse(true);
    CBinkPlayer player;
    bool open = false;
    if (!GameSettings.Windowed)
        open = !SoundFailed(player.InitFullscreen(m_window.get(), 800, 600, 32));
    if (!open)
        open = !SoundFailed(player.InitWindowed(m_window.get()));
    if (open) {
        plat::win::Sleep(100);
        player.Play("Data\\Video\\intro.bik", true);
    }
    player.Close();
    plat::window::CaptureMouse(false);
}

int CZJApp::RunModalMenu(CBaseMenu* menu, bool loop)
{
    g_InputConfig.StopFFEffects();
    // Each level keeps the one below it, so nested menus return in turn to their callers.
    CBaseMenu* const outerPrevious = previousModalMenu;
    previousModalMenu = modalMenu;
    modalMenu = menu;
    int result = 0;
    if (!(modalHook && modalHook(menu, result)))
        result = menu ? int(menu->DoModal(loop)) : 0;
    modalMenu = previousModalMenu;
    previousModalMenu = outerPrevious;
    return result;
}

void CZJApp::ShowCursor(bool show)
{
    if (uint8_t(show) == m_cursorShown)
        return;
    m_cursorShown = show ? 1 : 0;
    plat::window::ShowCursor(GameSettings.UseSystemCursor && show);
    if (!GameSettings.UseSystemCursor)
        plat::window::SetCursorShape(plat::window::CursorShape::None);
}

void CZJApp::ToggleMessageLog()
{
    m_messageLogExpanded = m_messageLogExpanded ? 0 : 1;
    plat::window::ShowCursor(GameSettings.UseSystemCursor && m_messageLogExpanded);
    if (!GameSettings.UseSystemCursor)
        plat::window::SetCursorShape(plat::window::CursorShape::None);
    if (g_pMessager)
        g_pMessager->UpdateState(m_messageLogExpanded != 0);
}

void CZJApp::ShowEndTitles(int ending)
{
    ZJ_TRACE("CZJApp::ShowEndTitles");
    if (endTitlesHook && endTitlesHook(ending))
        return;
    const int32_t music = ZJEngine.ids2[CZJEngine::kMusObserver];
    if (g_pMusicMng && music >= 0)
        g_pMusicMng->PlayMusic(music, false, true);
    ScreenFadeIn();
    const int variant = 3 - ending;
    int background = -1;
    int pages = -1;
    int titles = -1;
    int32_t titlesWidth = 0;
    int32_t titlesHeight = 0;
    if (g_pSurfaceManager) {
        background = g_pSurfaceManager->FindSurface(variant == 1 ? "SUF_WIN1" : "SUF_WIN2");
        pages = g_pSurfaceManager->FindSurface("SUF_ENDTEXT");
        titles = g_pSurfaceManager->FindSurface("SUF_TITLES");
        g_pSurfaceManager->GetSize(titles, titlesWidth, titlesHeight);
    }
    FrameTimer.Restart();
    SEndTitlesClock clock;
    // Only a close request ends the screen early: the quit flag that ended the game is set.
    while (!clock.Done() && !CloseRequested()) {
        ProcessMessages();
        plat::gfx::Device* device = g_Graphic.GetDevice();
        if (device) {
            g_Graphic.Clear(plat::gfx::clear::kTarget, 0xFF000000u);
            device->BeginScene();
        }
        const int32_t width = g_Graphic.ScreenWidth();
        const int32_t height = g_Graphic.ScreenHeight();
        if (g_pSurfaceManager && g_TexShaderManager) {
            if (background >= 0) {
                g_TexShaderManager->SetFactorAlpha(clock.BackgroundAlpha());
                g_pSurfaceManager->CopyToTexture(
                    background, kFadingPictureSlot, 0, 0, width, height, nullptr);
            }
            if (pages >= 0 && clock.ShowsPage()) {
                const int32_t row = SEndTitlesClock::PageRow(clock.Page(), variant);
                g_TexShaderManager->SetFactorAlpha(clock.PageAlpha());
                g_pSurfaceManager->UpdateTexture(pages, kFadingPictureSlot, 0, 0, width, (height / 6) & ~3, 0,
                    row, 1024, row + 128, false);
            }
            if (titles >= 0 && clock.ShowsTitles()) {
                const int32_t scroll = int32_t(clock.Scroll());
                const int32_t top = scroll & ~3;
                const int32_t rows = std::min(height + 4, titlesHeight - top);
                if (rows > 0) {
                    const int32_t left = (width - 512) / 2;
                    const int32_t y = -(scroll % 4);
                    g_TexShaderManager->SetFactorAlpha(clock.TitlesAlpha());
                    g_pSurfaceManager->UpdateTexture(titles, kFadingPictureSlot, left, y, left + 512,
                        y + rows, 0, top, 512, top + rows, false);
                }
                clock.CheckTitles(height, titlesHeight);
            }
        }
        if (device) {
            device->EndScene();
            device->Present();
        }
        PaceFrame();
        CRenderer::ResetFrameCounters();
        FrameTimer.Update();
        clock.Advance(FrameTime);
        g_InputConfig.ProcessInput();
        if ((g_Input.KeyEvents(plat::window::key::Escape) & 0x80) || g_InputConfig.Control().fire)
            clock.Press();
    }
}

plat::win::Process CZJApp::StartOptionsProgram()
{
    const char* command = "Kelvane.exe -norun -project:ZOQ";
    plat::win::Process process = plat::win::StartProcess(command, BaseDirectory());
    if (!process.Valid())
        WriteErrorLog(std::string("CZJApp: cannot start ") + command);
    return process;
}

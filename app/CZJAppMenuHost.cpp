#include "app/CZJAppMenuHost.h"

#include "app/CInput.h"
#include "app/CResourceEngine.h"
#include "app/CZJApp.h"
#include "app/GameSettings.h"

#include <cstdio>

CZJAppMenuHost AppMenuHost;

void CZJAppMenuHost::Attach(CZJApp* app)
{
    m_app = app;
    SetMenuHost(app ? this : nullptr);
}

void CZJAppMenuHost::TickModels(float)
{
    ResourceEngine.GlobalRun();
}

void CZJAppMenuHost::ResetFrameCounters()
{
    ::ResetFrameCounters();
}

void CZJAppMenuHost::RenderCursor()
{
    if (m_app)
        m_app->RenderCursor();
}

void CZJAppMenuHost::PaceFrame()
{
    if (m_app)
        m_app->PaceFrame();
}

void CZJAppMenuHost::ScreenFadeIn()
{
    if (m_app)
        m_app->ScreenFadeIn();
}

void CZJAppMenuHost::SetFrameTime(float seconds)
{
    if (m_app)
        m_app->realFrameTime = seconds;
}

double CZJAppMenuHost::RunningTime()
{
    return ResourceEngine.Clock();
}

void CZJAppMenuHost::ProcessMessages()
{
    if (m_app)
        m_app->ProcessMessages();
}

bool CZJAppMenuHost::QuitRequested()
{
    return CApplication::QuitRequestPending() || (m_app && m_app->IsQuitting());
}

void CZJAppMenuHost::ReadInput()
{
    g_Input.GetData();
}

plat::window::Point CZJAppMenuHost::MousePosition()
{
    return m_app ? m_app->CursorClient() : plat::window::Point {};
}

uint8_t CZJAppMenuHost::MouseEvents(int button)
{
    return g_Input.MouseEvents(button);
}

int32_t CZJAppMenuHost::MouseWheel()
{
    return g_Input.MouseDZ();
}

void CZJAppMenuHost::ClearMouseMotion()
{
    g_Input.ClearMouseMotion();
}

bool CZJAppMenuHost::KeyDown(uint8_t key)
{
    return ((g_Input.KeyState(key) | g_Input.PrevKeyState(key)) & 0x80) != 0;
}

void CZJAppMenuHost::SetTextInput(bool on)
{
    if (m_app)
        m_app->SetTextInput(on);
}

uint8_t CZJAppMenuHost::TakeChar()
{
    if (!m_app)
        return 0;
    const uint8_t c = m_app->LastChar();
    m_app->ClearLastChar();
    return c;
}

bool CZJAppMenuHost::CheckDevice(const plat::win::Process* process)
{
    return m_app && m_app->CheckDevice(process);
}

uint32_t CZJAppMenuHost::RunModalMenu(CBaseMenu* menu)
{
    return g_pZJApp ? uint32_t(g_pZJApp->RunModalMenu(menu, true)) : CMenuHost::RunModalMenu(menu);
}

void CZJAppMenuHost::SetNetLocation(const char* location)
{
    if (g_pZJApp)
        std::snprintf(g_pZJApp->netLocationFile, sizeof g_pZJApp->netLocationFile, "%s", location);
}

void CZJAppMenuHost::ScreenFadeOut()
{
    if (g_pZJApp)
        g_pZJApp->ScreenFadeOut();
}

uint32_t CZJAppMenuHost::State()
{
    return m_app ? m_app->state : 0;
}

int32_t CZJAppMenuHost::SoundVolume()
{
    return GameSettings.SoundVolume;
}

bool CZJAppMenuHost::UseSystemCursor()
{
    return GameSettings.UseSystemCursor;
}

void CZJAppMenuHost::SetCursorTextures(const char* normal, const char* blue)
{
    if (m_app)
        m_app->SetCursorTextures(normal, blue);
}

bool CZJAppMenuHost::CursorShown()
{
    return m_app && m_app->CursorShown();
}

void CZJAppMenuHost::ShowCursor(bool show)
{
    if (m_app)
        m_app->ShowCursor(show);
}

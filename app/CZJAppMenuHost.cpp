#include "app/CZJAppMenuHost.h"

#include "app/CInput.h"
#include "app/CResourceEngine.h"
#include "app/CZJApp.h"
#include "app/GameSettings.h"

CZJAppMenuHost AppMenuHost;

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
    if (g_pZJApp)
        g_pZJApp->RenderCursor();
}

void CZJAppMenuHost::PaceFrame()
{
    if (g_pZJApp)
        g_pZJApp->PaceFrame();
}

void CZJAppMenuHost::ScreenFadeIn()
{
    if (g_pZJApp)
        g_pZJApp->ScreenFadeIn();
}

void CZJAppMenuHost::ScreenFadeOut()
{
    if (g_pZJApp)
        g_pZJApp->ScreenFadeOut();
}

bool CZJAppMenuHost::SaveGame(const char* file, const char* title, const char place[32], bool autosave)
{
    return g_pZJApp && g_pZJApp->SaveGame(file, title, 1, place, autosave);
}

void CZJAppMenuHost::SetFrameTime(float seconds)
{
    if (g_pZJApp)
        g_pZJApp->realFrameTime = seconds;
}

double CZJAppMenuHost::RunningTime()
{
    return ResourceEngine.Clock();
}

void CZJAppMenuHost::ProcessMessages()
{
    if (g_pZJApp)
        g_pZJApp->ProcessMessages();
}

bool CZJAppMenuHost::QuitRequested()
{
    return CApplication::QuitRequestPending() || (g_pZJApp && g_pZJApp->IsQuitting());
}

void CZJAppMenuHost::ReadInput()
{
    g_Input.GetData();
}

plat::window::Point CZJAppMenuHost::MousePosition()
{
    return g_pZJApp ? g_pZJApp->CursorClient() : plat::window::Point {};
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
    if (g_pZJApp)
        g_pZJApp->SetTextInput(on);
}

uint8_t CZJAppMenuHost::TakeChar()
{
    if (!g_pZJApp)
        return 0;
    const uint8_t c = g_pZJApp->LastChar();
    g_pZJApp->ClearLastChar();
    return c;
}

bool CZJAppMenuHost::CheckDevice(const plat::win::Process* process)
{
    return g_pZJApp && g_pZJApp->CheckDevice(process);
}

uint32_t CZJAppMenuHost::State()
{
    return g_pZJApp ? g_pZJApp->state : 0;
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
    if (g_pZJApp)
        g_pZJApp->SetCursorTextures(normal, blue);
}

bool CZJAppMenuHost::CursorShown()
{
    return g_pZJApp && g_pZJApp->CursorShown();
}

void CZJAppMenuHost::ShowCursor(bool show)
{
    if (g_pZJApp)
        g_pZJApp->ShowCursor(show);
}

#include "app/CZJAppScriptHost.h"

#include "app/CZJApp.h"
#include "audio/CSoundManager.h"
#include "ui/CMainMenu.h"
#include "world/db/ResourceIds.h"

namespace {

constexpr int kAskPlayerName = 1;

} // namespace

CZJAppScriptHost AppScriptHost;

void CZJAppScriptHost::PlaySound(const char* name)
{
    const int32_t id = FindSoundId(name);
    if (g_pSoundManager && id >= 0)
        g_pSoundManager->PlaySound(id, 0);
}

bool CZJAppScriptHost::IsMessageLogExpanded()
{
    return g_pZJApp && g_pZJApp->MessageLogExpanded();
}

void CZJAppScriptHost::ToggleMessageLog()
{
    if (g_pZJApp)
        g_pZJApp->ToggleMessageLog();
}

void CZJAppScriptHost::UpdateJournal(int colour)
{
    (void)colour;
}

bool CZJAppScriptHost::RunProcess(int code)
{
    if (code != kAskPlayerName)
        return false;
    // The name comes back as the in-base menu's command 98; with no such menu nothing is asked.
    if (auto* menu = dynamic_cast<CMainMenu*>(g_pZJApp ? g_pZJApp->modalMenu : nullptr))
        menu->AskPlayerName();
    return true;
}

void CZJAppScriptHost::SetBonus(float a, float b)
{
    bonus[0] = a;
    bonus[1] = b;
}

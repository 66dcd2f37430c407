#include "app/CZJAppScriptHost.h"

#include "app/CZJApp.h"
#include "audio/CSoundManager.h"
#include "world/db/ResourceIds.h"

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
    if (g_pZJApp)
        g_pZJApp->UpdateJournal(colour);
}

bool CZJAppScriptHost::RunProcess(int code)
{
    return g_pZJApp && g_pZJApp->DoScriptAction(code);
}

void CZJAppScriptHost::SetBonus(float a, float b)
{
    if (!g_pZJApp)
        return;
    g_pZJApp->bonusFactors[0] = a;
    g_pZJApp->bonusFactors[1] = b;
}

#include "ui/CMenuControl.h"

#include "audio/CSoundManager.h"
#include "ui/CBaseMenu.h"
#include "world/db/ResourceIds.h"

void CMenuControl::SendCommand(uint32_t id)
{
    if (id != 0 && owner)
        owner->ProcessCommand(int(id));
}

void CMenuControl::PlaySound(const char* name)
{
    const int32_t id = FindSoundId(name);
    if (g_pSoundManager && id >= 0)
        g_pSoundManager->PlaySound(id, 0);
}

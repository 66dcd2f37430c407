#include "world/db/ResourceIds.h"

#include "audio/CMusicMng.h"
#include "audio/CSoundManager.h"
#include "render/CModelManager.h"
#include "render/TextureManager.h"

namespace {

int32_t FindIn(const DefaultManager* manager, const char* name)
{
    return manager && name ? manager->GetRowNames().Find(name) : -1;
}

} // namespace

int32_t FindModelId(const char* name)
{
    return FindIn(g_pModelManager, name);
}

int32_t FindTextureId(const char* name)
{
    return FindIn(g_pTextureManager, name);
}

int32_t FindSoundId(const char* name)
{
    return FindIn(g_pSoundManager, name);
}

int32_t FindMusicId(const char* name)
{
    return FindIn(g_pMusicMng, name);
}

// The sound and music manager pointers; the resource engine sets them.
#include "world/db/SoundGlobals.h"

CSoundManager* g_pSoundManager = nullptr;
CMusicMng* g_pMusicMng = nullptr;

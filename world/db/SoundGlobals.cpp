// Stand-in until the resource engine lands.
#include "world/db/SoundGlobals.h"

CSoundManager* g_pSoundManager = nullptr;
CMusicMng* g_pMusicMng = nullptr;

// Stand-in until the resource engine lands: the global pointers of the sound and music managers,
// which the resource engine creates and deletes.
#pragma once

class CMusicMng;
class CSoundManager;

extern CSoundManager* g_pSoundManager;
extern CMusicMng* g_pMusicMng;

// The global pointers of the sound and music managers. The resource engine (app/) creates and
// deletes the managers; they live here so that the tables and the other readers below app/ reach
// them without linking it. Null while no manager exists.
#pragma once

class CMusicMng;
class CSoundManager;

extern CSoundManager* g_pSoundManager;
extern CMusicMng* g_pMusicMng;

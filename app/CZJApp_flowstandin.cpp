// Stand-in until the save games land (the save-games issue replaces this file): the game flow's
// operations that the menus reach through the application.
#include "app/CZJApp.h"

bool CZJApp::SaveGame(const char* file, const char* title, int32_t flag, const char place[32], bool autosave)
{
    (void)file;
    (void)title;
    (void)flag;
    (void)place;
    (void)autosave;
    return false;
}
